#pragma once
// The notice of an automatic update: its text, its place behind a bottom taskbar, and its
// rise, rest and sink. Positions are twips; the screen is measured in pixels.
#include <string>
#include <string_view>

#include "ui/frm_signature_updated.h"

namespace kestrian::update {

struct ScreenMeasures {
  int desktopWidth = 0;       // client area of the desktop window, pixels
  int desktopHeight = 0;
  int taskbarHeight = 0;      // client height of the taskbar, 0 when there is none
  int noticeClientWidth = 0;  // the notice's own client width, pixels
};

// Twips per pixel as the notice converts the screen's measures.
inline constexpr double kVerticalTwipsPerPixel = 14.5;
inline constexpr double kHorizontalTwipsPerPixel = 14.7;
// The sink ends once the top passes this, whatever the screen's size.
inline constexpr int kSinkLimit = 11167;

std::string NoticeText(std::string_view productName);

// What the notice does when it is loaded: its text, its place, and the start of the rise.
void LoadNotice(ui::FrmSignatureUpdated& form, const ScreenMeasures& screen,
                std::string_view productName);

// One tick of each timer. SinkTick is true when the notice has sunk far enough and its OK
// action is due.
void RiseTick(ui::FrmSignatureUpdated& form);
void RestTick(ui::FrmSignatureUpdated& form);
bool SinkTick(ui::FrmSignatureUpdated& form);

}  // namespace kestrian::update
