#include "core/restart_helper.h"

#include <algorithm>
#include <optional>

#include "core/application_folder.h"
#include "core/file_tests.h"
#include "core/settings_keys.h"
#include "core/text.h"

namespace kestrian::core {

namespace {

bool RestartRequested(const SettingsStore& settings) {
  return EqualsIgnoringCase(settings.Get(settings::kRestart), "True");
}

// Any entry that is not a folder: a hidden or read-only program file still starts.
bool ProgramFilePresent(platform::FileSystem& files, std::string_view path) {
  const auto entries = files.Find(path);
  return std::any_of(entries.begin(), entries.end(), [](const platform::DirectoryEntry& entry) {
    return (entry.attributes & platform::attributes::kDirectory) == 0;
  });
}

// Whether a snapshot entry may be a copy of the program file `programName`: named like it,
// or named in a form that may hide the name (none, a short 8.3 name). Reading a process's
// path costs milliseconds, so others are passed over.
bool MayBeTheProgram(std::string_view exeFile, std::string_view programName) {
  const std::string_view name = FileNamePart(exeFile);
  return name.empty() || name.find('~') != std::string_view::npos || EqualsIgnoringCase(name, programName);
}

// Waits until no process of `program` runs; false when one still does after the time-out.
// Every round counts as a whole wait, so the loop ends even when a wait returns at once.
bool WaitUntilEnded(platform::Processes& processes, std::string_view program, RestartTiming timing) {
  std::uint32_t waited = 0;
  for (;;) {
    const auto running = FindRunningProgram(processes, program);
    if (!running) return true;
    if (waited >= timing.timeoutMilliseconds) return false;
    const std::uint32_t wait = std::min(timing.waitMilliseconds, timing.timeoutMilliseconds - waited);
    processes.WaitForEnd(*running, wait);
    waited += std::max<std::uint32_t>(wait, 1);
  }
}

void Log(const RestartServices& services, const ApplicationFolder& folder, std::string_view reason) {
  const std::string line = services.clock.NowText() + " - " + std::string(reason) + "\r\n";
  // A line that cannot be written is lost: there is nowhere else to report it.
  services.files.Append(folder.FilePath(kRestartLogFile), line);
}

RestartOutcome Fail(const RestartServices& services, const ApplicationFolder& folder,
                    RestartOutcome outcome, std::string_view reason) {
  Log(services, folder, reason);
  return outcome;
}

}  // namespace

std::optional<std::uint32_t> FindRunningProgram(platform::Processes& processes, std::string_view program) {
  const std::string_view programName = FileNamePart(program);
  for (const auto& entry : processes.Snapshot()) {
    if (!MayBeTheProgram(entry.exeFile, programName)) continue;
    const auto path = processes.MainModulePath(entry.id);
    if (path.ok() && EqualsIgnoringCase(path.value(), program)) return entry.id;
  }
  return std::nullopt;
}

std::string RestartProgramFile(const SettingsStore& settings) {
  const auto shared = [&](const settings::Key& key) {
    return settings.GetSetting(settings::kSharedApplication, key.section, key.name, key.fallback);
  };
  const std::string file(FileNamePart(shared(settings::kSharedFile)));
  if (file.empty() || !EqualsIgnoringCase(shared(settings::kSharedProduct), settings.ApplicationName())) {
    return std::string(kDefaultProgramFile);
  }
  return file;
}

RestartOutcome RunRestart(const RestartServices& services, const SettingsStore& settings,
                          RestartTiming timing) {
  // Asked before the wait (nothing to wait for otherwise) and after it, since an orderly end
  // of the program withdraws the request.
  if (!RestartRequested(settings)) return RestartOutcome::NotRequested;
  const auto folder = ApplicationFolder::OfExecutable(services.environment);
  const std::string program = folder.FilePath(RestartProgramFile(settings));
  if (!WaitUntilEnded(services.processes, program, timing)) {
    return Fail(services, folder, RestartOutcome::StillRunning,
                program + " is still running after " +
                    std::to_string(timing.timeoutMilliseconds / 1000) + " seconds; not restarted.");
  }
  if (!RestartRequested(settings)) return RestartOutcome::NotRequested;
  if (!ProgramFilePresent(services.files, program)) {
    return Fail(services, folder, RestartOutcome::ProgramMissing, program + " was not found; not restarted.");
  }
  const auto status = services.desktop.RunCommand("\"" + program + "\"", platform::show_styles::kNormal);
  if (status != platform::kOk) {
    return Fail(services, folder, RestartOutcome::StartFailed,
                program + " could not be started (error " + std::to_string(status) + ").");
  }
  return RestartOutcome::Started;
}

}  // namespace kestrian::core
