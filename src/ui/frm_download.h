#pragma once
// The progress window of Live Update: what is being done, an animated text and two images
// shown in turn, and "Cancel". Geometry in twips of the window's client area.
#include <cstdint>

#include "ui/controls.h"

namespace kestrian::ui {

class FrmDownload {
 public:
  static constexpr int kWidth = 5400;
  static constexpr int kHeight = 2040;

  FrmDownload() {
    lblProduct.Place({960, 240, 4200, 480});
    lblStatus.Place({960, 840, 4200, 480});
    picUp.Place({240, 240, 480, 480});
    picDown.Place({240, 240, 480, 480});
    Command1.Place({3960, 1440, 1200, 375});
    Command1.SetCaption("Cancel");
  }
  FrmDownload(const FrmDownload&) = delete;
  FrmDownload& operator=(const FrmDownload&) = delete;

  Label lblStatus{"lblStatus"};    // what the check or the download is doing
  Label lblProduct{"lblProduct"};  // the animated text
  Picture picUp{"picUp"};
  Picture picDown{"picDown"};
  Button Command1{"Command1"};  // "Cancel"
  Timer tmrBlink{"tmrBlink", 800, false};
  std::int32_t stepCounter = 0;
};

}  // namespace kestrian::ui
