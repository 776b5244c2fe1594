#include "scan/company_name.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrian::scan {
namespace {

using namespace std::string_literals;

// A key or value two bytes per character.
std::string Wide(std::string_view text) {
  std::string out;
  for (char c : text) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}

// A version string record as a resource compiler lays it out: length and value-length
// words, type word 1, the key and its terminator, then the value and its terminator.
std::string WideRecord(std::string_view key, std::string_view value) {
  return "\x40\x00\x10\x00"s + "\x01\x00"s + Wide(key) + "\0\0"s + Wide(value) + "\0\0"s;
}

std::string WideBlock(std::string_view company) {
  return "MZ header bytes"s + "\x01\x00"s + Wide("StringFileInfo") + "\0\0"s + "pad"s +
         WideRecord("CompanyName", company) + "\0\0"s + WideRecord("FileDescription", "Tool");
}

TEST(CompanyNameTest, FindsTheValueInTheRawBytes) {
  const struct {
    const char* name;
    std::string bytes;
    std::string expected;
  } cases[] = {
      {"two-byte block", WideBlock("Microsoft Corporation"), "Microsoft Corporation"},
      {"two-byte block, other company", WideBlock("Foo Inc"), "Foo Inc"},
      {"plain text block",
       "xx StringFileInfo yy CompanyName\0Microsoft Corporation\0\0\0FileDescription\0T\0\0\0"s,
       "Microsoft Corporation"},
      {"plain key without a block name", "CompanyName\0Acme Ltd\0\0\0"s, "Acme Ltd"},
      {"plain block name, two-byte key",
       "StringFileInfo"s + "\x01\x00"s + Wide("CompanyName") + "\0\0"s + Wide("Wide Co") + "\0\0\0\0"s,
       "Wide Co"},
      {"no version block", "MZ just code bytes\0\0\0"s, ""},
      {"key without three zero bytes after it", "CompanyName\0Acme"s, ""},
      {"empty file", "", ""},
      // The value runs into the next key: it ends at the first control byte after its start.
      {"value running into the next key", "CompanyName\0Acme\x01" "FileDescription\0\0\0"s, "Acme"},
  };
  for (const auto& c : cases) EXPECT_EQ(CompanyNameFromBytes(c.bytes), c.expected) << c.name;
}

TEST(CompanyNameTest, MicrosoftInAnyCaseWithSpacesIsMicrosoft) {
  EXPECT_TRUE(IsMicrosoftCompany("Microsoft Corporation"));
  EXPECT_TRUE(IsMicrosoftCompany("  MICROSOFT corporation "));
  EXPECT_FALSE(IsMicrosoftCompany("Microsoft Corp"));
  EXPECT_FALSE(IsMicrosoftCompany(""));
}

}  // namespace
}  // namespace kestrian::scan
