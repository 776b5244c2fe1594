#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/definition_line.h"
#include "tools/kdefs/definition_encoder.h"
#include "tools/kdefs/definition_validator.h"
#include "signed_manifest.h"
#include "tools/kdefs/signing_key.h"
#include "tools/kdefs/tree_check.h"
#include "tools/kdefs/update_tree.h"
#include "update/version_page.h"

namespace kestrian::kdefs {
namespace {

using Lines = std::vector<std::string>;
using Message = std::optional<std::string>;

TEST(KdefsSourceLines, SplitAtLineFeedOrCarriageReturnLineFeed) {
  const std::pair<std::string_view, Lines> cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\r\nc", {"a", "b", "c"}},
      {"\r\n\r\n", {"", ""}},
      // A CR that does not end a line is kept, for the encoder to refuse.
      {"a\rb\n", {"a\rb"}},
      {"a\r\r\n", {"a\r"}},
      {"a\r", {"a\r"}},
  };
  for (const auto& [source, lines] : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(source)));
    EXPECT_EQ(SplitSourceLines(source), lines);
  }
}

TEST(KdefsEncode, EncodesLettersAndDigitsAndEndsEveryLineWithCrLf) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"Az09", "\xC0\xF3\xF4\xFD\r\n"},
      {"aZ\r\nb=1\n", "\xDA\xD9\r\n\xDB=\xF5\r\n"},
      // The neighbours of each range, and bytes outside them, stay as they are.
      {"/:@[`{!w#?|\x01\xBF\xFE\xFF\n", "/:@[`{!\xF0#?|\x01\xBF\xFE\xFF\r\n"},
  };
  for (const auto& [source, content] : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(source)));
    const EncodedFile file = EncodeSource(source);
    EXPECT_TRUE(file.ok());
    EXPECT_EQ(file.content, content);
  }
}

std::string Refused(std::string_view where) {
  return std::string(where) + " cannot be encoded (it would read back as a letter or digit)";
}

TEST(KdefsEncode, RefusesBytesThatWouldReadBackAsLettersOrDigitsAndWritesNothing) {
  const std::pair<std::string_view, Message> cases[] = {
      {"plain", std::nullopt},
      {"\xFE", std::nullopt},
      {"\xC0", Refused("byte 0xC0 at column 1")},
      {"ab\xFD", Refused("byte 0xFD at column 3")},
      {"caf\xC3\xA9", Refused("byte 0xC3 at column 4")},
      {"a\rb", "carriage return inside the line (end lines with LF or CR LF)"},
  };
  for (const auto& [line, message] : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(line)));
    EXPECT_EQ(CheckEncodable(line), message);
  }
  // Every refused line is reported, and nothing is written.
  const EncodedFile file = EncodeSource("good\n\xE0 bad\nfine\r\nx\ry\n");
  EXPECT_FALSE(file.ok());
  EXPECT_EQ(file.content, "");
  const std::vector<Problem> expected = {
      {2, Refused("byte 0xE0 at column 1")},
      {4, "carriage return inside the line (end lines with LF or CR LF)"},
  };
  EXPECT_EQ(file.problems, expected);
}

TEST(KdefsDecode, SplitsAtCarriageReturnOrCrLfAndKeepsLoneLineFeeds) {
  EXPECT_EQ(DecodeDefinitionFile(""), Lines{});
  EXPECT_EQ(DecodeDefinitionFile("\xC0\r\xC1\r\n\xC2\n\xC3"), (Lines{"A", "B", "C\nD"}));
  EXPECT_EQ(DecodeDefinitionFile("\r\n\r\n"), (Lines{"", ""}));
}

void ExpectMessages(DefinitionKind kind, const std::vector<std::pair<std::string_view, Message>>& cases) {
  for (const auto& [decoded, message] : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(decoded)));
    EXPECT_EQ(ValidateLine(kind, decoded), message);
  }
}

TEST(KdefsValidate, LinesOfEachKindAndKindNames) {
  ExpectMessages(DefinitionKind::kRegistry, {
      {"1^Software\\AcmeBar^=AcmeBar Toolbar", std::nullopt},
      {"0^CLSID\\{1}^=X", std::nullopt},
      {"5^Config^Value=X", std::nullopt},
      {"1^Software\\X^a=b=Threat", std::nullopt},  // the last "=" starts the threat name
      {"1^Software\\A=B^Value=T", std::nullopt},  // so may the key path
      {"1^Software\\X^Value", "missing '=' before the threat name"},
      {"1=T", "expected root^key path^value name before '='"},
      {"1^Software^X^Y=T", "too many '^' fields (expected root^key path^value name)"},
      {"6^Software^=T", "root field must be 0 to 5"},
      {"-1^Software^=T", "root field must be 0 to 5"},
      {"HKCU^Software^=T", "root field must be 0 to 5"},
      {"1^  ^=T", "key path is empty"},
  });
  ExpectMessages(DefinitionKind::kFile, {
      {"coolsrch.dll=CoolSearch Hijacker", std::nullopt},
      {"acmebar.dll=AcmeBar Toolbar|[pfiles]AcmeBar\\", std::nullopt},
      {"a.exe=T|C:\\[Old Stuff]\\", std::nullopt},  // not a placeholder in any case
      {"a.dll|x=T", "missing '=' between file name and threat name"},
      {"  =T|[wDir]", "file name is empty"},
      {"a.dll= |[wDir]", "threat name is empty"},
      {"a.dll=T|[wDir]|x", "more than one '|' (the scanner ignores the rest)"},
      {"a.dll=T=U", "more than one '=' (the scanner ignores the rest)"},
      {"a.dll=T|[PFILES]A\\", "placeholder [PFILES] is case-sensitive (write [pfiles])"},
      {"a.dll=T|[drive]A\\", "placeholder [drive] is case-sensitive (write [Drive])"},
      {"a.dll=T|[Drive][DDIR]", "placeholder [DDIR] is case-sensitive (write [dDir])"},
      {"a.dll=T|[wdir]", "placeholder [wdir] is case-sensitive (write [wDir])"},
  });
  ExpectMessages(DefinitionKind::kExe, {
      {"acmebar.exe", std::nullopt},
      {"   ", "executable name is empty"},
      {"C:\\Tools\\a.exe", "executable name must not contain '\\' (a name, not a path)"},
      {"a.exe=Threat", "executable name must not contain '='"},
  });
  ExpectMessages(DefinitionKind::kCookie, {
      {"*adserver*", std::nullopt},
      {"[!w]*.ads.??", std::nullopt},
      {"[a-]x", std::nullopt},
      {"", "empty pattern (it can never match a real cookie)"},
      {"*ads[a-z", "unclosed '['"},
      {"[a][b", "unclosed '['"},
      {"x[]", "empty character list ('[]' or '[!]')"},
      {"[!]x", "empty character list ('[]' or '[!]')"},
      {"[z-a]", "range z-a is reversed"},
      {"[0-9a-Zx]", "range a-Z is reversed"},
  });
  EXPECT_EQ(ParseDefinitionKind("registry"), DefinitionKind::kRegistry);
  EXPECT_EQ(ParseDefinitionKind("file"), DefinitionKind::kFile);
  EXPECT_EQ(ParseDefinitionKind("exe"), DefinitionKind::kExe);
  EXPECT_EQ(ParseDefinitionKind("cookie"), DefinitionKind::kCookie);
  EXPECT_EQ(ParseDefinitionKind("Registry"), std::nullopt);
  EXPECT_EQ(ParseDefinitionKind("cookies"), std::nullopt);
}

// Whole files: problems by line number, a lone CR ending a line as the program reads it, and a
// line that was never encoded.
TEST(KdefsValidate, FilesReportTheirProblemsByLineNumber) {
  const struct {
    DefinitionKind kind;
    std::string content;
    std::vector<Problem> problems;
  } cases[] = {
      {DefinitionKind::kRegistry,
       EncodeSource("1^Software\\AcmeBar^=AcmeBar Toolbar\n7^Software^=T\n\n2^Software\\C^P=C\n").content,
       {{2, "root field must be 0 to 5"}, {3, "missing '=' before the threat name"}}},
      {DefinitionKind::kExe,
       core::EncodeDefinitionLine("a.exe") + "\r" + core::EncodeDefinitionLine("b.exe") + "\r\n" +
           core::EncodeDefinitionLine("c\\d.exe"),
       {{3, "executable name must not contain '\\' (a name, not a path)"}}},
      {DefinitionKind::kExe, EncodeSource("a.exe").content + "b.exe\r\n",
       {{2, "plain letters or digits: the file is not encoded"}}},
      {DefinitionKind::kCookie, "", {}},
      {DefinitionKind::kCookie, EncodeSource("*adserver*\r\ntrack#.example.net\r\n").content, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.content));
    EXPECT_EQ(ValidateDefinitionFile(c.kind, c.content), c.problems);
  }
}

// What kdefs publishes is what Live Update accepts, and "kdefs verify" sees each fault that
// Live Update would refuse.
TEST(UpdateTreeTest, APublishedTreeIsSignedAndCheckedAsLiveUpdateChecksIt) {
  const auto crypto = platform::MakeSystemCrypto();
  const auto signer = platform::MakeSystemSigner();
  const platform::P256KeyPair key = testing::TestSigningKey();
  const UpdateTree tree = MakeSignedUpdateTree(
      {{DefinitionKind::kExe, "a.exe\n", 30}, {DefinitionKind::kCookie, "*.ads.example\n", 5}}, {},
      {*crypto, *signer, key});
  ASSERT_TRUE(tree.ok());
  std::map<std::string, std::string> served;
  std::vector<std::string> paths;
  for (const TreeFile& file : tree.files) {
    paths.push_back(file.path);
    served[file.path] = file.content;
  }
  EXPECT_EQ(paths, (std::vector<std::string>{"definitions/data/ExeDefinition.dat", "definitions/data/BlockedCookies.dat",
                                             "definitions/version/MANIFEST.TXT", "definitions/version/MANIFEST.SIG",
                                             "definitions/version/E.HTM", "definitions/version/C.HTM"}));
  const auto check = [&](const std::map<std::string, std::string>& files) {
    return CheckPublishedTree(
        [&](std::string_view path) -> std::optional<std::string> {
          const auto found = files.find(std::string(path));
          return found == files.end() ? std::nullopt : std::optional(found->second);
        },
        *crypto, update::TrustedKeys());
  };
  EXPECT_EQ(check(served), std::vector<std::string>{});
  const std::pair<const char*, std::size_t> faults[] = {{"definitions/data/ExeDefinition.dat", 0},
                                                        {"definitions/version/E.HTM", served["definitions/version/E.HTM"].find("30")},
                                                        {"definitions/version/MANIFEST.SIG", 10}};
  for (const auto& [path, at] : faults) {
    std::map<std::string, std::string> changed = served;
    changed[path][at] ^= 1;
    EXPECT_EQ(check(changed).size(), 1u) << path;
  }
  // A later publish of one kind keeps the other's signed entry while its file is unchanged.
  const auto readData = [&](std::string_view file) -> std::optional<std::string> {
    return served["definitions/data/" + std::string(file)];
  };
  const auto carried = [&] {
    return CarriedEntries(served["definitions/version/MANIFEST.TXT"], served["definitions/version/MANIFEST.SIG"],
                          readData, *crypto, key.publicKey);
  };
  EXPECT_EQ(carried().size(), 2u);
  served["definitions/data/BlockedCookies.dat"] += "*.more.example\r\n";
  EXPECT_EQ(carried().size(), 1u);
  // A key file whose halves do not belong together signs nothing.
  platform::P256KeyPair mixed = key;
  mixed.publicKey = signer->GenerateP256KeyPair().value().publicKey;
  EXPECT_FALSE(MakeSignedUpdateTree({{DefinitionKind::kExe, "a.exe\n", 30}}, {}, {*crypto, *signer, mixed}).ok());
  EXPECT_EQ(ParsePrivateKeyFile(FormatPrivateKeyFile(mixed, "remark")).value().publicKey, mixed.publicKey);
  // Any problem means no files at all.
  const std::vector<std::vector<PublishedKind>> cases = {
      {{DefinitionKind::kExe, "a.exe\n", 1}, {DefinitionKind::kExe, "b.exe\n", 2}},
      {{DefinitionKind::kExe, "a.exe\n", 1}, {DefinitionKind::kRegistry, "no fields here\n", 2}},
      {{DefinitionKind::kExe, "a.exe\n", -1}},
  };
  for (const auto& kinds : cases) {
    const UpdateTree refused = MakeUpdateTree(kinds);
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.files.empty());
  }
}

}  // namespace
}  // namespace kestrian::kdefs
