#pragma once
// A list view: rows with a text, sub-items, a check mark and a small-icon index. Several
// lists of the main window are never shown and serve as the scan's data stores.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/controls.h"

namespace kestrian::ui {

struct ListItem {
  std::string text;
  std::vector<std::string> subItems;  // sub-item 1 is subItems[0]
  bool checked = false;
  int smallIcon = 0;

  // Sub-item by its 1-based column number; empty when it was never set.
  const std::string& SubItem(std::size_t column) const;
};

// Row-level notifications for a view that mirrors the list.
class ListViewPeer : public ControlPeer {
 public:
  virtual void OnRowInserted(std::size_t row) = 0;
  virtual void OnRowRemoved(std::size_t row) = 0;
  virtual void OnRowChanged(std::size_t row) = 0;
  virtual void OnCleared() = 0;
};

class ListView : public Control {
 public:
  ListView(std::string name, std::vector<std::string> columns = {}, bool checkBoxes = false);

  const std::vector<std::string>& Columns() const { return columns_; }
  bool HasCheckBoxes() const { return checkBoxes_; }

  std::size_t Count() const { return items_.size(); }
  bool Empty() const { return items_.empty(); }
  const ListItem& Item(std::size_t row) const { return items_.at(row); }
  const std::vector<ListItem>& Items() const { return items_; }

  // Appends a row and returns its index.
  std::size_t Add(std::string text, int smallIcon = 0);
  // Makes room for `rows` more rows at once: a list that grows by many thousand rows then
  // takes its memory once instead of again at every doubling.
  void Reserve(std::size_t rows) { items_.reserve(items_.size() + rows); }
  void SetText(std::size_t row, std::string text);
  // Sets sub-item `column` (1-based) of `row`.
  void SetSubItem(std::size_t row, std::size_t column, std::string text);
  void SetChecked(std::size_t row, bool checked);
  void Remove(std::size_t row);
  void Clear();

  // The first row whose text begins with `prefix`, compared without regard to case (the
  // list view's partial search).
  std::optional<std::size_t> FindItemStartingWith(std::string_view prefix) const;

  // Run when the user (or Select All) checks or clears a row.
  void SetItemCheckHandler(std::function<void(std::size_t)> handler) {
    itemCheckHandler_ = std::move(handler);
  }
  void RaiseItemCheck(std::size_t row) const;

  void AttachListPeer(ListViewPeer* peer);

 private:
  ListViewPeer* listPeer_ = nullptr;
  std::vector<std::string> columns_;
  bool checkBoxes_;
  std::vector<ListItem> items_;
  std::function<void(std::size_t)> itemCheckHandler_;
};

}  // namespace kestrian::ui
