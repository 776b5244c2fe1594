#pragma once
// The progress window's animation: two images shown in turn and a cycle of texts that only
// look like the steps of a transfer.
#include "ui/frm_download.h"

namespace kestrian::update {

// What the window does when it is loaded.
void StartDownloadAnimation(ui::FrmDownload& form);

// One tick of tmrBlink.
void BlinkTick(ui::FrmDownload& form);

}  // namespace kestrian::update
