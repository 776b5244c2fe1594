#include "tools/kdefs/definition_encoder.h"

#include <cstdio>

#include "core/definition_line.h"
#include "core/line_reader.h"

namespace kestrian::kdefs {

namespace {
bool Unencodable(unsigned char byte) { return byte >= 192 && byte <= 253; }

std::string ByteMessage(unsigned char byte, std::size_t column) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(byte));
  return "byte " + std::string(hex) + " at column " + std::to_string(column) +
         " cannot be encoded (it would read back as a letter or digit)";
}
}  // namespace

std::vector<std::string> SplitSourceLines(std::string_view source) {
  std::vector<std::string> lines;
  while (!source.empty()) {
    const auto lf = source.find('\n');
    std::string_view line = source.substr(0, lf);
    if (line.ends_with('\r') && lf != std::string_view::npos) line.remove_suffix(1);
    lines.emplace_back(line);
    source.remove_prefix(lf == std::string_view::npos ? source.size() : lf + 1);
  }
  return lines;
}

std::optional<std::string> CheckEncodable(std::string_view line) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto byte = static_cast<unsigned char>(line[i]);
    // The program ends a line at any CR, so one inside a line would split the definition.
    if (byte == '\r') return "carriage return inside the line (end lines with LF or CR LF)";
    if (Unencodable(byte)) return ByteMessage(byte, i + 1);
  }
  return std::nullopt;
}

EncodedFile EncodeSource(std::string_view source) {
  EncodedFile file;
  int number = 0;
  for (const std::string& line : SplitSourceLines(source)) {
    ++number;
    if (auto message = CheckEncodable(line)) {
      file.problems.push_back({number, std::move(*message)});
      continue;
    }
    file.content.append(core::EncodeDefinitionLine(line)).append("\r\n");
  }
  if (!file.ok()) file.content.clear();
  return file;
}

std::vector<std::string> DecodeDefinitionFile(std::string_view content) {
  std::vector<std::string> lines;
  core::LineReader reader(content);
  std::string_view line;
  while (reader.Next(line)) lines.push_back(core::DecodeDefinitionLine(line));
  return lines;
}

}  // namespace kestrian::kdefs
