// The byte search for an executable's company name. Oracles: the name holds no zero byte
// and is no longer than the file; a version block put after bytes that hold none gives its
// name back.
#include "fuzz_support.h"
#include "scan/company_name.h"

using namespace kestrian;

namespace {
// The two-byte form of a version string key: type word 1, then each character and a zero.
std::string TwoByte(std::string_view text) {
  std::string out("\x01\x00", 2);
  for (const char c : text) out.append({c, '\0'});
  return out;
}
}  // namespace

KESTRIAN_FUZZ_TARGET {
  const std::string_view input = fuzz::AsText(data, size);
  const std::string name = scan::CompanyNameFromBytes(input);
  FUZZ_CHECK(name.find('\0') == std::string::npos);
  FUZZ_CHECK(name.size() <= input.size());
  scan::IsMicrosoftCompany(name);

  // Bytes with no version block in them, then a well-formed one naming a company of letters.
  const auto [filler, company] = fuzz::SplitOnce(input, '\n');
  const bool plainFiller = filler.find(TwoByte("StringFileInfo")) == std::string_view::npos;
  const bool lettersOnly = !company.empty() && company.size() < 100 &&
                           company.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz") ==
                               std::string_view::npos;
  if (plainFiller && lettersOnly) {
    std::string file(filler);
    file += TwoByte("StringFileInfo") + std::string(8, '\0') + TwoByte("CompanyName") + std::string(2, '\0');
    for (const char c : company) file.append({c, '\0'});
    file += std::string(2, '\0') + TwoByte("FileDescription");
    FUZZ_CHECK(scan::CompanyNameFromBytes(file) == company);
  }
  fuzz::LinearOnLargeInput(input, "company name", [](std::string_view large) { scan::CompanyNameFromBytes(large); });
  return 0;
}
