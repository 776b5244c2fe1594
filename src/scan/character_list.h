#pragma once
// The "[list]" of a cookie pattern, read the same way by the matcher and by the definitions
// tool's check: characters and ranges such as a-z, bytes compared as unsigned, so that a byte
// of 0x80 or above (an accented letter of the code page) lies above "z".
#include <string_view>

namespace kestrian::scan {

// One item of a list: the range first-last, or one character (first == last).
struct ListItem {
  std::string_view text;  // as written: "a-z" or "a"
  unsigned char first;
  unsigned char last;

  // A range written high to low holds no character.
  bool Reversed() const { return first > last; }
  bool Holds(char c) const {
    const auto byte = static_cast<unsigned char>(c);
    return first <= byte && byte <= last;
  }
};

// The items of a list given without its brackets and its "!", in order: "-" between two
// characters makes a range; at either end of the list it stands for itself.
class ListItems {
 public:
  explicit ListItems(std::string_view list) : rest_(list) {}

  bool Next(ListItem& item) {
    if (rest_.empty()) return false;
    const std::size_t length = rest_.size() >= 3 && rest_[1] == '-' ? 3 : 1;
    item = {rest_.substr(0, length), static_cast<unsigned char>(rest_[0]),
            static_cast<unsigned char>(rest_[length - 1])};
    rest_.remove_prefix(length);
    return true;
  }

 private:
  std::string_view rest_;
};

// Whether one item of the list holds `c`.
inline bool InList(char c, std::string_view list) {
  ListItems items(list);
  for (ListItem item; items.Next(item);) {
    if (item.Holds(c)) return true;
  }
  return false;
}

}  // namespace kestrian::scan
