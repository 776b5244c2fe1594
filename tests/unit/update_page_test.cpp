#include <gtest/gtest.h>

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
      {"&unknown; &", "&unknown; &"},
      {"unclosed <tag", "unclosed "},
  };
  for (const auto& [html, text] : cases) EXPECT_EQ(PageText(html), text) << html;
}

TEST(VersionPageTest, TheNumberAfterTheMarker) {
  const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
      {"Defination version :12", 12},
      {"DEFINATION VERSION : 007 \r\n", 7},
      {"Heading\nDefination version :\t45\n", 45},
      {"Defination version : 12 and more", std::nullopt},
      {"Definition version : 12", std::nullopt},  // the marker is spelled as the host spells it
      {"Defination version :", std::nullopt},
      {"Defination version : 99999999999", std::nullopt},
  };
  for (const auto& [text, version] : cases) EXPECT_EQ(VersionOfPage(text), version) << text;
}

TEST(VersionPageTest, ErrorPagesAreRecognisedWithoutRegardToCase) {
  EXPECT_TRUE(IsErrorPage("Sorry - the page cannot be displayed here"));
  EXPECT_TRUE(IsErrorPage("425 http error"));
  EXPECT_TRUE(IsErrorPage("Authenticating your login. Please wait ..."));
  EXPECT_FALSE(IsErrorPage("Authenticating your login. Please wait"));  // the marker ends in a blank
  EXPECT_FALSE(IsErrorPage("Defination version : 3"));
}

}  // namespace
}  // namespace kestrian::update
