#include "core/definition_line.h"

namespace kestrian::core {

namespace {
unsigned char DecodeByte(unsigned char c) {
  if (c >= 192 && c <= 217) return static_cast<unsigned char>(c - 127);  // A..Z
  if (c >= 218 && c <= 243) return static_cast<unsigned char>(c - 121);  // a..z
  if (c >= 244 && c <= 253) return static_cast<unsigned char>(c - 196);  // 0..9
  return c;
}

unsigned char EncodeByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 127);
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c + 121);
  if (c >= '0' && c <= '9') return static_cast<unsigned char>(c + 196);
  return c;
}
}  // namespace

std::string DecodeDefinitionLine(std::string_view line) {
  std::string out;
  DecodeDefinitionLine(line, out);
  return out;
}

void DecodeDefinitionLine(std::string_view line, std::string& out) {
  out.assign(line);
  for (char& c : out) c = static_cast<char>(DecodeByte(static_cast<unsigned char>(c)));
}

std::string EncodeDefinitionLine(std::string_view line) {
  std::string out(line);
  for (char& c : out) c = static_cast<char>(EncodeByte(static_cast<unsigned char>(c)));
  return out;
}

bool EncodableDefinitionLine(std::string_view line) {
  for (char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 192 && byte <= 253) return false;
  }
  return true;
}

}  // namespace kestrian::core
