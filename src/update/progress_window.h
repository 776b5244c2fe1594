#pragma once
// The windows Live Update drives, as the behaviour sees them: the progress window and the
// notice of an automatic update.
#include "ui/frm_download.h"
#include "ui/frm_signature_updated.h"

namespace kestrian::update {

class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  // Loaded (with its tray icon and animation) and shown without being modal.
  virtual void Show() = 0;
  // Loaded with its tray icon, but not shown.
  virtual void LoadHidden() = 0;
  // Unloaded; its tray icon goes with it. Nothing happens when it is not loaded.
  virtual void Close() = 0;
  virtual ui::FrmDownload& Form() = 0;
};

class NoticeWindow {
 public:
  virtual ~NoticeWindow() = default;
  // Loaded, placed behind the taskbar and rising.
  virtual void Show() = 0;
  virtual void Close() = 0;
  virtual ui::FrmSignatureUpdated& Form() = 0;
};

}  // namespace kestrian::update
