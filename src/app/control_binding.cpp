#include "app/control_binding.h"

#include <commctrl.h>

#include <utility>

#include "app/dialog_support.h"
#include "core/scoped_flag.h"

namespace kestrian::app {

namespace {
constexpr double kProgressScale = 100.0;  // the native bar counts hundredths
}  // namespace

// Stands between the model and its native control, and repaints the window after each push.
class MirroredControls::RepaintedAtOnce final : public ui::ControlPeer {
 public:
  RepaintedAtOnce(ui::Control& model, HWND native, int dpi) : native_(model, native, dpi) {
    model.AttachPeer(this);  // in place of the native control, which this drives
    native_.Refresh();
  }
  // The native control detaches the model when it goes.

  void OnModelChanged() override {
    native_.Refresh();
    ::InvalidateRect(native_.Window(), nullptr, TRUE);
    ::RedrawWindow(::GetParent(native_.Window()), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  }

 private:
  NativeControl native_;
};

HWND MirroredControls::Add(HWND parent, ui::Control& model, const char* className, DWORD style,
                           int id, HFONT font, int dpi) {
  const HWND child = CreateHiddenChild(parent, className, style, id, font);
  if (child == nullptr) return nullptr;
  if (repaint_ == Repaint::AtOnce) {
    controls_.push_back(std::make_unique<RepaintedAtOnce>(model, child, dpi));
  } else {
    auto control = std::make_unique<NativeControl>(model, child, dpi);
    control->Refresh();
    controls_.push_back(std::move(control));
  }
  return child;
}

int TwipsToPixels(int twips, int dpi) { return ::MulDiv(twips, dpi, 1440); }

NativeControl::NativeControl(ui::Control& model, HWND window, int dpi)
    : model_(model), window_(window), dpi_(dpi) {
  if (auto* list = dynamic_cast<ui::ListView*>(&model_)) {
    list->AttachListPeer(this);
  } else {
    model_.AttachPeer(this);
  }
}

NativeControl::~NativeControl() {
  if (auto* list = dynamic_cast<ui::ListView*>(&model_)) {
    list->AttachListPeer(nullptr);
  } else {
    model_.AttachPeer(nullptr);
  }
}

RECT NativeControl::PixelBounds() const {
  int left = 0;
  int top = 0;
  for (const ui::Control* c = &model_; c != nullptr; c = c->Container()) {
    left += c->Geometry().left;
    top += c->Geometry().top;
  }
  const auto& size = model_.Geometry();
  return {TwipsToPixels(left, dpi_), TwipsToPixels(top, dpi_),
          TwipsToPixels(left + size.width, dpi_), TwipsToPixels(top + size.height, dpi_)};
}

void NativeControl::Refresh() {
  // Only what changed goes to the window: each call is a round trip to the window manager.
  const core::ScopedFlag guard(pushing_);
  const RECT bounds = PixelBounds();
  if (!EqualRect(&bounds, &shown_.bounds)) {
    // A drop-down list's window also holds its opened list.
    const int dropDown = dynamic_cast<ui::ComboBox*>(&model_) ? ::MulDiv(200, dpi_, 96) : 0;
    ::MoveWindow(window_, bounds.left, bounds.top, bounds.right - bounds.left,
                 bounds.bottom - bounds.top + dropDown, TRUE);
    shown_.bounds = bounds;
  }
  if (model_.Enabled() != shown_.enabled) {
    ::EnableWindow(window_, model_.Enabled() ? TRUE : FALSE);
    shown_.enabled = model_.Enabled();
  }
  if (auto* captioned = dynamic_cast<ui::CaptionedControl*>(&model_)) {
    if (captioned->Caption() != shown_.caption) {
      shown_.caption = captioned->Caption();
      // A link label's caption is the one link of its text.
      const bool link = dynamic_cast<ui::LinkLabel*>(&model_) != nullptr;
      ::SetWindowTextA(window_, (link ? "<a>" + shown_.caption + "</a>" : shown_.caption).c_str());
    }
  }
  PushValue();
  const bool visible = model_.ShownOnWindow();
  if (visible != shown_.visible) {
    ::ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
    shown_.visible = visible;
  }
}

void NativeControl::PushValue() {
  int value = 0;
  if (auto* box = dynamic_cast<ui::CheckBox*>(&model_)) {
    value = box->Value() == 1 ? BST_CHECKED : BST_UNCHECKED;
  } else if (auto* option = dynamic_cast<ui::OptionButton*>(&model_)) {
    value = option->Value() ? BST_CHECKED : BST_UNCHECKED;
  } else if (auto* bar = dynamic_cast<ui::ProgressBar*>(&model_)) {
    value = static_cast<int>(bar->Value() * kProgressScale);
    if (bar->Max() != shown_.maximum) {
      ::SendMessageA(window_, PBM_SETRANGE32, static_cast<WPARAM>(bar->Min() * kProgressScale),
                     static_cast<LPARAM>(bar->Max() * kProgressScale));
      shown_.maximum = bar->Max();
      shown_.value = -1;
    }
  } else if (auto* tabs = dynamic_cast<ui::TabStrip*>(&model_)) {
    value = tabs->SelectedIndex() - 1;
  } else if (auto* combo = dynamic_cast<ui::ComboBox*>(&model_)) {
    value = combo->ListIndex();
  } else {
    PushDate();
    return;
  }
  if (value == shown_.value) return;
  shown_.value = value;
  if (dynamic_cast<ui::ProgressBar*>(&model_)) {
    ::SendMessageA(window_, PBM_SETPOS, static_cast<WPARAM>(value), 0);
  } else if (dynamic_cast<ui::TabStrip*>(&model_)) {
    ::SendMessageA(window_, TCM_SETCURSEL, static_cast<WPARAM>(value), 0);
  } else if (dynamic_cast<ui::ComboBox*>(&model_)) {
    ::SendMessageA(window_, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
  } else {
    ::SendMessageA(window_, BM_SETCHECK, static_cast<WPARAM>(value), 0);
  }
}

void NativeControl::PushDate() {
  auto* picker = dynamic_cast<ui::DateTimePicker*>(&model_);
  if (picker == nullptr || shown_.date == picker->Value()) return;
  shown_.date = picker->Value();
  SYSTEMTIME time{};
  if (const auto& value = picker->Value()) {
    time.wYear = static_cast<WORD>(value->year);
    time.wMonth = static_cast<WORD>(value->month);
    time.wDay = static_cast<WORD>(value->day);
    time.wHour = static_cast<WORD>(value->hour);
    time.wMinute = static_cast<WORD>(value->minute);
    time.wSecond = static_cast<WORD>(value->second);
  }
  ::SendMessageA(window_, DTM_SETSYSTEMTIME, picker->Value() ? GDT_VALID : GDT_NONE,
                 reinterpret_cast<LPARAM>(&time));
}

void NativeControl::PushRow(std::size_t row, bool insert) {
  const core::ScopedFlag guard(pushing_);
  const auto& list = static_cast<ui::ListView&>(model_);
  const ui::ListItem& item = list.Item(row);
  LVITEMA native{};
  native.mask = LVIF_TEXT;
  native.iItem = static_cast<int>(row);
  native.pszText = const_cast<char*>(item.text.c_str());
  if (insert) {
    ::SendMessageA(window_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&native));
  } else {
    ::SendMessageA(window_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&native));
  }
  for (std::size_t column = 1; column <= item.subItems.size(); ++column) {
    LVITEMA sub{};
    sub.iSubItem = static_cast<int>(column);
    sub.pszText = const_cast<char*>(item.SubItem(column).c_str());
    ::SendMessageA(window_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
  }
  if (list.HasCheckBoxes()) ListView_SetCheckState(window_, static_cast<int>(row), item.checked);
}

void NativeControl::OnRowInserted(std::size_t row) { PushRow(row, true); }

void NativeControl::OnRowChanged(std::size_t row) { PushRow(row, false); }

void NativeControl::OnRowRemoved(std::size_t row) {
  const core::ScopedFlag guard(pushing_);
  ::SendMessageA(window_, LVM_DELETEITEM, row, 0);
}

void NativeControl::OnCleared() {
  const core::ScopedFlag guard(pushing_);
  ::SendMessageA(window_, LVM_DELETEALLITEMS, 0, 0);
}

}  // namespace kestrian::app
