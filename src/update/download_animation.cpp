#include "update/download_animation.h"

#include <array>
#include <string_view>

namespace kestrian::update {

namespace {
constexpr std::int32_t kCycleLength = 15;

// The text each even step shows; odd steps keep the blink text.
constexpr std::array<std::string_view, 8> kStepTexts = {
    "Connecting to the Server.",
    "Successfully connected to the Server.",
    "Sending a request to the Server.",
    "Successfully sent the request.",
    "Receiving a response from the Server.",
    "Successfully received a response from the Server.",
    "Disconnecting from the Server.",
    "Successfully disconnected from the Server.",
};

void Blink(ui::FrmDownload& form) {
  if (form.picDown.Visible()) {
    form.picDown.SetVisible(false);
    form.picUp.SetVisible(true);
    form.lblProduct.SetCaption("Connecting to server.....");
    return;
  }
  form.lblProduct.SetCaption("Checking for Definitions.....");
  form.picDown.SetVisible(true);
  form.picUp.SetVisible(false);
}
}  // namespace

void StartDownloadAnimation(ui::FrmDownload& form) {
  form.tmrBlink.SetEnabled(true);
  form.picDown.SetVisible(false);
  form.picUp.SetVisible(true);
  form.lblProduct.SetCaption("Connecting to server/downloading.....");
}

void BlinkTick(ui::FrmDownload& form) {
  Blink(form);
  std::int32_t& step = form.stepCounter;
  if (step >= kCycleLength) step = 0;
  if (step % 2 == 0) form.lblProduct.SetCaption(kStepTexts[static_cast<std::size_t>(step / 2)]);
  step = step == kCycleLength - 1 ? 0 : step + 1;
}

}  // namespace kestrian::update
