#include <gtest/gtest.h>

#include <string>

#include "update/manifest.h"
#include "update/update_base.h"
#include "update/version_page.h"

namespace kestrian::update {
namespace {

TEST(UpdateBaseTest, TheHostOfTheWebSiteEntry) {
  const std::pair<const char*, const char*> cases[] = {
      {"www.kestrian.example", "http://www.kestrian.example"},
      {"kestrian.example", "http://www.kestrian.example"},
      {"kestrian.example/downloads/page.htm", "http://www.kestrian.example"},
      {"http://www.kestrian.example/", "http://www.kestrian.example"},
      {"HTTP://updates.kestrian.example", "http://www.updates.kestrian.example"},
      {"https://kestrian.example/x", "https://www.kestrian.example"},
      {"HTTPS://www.kestrian.example", "https://www.kestrian.example"},
      {"<web site>", "http://www.kestrian.example"},  // the version resource's placeholder
      {"", "http://www."},
      {"updates.www.kestrian.example/x", "http://updates.www.kestrian.example"},
  };
  for (const auto& [entry, base] : cases) EXPECT_EQ(BuildUpdateBase(entry), base) << entry;
}

TEST(VersionPageTest, TextIsWhatABrowserShows) {
  const std::pair<const char*, const char*> cases[] = {
      {"<html><body><p>Defination version : 12</p></body></html>", "Defination version : 12"},
      {"<b>A</b>&amp;<i>B</i> &lt;&gt; &#65;&#x42;&nbsp;!", "A&B <> AB !"},
      {"x<!-- hidden <b> -->y<script>var a = '<b>';</script>z<STYLE>p{}</STYLE>", "xyz"},
      {"&unknown; &", "&unknown; &"}, {"unclosed <tag", "unclosed "},
  };
  for (const auto& [html, text] : cases) EXPECT_EQ(PageText(html), text) << html;
  // 256 KiB of "&" without a ";" is read in one pass, not one search per "&".
  const std::string ampersands(1 << 18, '&');
  EXPECT_EQ(PageText(ampersands), ampersands);
}

TEST(ManifestTest, OnlyAManifestToTheLetterIsRead) {
  const std::string hash(64, 'a');
  const std::string header = "Kestrian definitions manifest 1\r\n";
  const std::pair<std::string, bool> cases[] = {
      {header + "ExeDefinition.dat 30 21 " + hash + "\r\n", true}, {header, true},
      {"Kestrian definitions manifest 2\r\nExeDefinition.dat 30 21 " + hash + "\r\n", false},
      {header + "ExeDefinition.dat 30 21 " + hash, false},              // no line end
      {header + "ExeDefinition.dat 30 21 " + hash + "\n", false},        // LF alone
      {header + "ExeDefinition.dat 30  21 " + hash + "\r\n", false},    // two blanks
      {header + "ExeDefinition.dat -1 21 " + hash + "\r\n", false},
      {header + "ExeDefinition.dat 2147483648 21 " + hash + "\r\n", false},
      {header + "ExeDefinition.dat 30 99999999999999999999 " + hash + "\r\n", false},
      {header + "ExeDefinition.dat 30 21 " + hash.substr(1) + "g\r\n", false},
      {header + "ExeDefinition.dat 30 21\r\n", false},
      {header + "ExeDefinition.dat 30 21 " + hash + "\r\nExeDefinition.dat 31 21 " + hash + "\r\n", false},
  };
  for (const auto& [text, read] : cases) EXPECT_EQ(ParseManifest(text).has_value(), read) << text;
  const auto manifest = ParseManifest(cases[0].first);
  ASSERT_TRUE(manifest);
  EXPECT_EQ(FormatManifest(*manifest), cases[0].first);
  EXPECT_EQ(manifest->Find("ExeDefinition.dat")->size, 21u);
}

TEST(VersionPageTest, TheNumberAfterTheMarkerAndTheErrorPages) {
  const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
      {"Defination version :12", 12}, {"DEFINATION VERSION : 007 \r\n", 7},
      {"Heading\nDefination version :\t45\n", 45}, {"Defination version : 12 and more", std::nullopt},
      {"Definition version : 12", std::nullopt},  // the marker is spelled as the host spells it
      {"Defination version :", std::nullopt}, {"Defination version : 99999999999", std::nullopt},
      {"Defination version : +-7", std::nullopt},  // one sign at most
      {"Defination version : +7", 7},
  };
  for (const auto& [text, version] : cases) EXPECT_EQ(VersionOfPage(text), version) << text;
  // Error pages are recognised without regard to case.
  EXPECT_TRUE(IsErrorPage("Sorry - the page cannot be displayed here"));
  EXPECT_TRUE(IsErrorPage("425 http error"));
  EXPECT_TRUE(IsErrorPage("Authenticating your login. Please wait ..."));
  EXPECT_FALSE(IsErrorPage("Authenticating your login. Please wait"));  // the marker ends in a blank
  EXPECT_FALSE(IsErrorPage("Defination version : 3"));
}

}  // namespace
}  // namespace kestrian::update
