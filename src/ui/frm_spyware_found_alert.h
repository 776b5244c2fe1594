#pragma once
// The memory shield's alert: a running program the definitions list, with STOP and ALLOW.
// Geometry in twips of the window's client area.
#include <vector>

#include "ui/controls.h"

namespace kestrian::ui {

class FrmSpywareFoundAlert {
 public:
  static constexpr int kWidth = 5400;
  static constexpr int kHeight = 3780;

  FrmSpywareFoundAlert() {
    Add(lblProductName, {240, 180, 4920, 360}, "Malicious Program Found");
    Add(Label1, {240, 660, 4920, 300}, "Spyware/Adware has been detected.");
    Add(SkinLabel4, {240, 1080, 1560, 300}, "File Name:");
    Add(lblAlertFileName, {1860, 1080, 3300, 300});
    Add(SkinLabel5, {240, 1440, 1560, 300}, "Company Name:");
    Add(lblAlertCompanyName, {1860, 1440, 3300, 600});  // two lines for a long name
    Add(SkinLabel2, {240, 2220, 4920, 300}, "Click STOP to stop it from running.");
    Add(SkinLabel3, {240, 2580, 4920, 300}, "Click ALLOW to allow the program to run.");
    Add(cmdYes, {2520, 3120, 1200, 420}, "STOP");
    Add(cmdNO, {3900, 3120, 1200, 420}, "ALLOW");
  }
  FrmSpywareFoundAlert(const FrmSpywareFoundAlert&) = delete;
  FrmSpywareFoundAlert& operator=(const FrmSpywareFoundAlert&) = delete;

  const std::vector<CaptionedControl*>& AllControls() const { return all_; }

  Label lblProductName{"lblProductName"};
  Label Label1{"Label1"};
  Label SkinLabel4{"SkinLabel4"};
  Label lblAlertFileName{"lblAlertFileName"};
  Label SkinLabel5{"SkinLabel5"};
  Label lblAlertCompanyName{"lblAlertCompanyName"};
  Label SkinLabel2{"SkinLabel2"};
  Label SkinLabel3{"SkinLabel3"};
  Button cmdYes{"cmdYes"};  // STOP
  Button cmdNO{"cmdNO"};    // ALLOW
  Timer tmrBlink{"tmrBlink", 800, true};  // its tick does nothing

 private:
  void Add(CaptionedControl& control, Bounds bounds, std::string_view caption = {}) {
    LayOut(control, bounds, caption);
    all_.push_back(&control);
  }
  std::vector<CaptionedControl*> all_;
};

}  // namespace kestrian::ui
