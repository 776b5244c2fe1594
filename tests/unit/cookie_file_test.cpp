#include "scan/cookie_file.h"

#include <gtest/gtest.h>

#include <random>

#include "scan/cookie_pattern.h"
#include "scan/cookie_pattern_set.h"
#include "support/fake_machine.h"

namespace kestrian::scan {
namespace {

TEST(CookieFileTest, KeyLiesBetweenUserNameAndCopyCounter) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Cookies\\john@adsite[1].txt", "adsite"},
      {"C:\\Cookies\\john@adsite(2).txt", "adsite"},
      {"C:\\Cookies\\john@ad(s)ite[1].txt", "ad"},  // "(" before "["
      {"C:\\Cookies\\john@www.adsite.com.txt", "www.adsite.com"},
      {"C:\\Cookies\\john@adsite", ""},  // neither counter nor extension
      {"C:\\Cookies\\adsite[1].txt", ""},
      {"C:\\Mail@Home\\john@adsite[1].txt", "Home\\john@adsite"},
      {"C:\\Cookies\\john@(1).txt", ""},
      {"", ""},
  };
  for (const auto& [path, key] : cases) EXPECT_EQ(CookieKeyFromPath(path), key) << path;
}

TEST(CookieFileTest, SiteIsTheHostOfTheFirstFieldHoldingTheKey) {
  const struct {
    const char* content;
    const char* key;
    const char* site;
  } cases[] = {
      {"id\nabc123\nstats.adsite.com/\n1024\n*\n", "adsite", "adsite.com"},
      {"id\r\nadsite-value\r\nadsite.com/path/\r\n", "adsite", "adsite.com"},  // a field without "/" is passed
      {"id\nvalue\nwww.adsite.com/\n", "www.adsite.com", "www.adsite.com"},
      {"\"adsite.com/quoted, with comma\",next\n", "adsite", "adsite.com"},
      {"  x, adsite.net/a\n", "adsite", "adsite.net"},
      {"id\nadsite\nnothing here\n", "adsite", "False"},
      {"", "adsite", "False"},
      {"ADSITE.com/\n", "adsite", "False"},  // the key is found case-sensitively
  };
  for (const auto& c : cases) EXPECT_EQ(CookieSiteFromContent(c.content, c.key), c.site) << c.content;
}

TEST(CookieFileTest, UnreadableOrMissingFilesHaveNoSite) {
  testing::FakeMachine machine;
  machine.files.PutFile("C:\\Cookies\\me@adsite[1].txt", "id\nv\nadsite.com/\n");
  machine.files.PutFile("C:\\Cookies\\noatsign.txt", "adsite.com/\n");
  EXPECT_EQ(GetCookieSite(machine.files, "C:\\Cookies\\me@adsite[1].txt"), "adsite.com");
  EXPECT_EQ(GetCookieSite(machine.files, "C:\\Cookies\\noatsign.txt"), "False");
  EXPECT_EQ(GetCookieSite(machine.files, "C:\\Cookies\\me@gone[1].txt"), "False");
  machine.files.Lock("C:\\Cookies\\me@adsite[1].txt");
  EXPECT_EQ(GetCookieSite(machine.files, "C:\\Cookies\\me@adsite[1].txt"), "False");
}

TEST(CookiePatternSetTest, LongestLiteralSkipsWildcardsAndLists) {
  const std::pair<const char*, const char*> cases[] = {
      {"*adsite*", "adsite"}, {"ads?.example#.com", ".example"}, {"[a-c]track*", "track"},
      {"*", ""},              {"", ""},                           {"ab[]cde", "cde"},
      {"abc[x", ""},  // an unclosed list fits nothing
  };
  for (const auto& [pattern, literal] : cases) EXPECT_EQ(LongestLiteral(pattern), literal) << pattern;
}

// The index must pick exactly the pattern a walk through all of them in order picks.
TEST(CookiePatternSetTest, FirstMatchAgreesWithTryingEveryPatternInOrder) {
  std::mt19937 random(20261206);
  const std::string alphabet = "ab.c1*?#[]!-";
  auto randomText = [&](std::string_view letters, int maxLength) {
    std::string text;
    const int length = static_cast<int>(random() % static_cast<unsigned>(maxLength + 1));
    for (int i = 0; i < length; ++i) text.push_back(letters[random() % letters.size()]);
    return text;
  };
  for (int round = 0; round < 40; ++round) {
    std::vector<std::string> patterns;
    for (int i = 0; i < 30; ++i) patterns.push_back(randomText(alphabet, 6));
    const CookiePatternSet set(patterns);
    for (int probe = 0; probe < 30; ++probe) {
      const std::string site = randomText("ab.c1", 7);
      std::optional<std::size_t> expected;
      for (std::size_t i = 0; i < patterns.size() && !expected; ++i) {
        if (MatchesCookiePattern(site, patterns[i])) expected = i;
      }
      ASSERT_EQ(set.FirstMatch(site), expected) << "site " << site;
    }
  }
}

TEST(CookiePattern, WildcardRules) {
  const struct {
    const char* site;
    const char* pattern;
    bool matches;
  } cases[] = {
      {"ads.adsite.com", "*adsite*", true},
      {"adsite.com", "ADSITE*", false},  // case-sensitive
      {"adsite.com", "adsite*", true},
      {"False", "F*", true},
      {"False", "*", true},
      {"", "*", true},
      {"", "", true},
      {"x", "", false},
      {"track7.example.net", "track#.example.net", true},
      {"trackx.example.net", "track#.example.net", false},
      {"track77.example.net", "track#.example.net", false},
      {"abc", "a?c", true},
      {"ac", "a?c", false},
      {"click.meter.de", "*.meter.[a-z]*", true},
      {"click.meter.9e", "*.meter.[a-z]*", false},
      {"click.meter.9e", "*.meter.[!a-z]*", true},
      {"\xE9", "[a-\xE9]", true},  // bytes of 0x80 and above lie above "z"
      {"a", "[\xE9-a]", false},
      {"b", "[abc]", true},
      {"-", "[a-]", true},
      {"!", "[a!]", true},
      {"ab", "a[]b", true},
      {"a[b", "a[b", false},  // unclosed list
      {"abcabd", "*ab?", true},
      {"aaa", "a*a*a", true},
      {"aa", "a*a*a", false},
      {"x.doubleclick.net", "*doubleclick.net", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchesCookiePattern(c.site, c.pattern), c.matches) << c.site << " ~ " << c.pattern;
  }
}

// Patterns come from the network: a matcher that tries every way to place each star would
// not finish these in a lifetime.
TEST(CookiePattern, ManyStarsAgainstALongSiteEndAtOnce) {
  const std::string site(20000, 'a');
  EXPECT_FALSE(MatchesCookiePattern(site, "*a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(MatchesCookiePattern(site + "b", "*a*a*a*a*a*a*a*b"));
  EXPECT_FALSE(MatchesCookiePattern(site, "*?*[a]*?*[!b]*?*a*#"));
}

}  // namespace
}  // namespace kestrian::scan
