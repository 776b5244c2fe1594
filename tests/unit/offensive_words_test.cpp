#include <gtest/gtest.h>

#include "scan/offensive_words.h"

namespace kestrian::scan {
namespace {

TEST(MaskOffensiveWords, MasksInListOrderWhateverTheCase) {
  const struct {
    std::string_view text, shown;
  } cases[] = {
      {"Analysis", "****ysis"}, {"faggot", "****got"},
      {"C:\\Documents and Settings", "C:\\Do****ents and Settings"}, {"SEXY", "****Y"},
      {"Scanning Registry: software\\x", "Scanning Registry: software\\x"}, {"assholes", "****s"}, {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(MaskOffensiveWords(c.text), c.shown) << c.text;
}

}  // namespace
}  // namespace kestrian::scan
