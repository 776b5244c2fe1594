#pragma once
// The company name an executable carries, found by a search of its raw bytes for the
// version block's "CompanyName" string (stored two bytes per character, or as plain text).
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace kestrian::scan {

std::string CompanyNameFromBytes(std::string_view bytes);

// The company name of the file at `path`; empty when it cannot be read.
std::string GetExecutableCompanyName(platform::FileSystem& files, std::string_view path);

// Files of this company are never reported.
bool IsMicrosoftCompany(std::string_view companyName);

}  // namespace kestrian::scan
