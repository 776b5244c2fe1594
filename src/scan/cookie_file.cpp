#include "scan/cookie_file.h"

namespace kestrian::scan {

namespace {
constexpr std::string_view kNoSite = "False";

bool LineEnd(char c) { return c == '\r' || c == '\n'; }

// Reads the fields of a comma-separated text one by one: spaces before a field are
// skipped; a quoted field runs to the next quote, anything after it up to the separator
// being dropped; any other field ends at a comma or at the end of its line.
class FieldReader {
 public:
  explicit FieldReader(std::string_view text) : text_(text) {}

  bool Next(std::string_view& field) {
    if (at_ >= text_.size()) return false;
    while (at_ < text_.size() && text_[at_] == ' ') ++at_;
    if (at_ < text_.size() && text_[at_] == '"') {
      const std::size_t close = text_.find('"', at_ + 1);
      const std::size_t end = close == std::string_view::npos ? text_.size() : close;
      field = text_.substr(at_ + 1, end - at_ - 1);
      at_ = end;
      while (at_ < text_.size() && text_[at_] != ',' && !LineEnd(text_[at_])) ++at_;
    } else {
      const std::size_t start = at_;
      while (at_ < text_.size() && text_[at_] != ',' && !LineEnd(text_[at_])) ++at_;
      field = text_.substr(start, at_ - start);
    }
    SkipSeparator();
    return true;
  }

 private:
  void SkipSeparator() {
    if (at_ >= text_.size()) return;
    if (text_[at_] == ',') {
      ++at_;
    } else if (text_[at_] == '\r') {
      ++at_;
      if (at_ < text_.size() && text_[at_] == '\n') ++at_;
    } else if (text_[at_] == '\n') {
      ++at_;
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
};
}  // namespace

std::string CookieKeyFromPath(std::string_view path) {
  const std::size_t at = path.find('@');
  if (at == std::string_view::npos) return {};
  const std::string_view rest = path.substr(at + 1);
  std::size_t counter = rest.find('(');
  if (counter == std::string_view::npos) counter = rest.find('[');
  if (counter != std::string_view::npos) return std::string(rest.substr(0, counter));
  const std::size_t dot = rest.rfind('.');
  if (dot == std::string_view::npos) return {};
  return std::string(rest.substr(0, dot));
}

std::string CookieSiteFromContent(std::string_view content, std::string_view key) {
  FieldReader reader(content);
  std::string_view field;
  while (reader.Next(field)) {
    const std::size_t found = field.find(key);
    if (found == std::string_view::npos) continue;
    const std::string_view fromKey = field.substr(found);
    const std::size_t slash = fromKey.find('/');
    if (slash != std::string_view::npos) return std::string(fromKey.substr(0, slash));
  }
  return std::string(kNoSite);
}

std::string GetCookieSite(platform::FileSystem& files, std::string_view path) {
  if (files.Find(path).empty()) return std::string(kNoSite);
  return GetListedCookieSite(files, path);
}

std::string GetListedCookieSite(platform::FileSystem& files, std::string_view path) {
  const std::string key = CookieKeyFromPath(path);
  if (key.empty()) return std::string(kNoSite);
  const auto content = files.ReadAll(path);
  if (!content.ok()) return std::string(kNoSite);
  return CookieSiteFromContent(content.value(), key);
}

}  // namespace kestrian::scan
