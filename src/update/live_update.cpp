#include "update/live_update.h"

#include <array>
#include <optional>

#include "core/application_title.h"
#include "core/data_files.h"
#include "core/definition_generations.h"
#include "core/file_tests.h"
#include "core/scoped_flag.h"
#include "core/settings_keys.h"
#include "core/text.h"
#include "core/timer_arming.h"
#include "update/trusted_keys.h"
#include "update/update_base.h"
#include "update/version_page.h"

namespace kestrian::update {

namespace {
constexpr std::string_view kPageNotDisplayed = " page can not be displayed ";
constexpr std::string_view kDownloadSuffix = ".download";
constexpr std::string_view kManifestRefusedText =
    "Live Update could not check the definitions on the update server: their signed list is missing "
    "or its signature is not valid. Nothing was downloaded.";
constexpr std::string_view kTooLargeReason = "they are larger than the 64 MiB a definition file may have.";

// Data file addresses in the order the address list shows them.
constexpr std::array<std::size_t, 4> kDataAddressOrder = {3, 0, 1, 2};

// The helper's path in quotes, as a command line needs a path that may hold blanks.
std::string RestartHelperCommand(const core::ApplicationFolder& folder) {
  std::string command = "\"";
  command += folder.FilePath(core::data_files::kRestartHelper);
  command += '"';
  return command;
}

}  // namespace

std::string RestartFailedText(std::string_view productName) {
  std::string text(productName);
  text += " could not restart itself to install the new definitions. They will be installed the next time ";
  text += productName;
  text += " starts.";
  return text;
}

void LiveUpdate::RunLiveUpdate() {
  // A scan that runs would be cut off by the restart; its own buttons keep the user from
  // starting an update then, and the menu item is held to the same rule.
  if (running_ || !c_.form.cmdScanNow.Enabled()) return;
  const core::ScopedFlag running(running_);
  core::ArmTimers(c_.form, c_.settings, false);
  c_.form.cmdLiveUpdate.SetEnabled(false);
  if (CheckForUpdates()) {
    const bool restarting = StartRestartHelper("True", platform::show_styles::kNormal);
    c_.progress.Close();
    if (restarting) {
      services_.removeMainTrayIcon();
      services_.endProgramNow();
      return;
    }
    ReportRestartFailed();
  } else if (!check_.refused) {
    c_.host.ShowMessage("You are using the most recent definition list (version " +
                            c_.settings.Get(core::settings::kOptions, "EXEDefinition", "0") + ").",
                        std::string(core::kApplicationTitle), ui::MessageButtons::Ok,
                        ui::MessageIcon::None);
  }
  c_.form.cmdLiveUpdate.SetEnabled(true);
  core::ArmTimers(c_.form, c_.settings, true);
}

void LiveUpdate::AutoUpdate() {
  if (running_) return;
  const core::ScopedFlag running(running_);
  // No shield run or scheduled scan may start inside the check's waits.
  core::ArmTimers(c_.form, c_.settings, false);
  c_.progress.LoadHidden();
  const bool downloaded = CheckForUpdates();
  c_.progress.Close();
  services_.refreshMainTrayIcon();
  if (downloaded) {
    // The notice ends in the restart: no scan or shield run may start before it (NoticeOk
    // re-arms the timers if the restart cannot happen).
    c_.notice.Show();
    return;
  }
  core::ArmTimers(c_.form, c_.settings, true);
}

bool LiveUpdate::CheckForUpdates() {
  if (UserStarted()) c_.progress.Show();
  check_ = {};
  bool downloaded = false;
  for (const DefinitionKind& kind : kDefinitionKinds) {
    const std::optional<std::int32_t> version = AnnouncedVersion(kind);
    if (version && NeedsDownload(kind, *version)) {
      const Manifest* manifest = TrustedManifest();
      if (manifest == nullptr) break;  // nothing is fetched that the publisher did not sign
      // A failed transfer counts too: the restart follows either way.
      if (FetchKind(kind, *version, *manifest)) downloaded = true;
    }
    LetMessagesRun();
  }
  if (UserStarted()) c_.progress.Close();
  return downloaded;
}

// The manifest, once per check; nothing, with the user told, when it is missing or no trusted
// key signed it.
const Manifest* LiveUpdate::TrustedManifest() {
  if (!check_.manifestFetched) {
    check_.manifestFetched = true;
    const auto text = FetchBody(kManifestPath);
    const auto signature = text ? FetchBody(kManifestSignaturePath) : std::nullopt;
    if (text && signature) check_.manifest = VerifiedManifest(c_.machine.crypto, *text, *signature, TrustedKeys());
    if (!check_.manifest) {
      check_.refused = true;
      c_.host.ShowMessage(kManifestRefusedText, c_.version.productName, ui::MessageButtons::Ok,
                          ui::MessageIcon::Critical);
    }
  }
  return check_.manifest ? &*check_.manifest : nullptr;
}

std::optional<std::string> LiveUpdate::FetchBody(std::string_view path) {
  platform::WebPage page = c_.machine.web.FetchPage(UpdateBase() + std::string(path), timeouts_.page,
                                                    [this] { LetMessagesRun(); });
  if (page.outcome != platform::WebPage::Outcome::Answered || page.statusCode != 200) return std::nullopt;
  return std::move(page.body);
}

// True when a download was attempted. A kind the manifest does not name as the page
// announces it is skipped.
bool LiveUpdate::FetchKind(const DefinitionKind& kind, std::int32_t version, const Manifest& manifest) {
  const ManifestEntry* entry = manifest.Find(kind.localFile);
  if (entry == nullptr) {
    Refuse(kind, "the update server's signed list does not name them.");
    return false;
  }
  if (entry->version != version) {
    Refuse(kind, "the update server announces version " + std::to_string(version) +
                     ", but its signed list names version " + std::to_string(entry->version) + ".");
    return false;
  }
  if (entry->size > core::data_files::kMaxDefinitionFileBytes) {
    Refuse(kind, std::string(kTooLargeReason));
    return false;
  }
  return DownloadDefinitionFile(kind, *entry);
}

void LiveUpdate::Refuse(const DefinitionKind& kind, std::string_view reason) {
  check_.refused = true;
  c_.host.ShowMessage("The new " + std::string(core::DescriptionOf(kind.localFile)) +
                          " definitions were not downloaded: " + std::string(reason) +
                          " The definitions in use stay as they are.",
                      c_.version.productName, ui::MessageButtons::Ok, ui::MessageIcon::Exclamation);
}

// The version the kind's page announces; nothing when the host cannot be reached, does not
// answer in time, shows an error page, or announces no whole number.
std::optional<std::int32_t> LiveUpdate::AnnouncedVersion(const DefinitionKind& kind) {
  SetStatus(kind.checkingText);
  LetMessagesRun();
  SetStatus("");
  LetMessagesRun();
  const platform::WebPage page =
      c_.machine.web.FetchPage(UpdateBase() + std::string(kind.versionPagePath), timeouts_.page,
                               [this] { LetMessagesRun(); });
  if (page.outcome != platform::WebPage::Outcome::Answered) {
    c_.form.lblWebText.SetCaption(kPageNotDisplayed);
    return std::nullopt;
  }
  const std::string text = PageText(page.body);
  if (IsErrorPage(text)) {
    c_.form.lblWebText.SetCaption(kPageNotDisplayed);
    return std::nullopt;
  }
  if (page.statusCode != 200) return std::nullopt;
  return VersionOfPage(text);
}

bool LiveUpdate::NeedsDownload(const DefinitionKind& kind, std::int32_t version) {
  if (!core::FileExists(c_.machine.files, c_.folder.FilePath(kind.localFile))) return true;
  // A stored version that is not a number differs from every version the host announces.
  const auto stored = core::ParseNumber(c_.settings.Get(core::settings::kOptions, kind.versionKey, "0"));
  return !stored || *stored != version;
}

// The transfer goes to a name of its own beside the holding file and becomes the holding
// file only once it is complete and is the file the manifest names, so a broken or changed
// transfer is never installed as definitions.
bool LiveUpdate::DownloadDefinitionFile(const DefinitionKind& kind, const ManifestEntry& entry) {
  platform::FileSystem& files = c_.machine.files;
  const std::string url = UpdateBase() + std::string(kind.dataPath);
  const std::string holding =
      c_.folder.FilePath(std::string(core::data_files::kDownloadPrefix) + std::string(kind.localFile));
  const std::string partial = holding + std::string(kDownloadSuffix);
  SetStatus(kind.downloadingText);
  LetMessagesRun();
  files.Delete(partial);  // a leftover of an earlier run that was ended mid-transfer
  const platform::DownloadLimits limits{timeouts_.stall, timeouts_.download, entry.size};
  const platform::DownloadOutcome outcome =
      c_.machine.web.DownloadToFile(url, partial, limits, [this] { LetMessagesRun(); });
  if (outcome == platform::DownloadOutcome::Failed) {
    files.Delete(partial);
    ReportFailedDownload(kind);
    return true;
  }
  const std::optional<std::string> mismatch =
      outcome == platform::DownloadOutcome::TooLarge
          ? std::optional<std::string>("the update server sent more than its signed list names.")
          : Mismatch(partial, entry);
  if (mismatch) {
    files.Delete(partial);
    Refuse(kind, *mismatch);
    return false;
  }
  core::RememberInstalledVersion(files, c_.folder, c_.settings, kind.localFile, kind.versionKey);
  if (files.MoveReplacing(partial, holding) != platform::kOk) {
    files.Delete(partial);
    ReportFailedDownload(kind);
    return true;
  }
  c_.settings.Save(core::settings::kOptions, kind.versionKey, std::to_string(entry.version));
  c_.settings.Save(core::settings::kSignatureUpdateDate, c_.machine.clock.NowText());
  return true;
}

// Why the file at `path` is not the one `entry` names; nothing when it is.
std::optional<std::string> LiveUpdate::Mismatch(const std::string& path, const ManifestEntry& entry) {
  const auto content = c_.machine.files.ReadAtMost(path, entry.size);
  if (!content.ok() && content.status() == platform::kFileTooLarge) {
    return "the update server sent more than its signed list names.";
  }
  if (!content.ok()) return "the downloaded file could not be read.";
  if (content.value().size() != entry.size) {
    return "they arrived with " + std::to_string(content.value().size()) + " bytes, but the update server's signed list names " +
           std::to_string(entry.size) + ".";
  }
  if (c_.machine.crypto.Sha256(content.value()) != entry.sha256) {
    return "their content is not what the update server's signed list names.";
  }
  return std::nullopt;
}

void LiveUpdate::ReportFailedDownload(const DefinitionKind& kind) {
  c_.host.ShowMessage(kind.failureText, c_.version.productName, ui::MessageButtons::Ok,
                      ui::MessageIcon::Critical);
}

std::string LiveUpdate::UpdateBase() const { return BuildUpdateBase(c_.version.comments); }

void LiveUpdate::SetStatus(std::string_view text) { c_.progress.Form().lblStatus.SetCaption(text); }

// The handshake with the restart helper: what it reads, then the helper itself, then time
// for it to start. False, with RESTART put back to "False", when the helper will not restart
// the program: the program must then go on running rather than end for good.
bool LiveUpdate::StartRestartHelper(std::string_view show, int showStyle) {
  c_.settings.Save(core::settings::kShow, show);
  if (c_.settings.Save(core::settings::kRestart, "True") != platform::kOk) return false;
  if (c_.machine.desktop.RunCommand(RestartHelperCommand(c_.folder), showStyle) != platform::kOk) {
    c_.settings.Save(core::settings::kRestart, "False");
    return false;
  }
  for (int pass = 0; pass < kRestartYields; ++pass) LetMessagesRun();
  return true;
}

// The downloads stay as holding files, which the next start installs.
void LiveUpdate::ReportRestartFailed() {
  c_.host.ShowMessage(RestartFailedText(c_.version.productName), c_.version.productName, ui::MessageButtons::Ok,
                      ui::MessageIcon::Exclamation);
}

void LiveUpdate::NoticeOk() {
  c_.notice.Form().tmrPopupSignatureUpdate.SetEnabled(false);
  c_.progress.Close();
  const bool restarting = StartRestartHelper("false", platform::show_styles::kHidden);
  c_.notice.Close();
  if (!restarting) {
    ReportRestartFailed();
    core::ArmTimers(c_.form, c_.settings, true);
    return;
  }
  services_.removeMainTrayIcon();
  services_.endProgramNow();
}

std::string LiveUpdate::UpdateAddresses() const {
  const std::string base = UpdateBase();
  std::string text;
  for (const DefinitionKind& kind : kDefinitionKinds) text += base + std::string(kind.versionPagePath) + "\r\n";
  for (const std::size_t index : kDataAddressOrder) {
    text += base + std::string(kDefinitionKinds[index].dataPath) + "\r\n";
  }
  return text;
}

void LiveUpdate::ShowUpdateUrls(bool shiftAloneHeld) {
  if (!shiftAloneHeld) return;
  c_.host.ShowMessage(UpdateAddresses(), core::kApplicationTitle, ui::MessageButtons::Ok,
                      ui::MessageIcon::None);
}

void LiveUpdate::IdleTick() {
  if (!c_.form.cmdScanNow.Enabled()) return;  // a scan runs: the program is not idle
  if (idleUpdateCount_ < kIdleSecondsBeforeUpdate) {
    ++idleUpdateCount_;
    return;
  }
  idleUpdateCount_ = 0;
  c_.form.timUpdate.SetEnabled(false);
  AutoUpdate();
}

}  // namespace kestrian::update
