#include "removal/reg_file.h"

#include <cstdio>
#include <cstdint>
#include <utility>

#include "core/utf16.h"
#include "scan/registry_definition.h"

namespace kestrian::removal {

namespace {
namespace types = platform::value_types;
using Text = std::u16string;
using TextView = std::u16string_view;

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::size_t kHexWrapColumn = 77;  // as the export wraps its hex lines

// The root keys by their handles: HKEY_CLASSES_ROOT (0x80000000) to HKEY_DYN_DATA.
constexpr platform::RootKey kFirstRoot = platform::roots::kClassesRoot;
constexpr platform::RootKey kLastRoot = platform::roots::kDynData;

bool IsStringType(std::uint32_t type) {
  return type == types::kString || type == types::kExpandString || type == types::kMultiString;
}

Text Ascii(std::string_view text) { return Text(text.begin(), text.end()); }

// ---------------------------------------------------------------- writing

class Writer {
 public:
  bool Key(const RegKey& key) {
    const std::string_view root = scan::RootKeyName(key.root);
    if (root.empty() || !Plain(key.path)) return false;
    const auto path = core::Utf8ToUtf16(key.path);
    if (!path) return false;
    line_ = u"[" + Ascii(root) + (key.path.empty() ? Text() : u"\\" + *path) + u"]";
    EndLine();
    for (const auto& value : key.values) {
      if (!Value(value)) return false;
    }
    EndLine();
    return true;
  }
  const Text& Result() const { return text_; }

 private:
  static bool Plain(std::string_view name) { return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos; }

  bool Value(const platform::NamedValue& value) {
    if (!Plain(value.name)) return false;
    if (value.name.empty()) {
      line_ = u"@=";
    } else {
      const auto name = core::Utf8ToUtf16(value.name);
      if (!name) return false;
      line_ = u"\"" + Escaped(*name) + u"\"=";
    }
    if (!Data(value.value)) return false;
    EndLine();
    return true;
  }

  bool Data(const platform::RegistryValue& value) {
    if (value.type == types::kString && AsText(value.data)) return true;
    if (value.type == types::kDword && value.data.size() == 4) {
      std::uint32_t number = 0;
      for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(value.data[i]);
      char digits[9] = {};
      std::snprintf(digits, sizeof digits, "%08x", number);
      line_ += u"dword:" + Ascii(digits);
      return true;
    }
    std::string bytes = value.data;
    if (IsStringType(value.type)) {
      const auto wide = core::Utf8ToUtf16(value.data);
      if (!wide) return false;
      bytes.clear();
      for (char16_t unit : *wide) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
      }
    }
    if (value.type == types::kBinary) {
      line_ += u"hex:";
    } else {
      char type[16] = {};
      std::snprintf(type, sizeof type, "hex(%x):", static_cast<unsigned>(value.type));
      line_ += Ascii(type);
    }
    Hex(bytes);
    return true;
  }

  // A string with one terminating zero and no other, and no line break, is written as text.
  bool AsText(std::string_view data) {
    if (data.empty() || data.back() != '\0') return false;
    data.remove_suffix(1);
    if (data.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return false;
    const auto wide = core::Utf8ToUtf16(data);
    if (!wide) return false;
    line_ += u"\"" + Escaped(*wide) + u"\"";
    return true;
  }

  static Text Escaped(TextView text) {
    Text out;
    for (char16_t unit : text) {
      if (unit == u'\\' || unit == u'"') out += u'\\';
      out += unit;
    }
    return out;
  }

  void Hex(std::string_view bytes) {
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const auto byte = static_cast<unsigned char>(bytes[i]);
      line_ += kDigits[byte >> 4];
      line_ += kDigits[byte & 0x0F];
      if (i + 1 == bytes.size()) break;
      line_ += u',';
      if (line_.size() - lineStart_ >= kHexWrapColumn) {
        line_ += u"\\\r\n  ";
        lineStart_ = line_.size() - 2;
      }
    }
  }

  void EndLine() {
    text_ += line_;
    text_ += u"\r\n";
    line_.clear();
    lineStart_ = 0;
  }

  Text text_ = Ascii(kHeader) + u"\r\n\r\n";
  Text line_;
  std::size_t lineStart_ = 0;
};

// ---------------------------------------------------------------- reading

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

TextView TrimSpaces(TextView text) {
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
  return text;
}

class Reader {
 public:
  explicit Reader(TextView text) : text_(text) {}

  RegFileRead Read() {
    RegFileRead result;
    bool headerSeen = false;
    TextView line;
    while (NextLine(line)) {
      line = TrimSpaces(line);
      if (line.empty() || line.front() == u';') continue;
      if (!headerSeen) {
        if (line != Ascii(kHeader)) return Fail(result, "it is not a registry file of version 5.00");
        headerSeen = true;
      } else if (line.front() == u'[') {
        if (!KeyLine(line, result)) return Fail(result, error_);
      } else if (!ValueLine(line, result)) {
        return Fail(result, error_);
      }
    }
    if (!headerSeen) return Fail(result, "it is empty");
    return result;
  }

 private:
  RegFileRead& Fail(RegFileRead& result, std::string error) {
    result.keys.clear();
    result.error = "line " + std::to_string(lineNumber_) + ": " + std::move(error);
    return result;
  }

  bool NextLine(TextView& line) {
    if (position_ >= text_.size()) return false;
    std::size_t end = text_.find(u'\n', position_);
    if (end == TextView::npos) end = text_.size();
    line = text_.substr(position_, end - position_);
    if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
    position_ = end + 1;
    ++lineNumber_;
    return true;
  }

  bool Error(std::string text) {
    error_ = std::move(text);
    return false;
  }

  bool KeyLine(TextView line, RegFileRead& result) {
    const std::size_t close = line.rfind(u']');
    if (close == TextView::npos || close + 1 != line.size()) return Error("a key line without its ]");
    const TextView name = line.substr(1, close - 1);
    if (!name.empty() && name.front() == u'-') return Error("it deletes a key");
    const std::size_t slash = name.find(u'\\');
    const TextView rootName = name.substr(0, slash);
    RegKey key;
    for (platform::RootKey root = kFirstRoot; root <= kLastRoot; ++root) {
      if (!scan::RootKeyName(root).empty() && rootName == Ascii(scan::RootKeyName(root))) key.root = root;
    }
    if (key.root == platform::roots::kNone) return Error("an unknown root key");
    if (slash != TextView::npos) {
      const auto path = core::Utf16ToUtf8(name.substr(slash + 1));
      if (!path || path->empty() || path->back() == '\\') return Error("a key name that cannot be read");
      key.path = *path;
    }
    result.keys.push_back(std::move(key));
    return true;
  }

  bool ValueLine(TextView line, RegFileRead& result) {
    if (result.keys.empty()) return Error("a value before any key");
    platform::NamedValue value;
    if (line.front() == u'@') {
      line.remove_prefix(1);
    } else if (line.front() == u'"') {
      line.remove_prefix(1);
      Text name;
      if (!Unquote(line, name)) return false;
      const auto utf8 = core::Utf16ToUtf8(name);
      if (!utf8) return Error("a value name that cannot be read");
      value.name = *utf8;
    } else {
      return Error("a line that is neither a key nor a value");
    }
    line = TrimSpaces(line);
    if (line.empty() || line.front() != u'=') return Error("a value without =");
    line = TrimSpaces(line.substr(1));
    if (!Data(line, value.value)) return false;
    result.keys.back().values.push_back(std::move(value));
    return true;
  }

  // Reads a quoted text whose opening quote is gone, up to its closing quote.
  bool Unquote(TextView& line, Text& out) {
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == u'"') {
        line.remove_prefix(i + 1);
        return true;
      }
      if (line[i] == u'\\') {
        if (++i == line.size() || (line[i] != u'\\' && line[i] != u'"')) {
          return Error("an escape it does not know");
        }
      }
      out += line[i];
    }
    return Error("a text without its closing quote");
  }

  bool Data(TextView data, platform::RegistryValue& value) {
    if (!data.empty() && data.front() == u'"') {
      data.remove_prefix(1);
      Text text;
      if (!Unquote(data, text)) return false;
      if (!TrimSpaces(data).empty()) return Error("text after the closing quote");
      const auto utf8 = core::Utf16ToUtf8(text);
      if (!utf8) return Error("a text that cannot be read");
      value = platform::RegistryValue::String(*utf8);
      return true;
    }
    if (data.starts_with(u"dword:")) return Dword(data.substr(6), value);
    if (data == u"-") return Error("it deletes a value");
    std::uint32_t type = types::kBinary;
    if (data.starts_with(u"hex(")) {
      const std::size_t close = data.find(u')');
      if (close == TextView::npos || close == 4 || close > 12) return Error("a type that cannot be read");
      type = 0;
      for (char16_t c : data.substr(4, close - 4)) {
        if (HexDigit(c) < 0) return Error("a type that cannot be read");
        type = (type << 4) | static_cast<std::uint32_t>(HexDigit(c));
      }
      data.remove_prefix(close + 1);
    } else if (data.starts_with(u"hex")) {
      data.remove_prefix(3);
    } else {
      return Error("data of a kind it does not know");
    }
    if (data.empty() || data.front() != u':') return Error("hex data without :");
    std::string bytes;
    if (!HexBytes(data.substr(1), bytes)) return false;
    return Typed(type, std::move(bytes), value);
  }

  bool Dword(TextView digits, platform::RegistryValue& value) {
    digits = TrimSpaces(digits);
    if (digits.empty() || digits.size() > 8) return Error("a dword that cannot be read");
    std::uint32_t number = 0;
    for (char16_t c : digits) {
      if (HexDigit(c) < 0) return Error("a dword that cannot be read");
      number = (number << 4) | static_cast<std::uint32_t>(HexDigit(c));
    }
    value = platform::RegistryValue::Dword(number);
    return true;
  }

  // Comma-separated bytes; a line ending in a backslash goes on in the next one.
  bool HexBytes(TextView data, std::string& bytes) {
    for (;;) {
      data = TrimSpaces(data);
      const bool continued = !data.empty() && data.back() == u'\\';
      if (continued) data.remove_suffix(1);
      if (!HexList(data, bytes)) return false;
      if (!continued) return true;
      if (!NextLine(data)) return Error("hex data that ends early");
    }
  }

  bool HexList(TextView data, std::string& bytes) {
    std::size_t start = 0;
    while (start < data.size()) {
      std::size_t comma = data.find(u',', start);
      if (comma == TextView::npos) comma = data.size();
      const TextView item = TrimSpaces(data.substr(start, comma - start));
      start = comma + 1;
      if (item.empty() && comma == data.size()) break;  // a trailing comma
      if (item.empty() || item.size() > 2) return Error("a byte that cannot be read");
      int byte = 0;
      for (char16_t c : item) {
        if (HexDigit(c) < 0) return Error("a byte that cannot be read");
        byte = byte * 16 + HexDigit(c);
      }
      bytes += static_cast<char>(byte);
    }
    return true;
  }

  // String types hold UTF-16 in the file and UTF-8 here.
  bool Typed(std::uint32_t type, std::string bytes, platform::RegistryValue& value) {
    if (IsStringType(type)) {
      if (bytes.size() % 2 != 0) return Error("a text of an odd number of bytes");
      Text wide;
      for (std::size_t i = 0; i < bytes.size(); i += 2) {
        wide += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      (static_cast<unsigned char>(bytes[i + 1]) << 8));
      }
      const auto utf8 = core::Utf16ToUtf8(wide);
      if (!utf8) return Error("a text that cannot be read");
      bytes = *utf8;
    }
    value = {type, std::move(bytes)};
    return true;
  }

  TextView text_;
  std::size_t position_ = 0;
  int lineNumber_ = 0;
  std::string error_;
};
}  // namespace

std::string RegKeyName(platform::RootKey root, std::string_view path) {
  std::string name(scan::RootKeyName(root));
  if (!path.empty()) name.append("\\").append(path);
  return name;
}

std::optional<std::string> WriteRegFile(const std::vector<RegKey>& keys) {
  Writer writer;
  for (const RegKey& key : keys) {
    if (!writer.Key(key)) return std::nullopt;
  }
  std::string bytes = "\xFF\xFE";
  bytes.reserve(2 + writer.Result().size() * 2);
  for (char16_t unit : writer.Result()) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

RegFileRead ReadRegFile(std::string_view bytes) {
  if (bytes.size() > kMostRegFileBytes) return {{}, "the file is too large"};
  if (bytes.size() < 2 || bytes.size() % 2 != 0 || bytes[0] != '\xFF' || bytes[1] != '\xFE') {
    return {{}, "it is not a UTF-16 registry file"};
  }
  Text text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 2; i < bytes.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                  (static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return Reader(text).Read();
}

}  // namespace kestrian::removal
