#pragma once
// The notice that the definitions were updated automatically: it rises from the taskbar,
// rests, sinks and then the program restarts. Its place on the screen is in twips.
#include <cstdint>

#include "ui/controls.h"

namespace kestrian::ui {

class FrmSignatureUpdated {
 public:
  static constexpr int kWidth = 4500;  // client area, twips
  static constexpr int kHeight = 2400;

  FrmSignatureUpdated() {
    Label1.Place({120, 60, 4260, 300});
    Label1.SetCaption("Automatic Update");
    lblUpdateInfo.Place({120, 420, 4260, 1320});
    cmdUpdateSuccesfullOK.Place({3300, 1860, 1080, 375});
    cmdUpdateSuccesfullOK.SetCaption("OK");
  }
  FrmSignatureUpdated(const FrmSignatureUpdated&) = delete;
  FrmSignatureUpdated& operator=(const FrmSignatureUpdated&) = delete;

  // The window on the screen, twips. The view follows every change.
  Control window{"frmSignatureUpdated"};

  Label Label1{"Label1"};
  Label lblUpdateInfo{"lblUpdateInfo"};
  Button cmdUpdateSuccesfullOK{"cmdUpdateSuccesfullOK"};
  Timer tmrPopupSignatureUpdate{"tmrPopupSignatureUpdate", 10, false};  // rise
  Timer tmrEnablePopDownTimer{"tmrEnablePopDownTimer", 7000, false};    // rest
  Timer tmrPopDown{"tmrPopDown", 10, false};                            // sink
  std::int32_t popupTargetTop = 0;  // PopupTargetTop
  std::int16_t stackFactor = 1;
};

}  // namespace kestrian::ui
