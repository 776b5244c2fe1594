#pragma once
// The home page shield's alert: the Internet Explorer start page changed; YES keeps the
// remembered home page, NO takes the new one. Geometry in twips of the window's client area.
#include <vector>

#include "ui/controls.h"

namespace kestrian::ui {

class FrmHomePageChangedAlert {
 public:
  static constexpr int kWidth = 6480;
  static constexpr int kHeight = 3480;

  FrmHomePageChangedAlert() {
    Add(picHomePage, {240, 240, 480, 480});
    Add(lblFrmHomePageProductName, {960, 240, 5280, 360});
    Add(lblHomePageInfo, {960, 720, 5280, 2040});
    Add(cmdYes, {3720, 2940, 1200, 375}, "&Yes");
    Add(cmdNo, {5040, 2940, 1200, 375}, "&No");
  }
  FrmHomePageChangedAlert(const FrmHomePageChangedAlert&) = delete;
  FrmHomePageChangedAlert& operator=(const FrmHomePageChangedAlert&) = delete;

  const std::vector<Control*>& AllControls() const { return all_; }

  Picture picHomePage{"picHomePage"};
  Label lblFrmHomePageProductName{"lblFrmHomePageProductName"};  // the product's name
  Label lblHomePageInfo{"lblHomePageInfo"};                      // the message
  Button cmdYes{"cmdYes"};  // keep the remembered home page
  Button cmdNo{"cmdNo"};    // take the new start page

 private:
  void Add(Control& control, Bounds bounds, std::string_view caption = {}) {
    LayOut(control, bounds, caption);
    all_.push_back(&control);
  }
  std::vector<Control*> all_;
};

}  // namespace kestrian::ui
