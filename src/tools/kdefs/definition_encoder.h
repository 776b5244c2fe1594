#pragma once
// Readable definition sources turned into definition files, and definition files read back.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/kdefs/problem.h"

namespace kestrian::kdefs {

// The lines of a readable source, separated by LF or CR LF. A terminator after the last line
// ends it rather than starting an empty one; an empty source holds no line.
std::vector<std::string> SplitSourceLines(std::string_view source);

// Why `line` cannot go into a definition file unchanged, or nothing when it can.
std::optional<std::string> CheckEncodable(std::string_view line);

// A definition file's content, or the problems that stop it from being written.
struct EncodedFile {
  std::string content;  // empty when there are problems
  std::vector<Problem> problems;

  bool ok() const { return problems.empty(); }
};

// Every source line encoded and ended with CR LF, as the program reads definition files.
EncodedFile EncodeSource(std::string_view source);

// The decoded lines of a definition file, split the way the program splits them (CR or CR LF).
std::vector<std::string> DecodeDefinitionFile(std::string_view content);

}  // namespace kestrian::kdefs
