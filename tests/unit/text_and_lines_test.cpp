#include <gtest/gtest.h>

#include "core/definition_line.h"
#include "core/text.h"

namespace kestrian::core {
namespace {

TEST(DecodeDefinitionLine, SubstitutesLettersAndDigitsOnly) {
  const struct {
    std::string encoded, decoded;
  } cases[] = {
      {"\xc0\xd9", "AZ"}, {"\xda\xf3", "az"}, {"\xf4\xfd", "09"}, {"\xc0 \xda", "A a"},
      {"\xf5^\xdb\xdc=\xdd", "1^bc=d"}, {"\\|[].", "\\|[]."}, {"\xfe\xff\x01\x1f\xbf", "\xfe\xff\x01\x1f\xbf"},
      {"ABC", "ABC"},  // plain letters are stored as themselves
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeDefinitionLine(c.encoded), c.decoded) << c.decoded;
    EXPECT_EQ(DecodeDefinitionLine(c.encoded).size(), c.encoded.size());
  }
  const std::string text = "1^Software\\Acme^Run=Acme Bar 2.0";
  EXPECT_EQ(DecodeDefinitionLine(EncodeDefinitionLine(text)), text);
  EXPECT_FALSE(EncodableDefinitionLine("caf\xe9"));
  EXPECT_TRUE(EncodableDefinitionLine("plain text \xfe"));
}

// The rest of the text helpers are read through the scanners', the version page's and the
// timers' tests; these are the cases none of them reaches.
TEST(Text, ConversionsOfStoredValues) {
  const std::pair<const char*, std::optional<std::int64_t>> numbers[] = {
      {"1", 1}, {" 12 ", 12}, {"-3", -3}, {"True", std::nullopt}, {"", std::nullopt}, {"-+7", std::nullopt}};
  for (const auto& [text, number] : numbers) EXPECT_EQ(ParseNumber(text), number) << text;
  const std::pair<const char*, std::optional<bool>> booleans[] = {
      {"True", true}, {"false", false}, {"1", true}, {"0", false}, {"Yes", std::nullopt}};
  for (const auto& [text, boolean] : booleans) EXPECT_EQ(ParseBoolean(text), boolean) << text;
}

TEST(Text, RoundingGroupingSearchAndReplace) {
  const std::pair<double, std::int64_t> rounded[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {33.4, 33}};
  for (const auto& [value, result] : rounded) EXPECT_EQ(RoundHalfEven(value), result) << value;
  const std::pair<std::int64_t, const char*> grouped[] = {
      {0, "0"}, {999, "999"}, {1000, "1,000"}, {1234567, "1,234,567"}};
  for (const auto& [value, text] : grouped) EXPECT_EQ(FormatGrouped(value), text) << value;
  EXPECT_EQ(FindIgnoringCase("Hello World", "WORLD"), 6u);
  EXPECT_EQ(FindIgnoringCase("Hello", "xyz"), std::string_view::npos);
  EXPECT_EQ(ReplaceAll("a..b", ".", ""), "ab");
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\ta\t"), "\ta\t");
}

}  // namespace
}  // namespace kestrian::core
