#include "ui/list_view.h"

#include <cctype>

namespace kestrian::ui {

namespace {
const std::string kEmpty;

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(text[i])) !=
        std::toupper(static_cast<unsigned char>(prefix[i]))) {
      return false;
    }
  }
  return true;
}
}  // namespace

const std::string& ListItem::SubItem(std::size_t column) const {
  if (column == 0 || column > subItems.size()) return kEmpty;
  return subItems[column - 1];
}

ListView::ListView(std::string name, std::vector<std::string> columns, bool checkBoxes)
    : Control(std::move(name)), columns_(std::move(columns)), checkBoxes_(checkBoxes) {}

std::size_t ListView::Add(std::string text, int smallIcon) {
  items_.push_back(ListItem{std::move(text), {}, false, smallIcon});
  const std::size_t row = items_.size() - 1;
  if (listPeer_ != nullptr) listPeer_->OnRowInserted(row);
  return row;
}

void ListView::SetText(std::size_t row, std::string text) {
  if (row >= items_.size()) return;
  items_[row].text = std::move(text);
  if (listPeer_ != nullptr) listPeer_->OnRowChanged(row);
}

void ListView::SetSubItem(std::size_t row, std::size_t column, std::string text) {
  if (row >= items_.size() || column == 0) return;
  auto& subItems = items_[row].subItems;
  if (subItems.size() < column) subItems.resize(column);
  subItems[column - 1] = std::move(text);
  if (listPeer_ != nullptr) listPeer_->OnRowChanged(row);
}

void ListView::SetChecked(std::size_t row, bool checked) {
  if (row >= items_.size() || items_[row].checked == checked) return;
  items_[row].checked = checked;
  if (listPeer_ != nullptr) listPeer_->OnRowChanged(row);
}

void ListView::Remove(std::size_t row) {
  if (row >= items_.size()) return;
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(row));
  if (listPeer_ != nullptr) listPeer_->OnRowRemoved(row);
}

void ListView::Clear() {
  items_.clear();
  if (listPeer_ != nullptr) listPeer_->OnCleared();
}

std::optional<std::size_t> ListView::FindItemStartingWith(std::string_view prefix) const {
  for (std::size_t row = 0; row < items_.size(); ++row) {
    if (StartsWithIgnoringCase(items_[row].text, prefix)) return row;
  }
  return std::nullopt;
}

void ListView::RaiseItemCheck(std::size_t row) const {
  if (itemCheckHandler_) itemCheckHandler_(row);
}

void ListView::AttachListPeer(ListViewPeer* peer) {
  listPeer_ = peer;
  AttachPeer(peer);
}

}  // namespace kestrian::ui
