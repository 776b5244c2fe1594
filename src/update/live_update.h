#pragma once
// Live Update: asks the update host for the version of each definition file, downloads
// every file whose version differs into its holding file, and restarts the program so that
// the next start installs them. Started by the user or, unattended, after a spell of idle
// time.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/application_folder.h"
#include "core/settings_store.h"
#include "platform/machine.h"
#include "ui/frm_main.h"
#include "ui/host.h"
#include "update/definition_kind.h"
#include "update/manifest.h"
#include "update/progress_window.h"

namespace kestrian::update {

struct UpdateTimeouts {
  std::chrono::milliseconds page{30000};      // a version page, from request to last byte
  std::chrono::milliseconds stall{30000};     // a data file that stops sending
  std::chrono::milliseconds download{600000};  // a data file, from request to last byte
};

// What the rest of the program does for the update.
struct UpdateServices {
  std::function<void()> removeMainTrayIcon;
  // The main window's tray icon taken away and put back, as it was, after an unattended run.
  std::function<void()> refreshMainTrayIcon;
  // Ends the program at once, without any of its orderly ending.
  std::function<void()> endProgramNow;
};

struct LiveUpdateContext {
  ui::FrmMain& form;
  core::SettingsStore& settings;
  platform::Machine& machine;
  const core::ApplicationFolder& folder;
  ui::Host& host;
  const platform::VersionResource& version;
  ProgressWindow& progress;
  NoticeWindow& notice;
};

// Idle seconds before an unattended update.
inline constexpr std::int32_t kIdleSecondsBeforeUpdate = 300;
// Message-loop passes that give the restart helper time to start before the program ends.
inline constexpr int kRestartYields = 50001;
// Shown when the program cannot hand over to the restart helper; it then goes on running.
std::string RestartFailedText(std::string_view productName);

class LiveUpdate {
 public:
  LiveUpdate(LiveUpdateContext context, UpdateServices services, UpdateTimeouts timeouts = {})
      : c_(context), services_(std::move(services)), timeouts_(timeouts) {}

  // The user-started update: the "Live Update" buttons and menu item. Ignored while a
  // check or a scan runs.
  void RunLiveUpdate();
  // The unattended update.
  void AutoUpdate();
  // True when a download was attempted for at least one kind. Only what the update host's
  // signed manifest names, at the version its page announces, is downloaded, and a download
  // becomes the holding file only with the size and SHA-256 the manifest gives.
  bool CheckForUpdates();
  // False when the download was refused for not being the file the manifest names.
  bool DownloadDefinitionFile(const DefinitionKind& kind, const ManifestEntry& entry);
  // The eight addresses the update asks for, each followed by CR LF.
  std::string UpdateAddresses() const;
  // A mouse button went down on "Live Update"; Shift alone shows the addresses.
  void ShowUpdateUrls(bool shiftAloneHeld);
  // One tick of timUpdate; an unattended update runs once the program was idle long enough.
  void IdleTick();
  // The notice's OK button, or the end of its sink.
  void NoticeOk();

  bool Running() const { return running_; }
  // The last check refused something and said why.
  bool Refused() const { return check_.refused; }
  std::int32_t IdleUpdateCount() const { return idleUpdateCount_; }

 private:
  bool UserStarted() const { return !c_.form.cmdLiveUpdate.Enabled(); }
  void SetStatus(std::string_view text);
  // Scheme and host of the update host, from the web-site entry of the version resource.
  std::string UpdateBase() const;
  std::optional<std::int32_t> AnnouncedVersion(const DefinitionKind& kind);
  bool NeedsDownload(const DefinitionKind& kind, std::int32_t version);
  const Manifest* TrustedManifest();
  std::optional<std::string> FetchBody(std::string_view path);
  bool FetchKind(const DefinitionKind& kind, std::int32_t version, const Manifest& manifest);
  std::optional<std::string> Mismatch(const std::string& path, const ManifestEntry& entry);
  void Refuse(const DefinitionKind& kind, std::string_view reason);
  void ReportFailedDownload(const DefinitionKind& kind);
  bool StartRestartHelper(std::string_view show, int showStyle);
  void ReportRestartFailed();
  void LetMessagesRun() { c_.host.DoEvents(); }

  LiveUpdateContext c_;
  UpdateServices services_;
  UpdateTimeouts timeouts_;
  bool running_ = false;
  // What one check learns: the manifest is fetched once, when a kind first needs it.
  struct CheckState {
    bool manifestFetched = false;
    std::optional<Manifest> manifest;
    bool refused = false;
  };
  CheckState check_;
  std::int32_t idleUpdateCount_ = 0;
};

}  // namespace kestrian::update
