#include "update/update_notice.h"

#include <cmath>

namespace kestrian::update {

namespace {
constexpr int kRiseStep = 20;
constexpr int kSinkStep = 40;
constexpr int kGapAboveTaskbar = 100;

int Rounded(double value) { return static_cast<int>(std::lround(value)); }
}  // namespace

std::string NoticeText(std::string_view productName) {
  const std::string product(productName);
  return "All " + product +
         " signatures have been updated automatically.  You are now protected from new malicious "
         "applications.  " +
         product + " will now be restarted.";
}

void LoadNotice(ui::FrmSignatureUpdated& form, const ScreenMeasures& screen,
                std::string_view productName) {
  form.tmrEnablePopDownTimer.SetEnabled(false);
  form.tmrPopDown.SetEnabled(false);
  form.lblUpdateInfo.SetCaption(NoticeText(productName));
  form.stackFactor = 1;
  const int taskbar = Rounded(kVerticalTwipsPerPixel * screen.taskbarHeight);
  const int desktop = Rounded(kVerticalTwipsPerPixel * screen.desktopHeight);
  const int left =
      Rounded((screen.desktopWidth - screen.noticeClientWidth) * kHorizontalTwipsPerPixel);
  // Behind a bottom taskbar at first: the rise brings it into view.
  form.window.Place({left, desktop - taskbar, ui::FrmSignatureUpdated::kWidth,
                     ui::FrmSignatureUpdated::kHeight});
  form.popupTargetTop =
      desktop - (ui::FrmSignatureUpdated::kHeight * form.stackFactor + kGapAboveTaskbar);
  form.window.SetVisible(true);
  form.tmrPopupSignatureUpdate.SetEnabled(true);
}

void RiseTick(ui::FrmSignatureUpdated& form) {
  form.window.SetVisible(true);
  if (form.window.Top() <= form.popupTargetTop) {
    form.tmrPopupSignatureUpdate.SetEnabled(false);
    form.tmrEnablePopDownTimer.SetEnabled(true);
    return;
  }
  form.window.Move(form.window.Left(), form.window.Top() - kRiseStep);
}

void RestTick(ui::FrmSignatureUpdated& form) {
  form.tmrEnablePopDownTimer.SetEnabled(false);
  form.tmrPopDown.SetEnabled(true);
}

bool SinkTick(ui::FrmSignatureUpdated& form) {
  form.window.SetVisible(true);
  form.window.Move(form.window.Left(), form.window.Top() + kSinkStep);
  if (form.window.Top() <= kSinkLimit) return false;
  form.tmrPopDown.SetEnabled(false);
  return true;
}

}  // namespace kestrian::update
