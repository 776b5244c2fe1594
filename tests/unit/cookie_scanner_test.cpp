#include "scan/cookie_scanner.h"

#include "scan/cookie_file.h"
#include "scan/cookie_pattern.h"
#include "scan/cookie_pattern_set.h"
#include "scan/scan_progress.h"
#include "scan_fixture.h"

namespace kestrian::scan {
namespace {

constexpr const char* kCookies = "C:\\Documents and Settings\\user\\Cookies";

class CookieScannerTest : public ScanFixture {
 protected:
  CookieScannerTest() {
    machine.files.PutFolder(kCookies);
    PutDefinitions("BlockedCookies.dat", {"*adsite*", "track#.com", "[a-c]ounter.net"});
  }
  // A cookie file as the browser writes it: name, value, host and path, flags...
  void PutCookie(const std::string& fileName, const std::string& site) {
    machine.files.PutFile(std::string(kCookies) + "\\" + fileName, "id\nvalue\n" + site + "/\n1024\n*\n");
  }
  std::int32_t Scan() {
    std::int32_t count = 0;
    scanner.ScanCookies(count);
    return count;
  }
  const ui::ListView& Results() const { return form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved; }
  static std::vector<std::string> Prefixed(const std::string& prefix, const std::vector<std::string>& names) {
    std::vector<std::string> texts;
    for (const std::string& name : names) texts.push_back(prefix + name);
    return texts;
  }

  CookieScanner scanner{context};
};

TEST_F(CookieScannerTest, CookiesOfBlockedSitesAreFindings) {
  PutCookie("me@adsite[1].txt", "stats.adsite");           // the site starts at the key
  PutCookie("me@track7.com[1].txt", "track7.com");
  PutCookie("me@www.counter.net[2].txt", "www.counter.net");  // compared without "www."
  PutCookie("me@WWW.bounter.net[1].txt", "WWW.bounter.net");  // in any case
  PutCookie("you@ADSITE[1].txt", "ADSITE");                // patterns are case-sensitive
  PutCookie("me@news[1].txt", "news.example");
  PutCookie("me@adsite[9].txt", "adsite");  // excluded: no row at all
  PutExclusions("C:\\DOCUMENTS AND SETTINGS\\USER\\COOKIES\\ME@ADSITE[9].TXT\r\n");
  machine.files.PutFolder(std::string(kCookies) + "\\sub@adsite[1].txt");  // folders are not cookies
  form.pbgMain.SetValue(99);
  EXPECT_EQ(Scan(), 7);
  EXPECT_DOUBLE_EQ(form.pbgMain.Value(), 30.02);  // the patterns load: 99 wraps to 30, then two small steps
  const std::vector<std::string> found = {"me@adsite[1].txt", "me@track7.com[1].txt", "me@WWW.bounter.net[1].txt",
                                          "me@www.counter.net[2].txt"};
  EXPECT_EQ(Texts(form.lvwSpywareFound), Prefixed("Cookie Found: ", found));
  EXPECT_EQ(Texts(form.lvwCookiesToDelete), Prefixed(std::string(kCookies) + "\\", found));
  EXPECT_EQ(Texts(Results()), Prefixed("Cookie: ", found));
  EXPECT_EQ(Column(Results(), 1), Texts(form.lvwCookiesToDelete));
  EXPECT_EQ(Results().Item(0).smallIcon, 1);
  EXPECT_EQ(state.session.spywareFound, 4);
  EXPECT_EQ(state.session.cookiesProcessesInspected, 7);
  EXPECT_EQ(Texts(form.lvwBlockedCookies), (std::vector<std::string>{"*adsite*", "track#.com", "[a-c]ounter.net"}));
}

TEST_F(CookieScannerTest, OutsideASessionTheFirstFindingEndsTheScan) {
  EndSession();
  PutCookie("me@adsite[1].txt", "adsite");
  PutCookie("me@adsite[2].txt", "adsite");
  Scan();
  EXPECT_EQ(Texts(form.lvwSpywareFound), std::vector<std::string>{"Cookie Found: me@adsite[1].txt"});
  EXPECT_TRUE(Results().Empty());
  EXPECT_TRUE(form.lvwCookiesToDelete.Empty());
  EXPECT_EQ(state.session.spywareFound, 0);
}

TEST_F(CookieScannerTest, AMissingPatternFileKeepsThePatternsOfTheLastLoad) {
  PutCookie("me@adsite[1].txt", "adsite");
  Scan();
  machine.files.Delete(folder.FilePath("BlockedCookies.dat"));
  form.lvwSpywareFound.Clear();
  Scan();
  EXPECT_EQ(form.lvwSpywareFound.Count(), 1u);
  EXPECT_EQ(form.lvwBlockedCookies.Count(), 3u);
}

TEST_F(CookieScannerTest, NoCookieFolderOrNoPatternsFindNothingAndFilesWithoutASiteAreFalse) {
  PutCookie("me@adsite[1].txt", "adsite");
  PutDefinitions("BlockedCookies.dat", {});
  Scan();
  EXPECT_TRUE(form.lvwSpywareFound.Empty());
  PutDefinitions("BlockedCookies.dat", {"F*"});
  PutCookie("noatsign.txt", "adsite");
  Scan();
  EXPECT_EQ(Texts(Results()), std::vector<std::string>{"Cookie: noatsign.txt"});
  form.lvwSpywareFound.Clear();
  machine.environment.specialFolders.erase(platform::special_folders::kCookies);
  PutDefinitions("BlockedCookies.dat", {"*"});
  EXPECT_EQ(Scan(), 0);
  EXPECT_TRUE(form.lvwSpywareFound.Empty());
}

TEST_F(CookieScannerTest, StopEndsThePhaseBeforeTheNextFile) {
  PutCookie("me@adsite[1].txt", "adsite");
  PutCookie("me@adsite[2].txt", "adsite");
  host.AtYield(host.Yields() + 4, [&] { state.session.stopRequested = true; });  // after loading
  EXPECT_EQ(Scan(), 1);
}

TEST_F(CookieScannerTest, AReportedRunOfCallsEqualsTheCallsOneByOne) {
  for (const int start : {0, 37, 98, 99}) {
    for (const int calls : {1, 2, 62, 63, 64, 163, 250}) {
      state.session.progressRefreshCounter = start;
      form.lblStatus.SetCaption("");
      for (int i = 0; i < calls; ++i) {
        ReportScanProgress(context, "call " + std::to_string(i), 10, -1);
      }
      const auto oneByOne = std::make_pair(state.session.progressRefreshCounter, form.lblStatus.Caption());
      state.session.progressRefreshCounter = start;
      form.lblStatus.SetCaption("");
      ReportScanProgressRun(context, calls, [](std::int64_t i) { return "call " + std::to_string(i); }, 10, -1);
      EXPECT_EQ(std::make_pair(state.session.progressRefreshCounter, form.lblStatus.Caption()), oneByOne)
          << start << " + " << calls;
    }
  }
}

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

TEST(CookieFileTest, SiteIsTheHostOfTheFirstFieldHoldingTheKeyIfAny) {
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
  // Unreadable or missing files have no site.
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

TEST(CookiePattern, WildcardRulesAndManyStarsAgainstALongSiteEndAtOnce) {
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
  // Patterns come from the network: a matcher that tries every way to place each star would
  // not finish these in a lifetime.
  const std::string site(20000, 'a');
  EXPECT_FALSE(MatchesCookiePattern(site, "*a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(MatchesCookiePattern(site + "b", "*a*a*a*a*a*a*a*b"));
  EXPECT_FALSE(MatchesCookiePattern(site, "*?*[a]*?*[!b]*?*a*#"));
}

}  // namespace
}  // namespace kestrian::scan
