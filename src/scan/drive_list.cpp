#include "scan/drive_list.h"

#include <string>


namespace kestrian::scan {

namespace {
bool Listed(const platform::DriveInfo& drive) {
  using platform::DriveType;
  switch (drive.type) {
    case DriveType::Removable:
    case DriveType::Remote:
    case DriveType::CdRom:
      return true;
    case DriveType::Fixed:
      return drive.ready;
    default:
      return false;
  }
}
}  // namespace

void FillDriveList(ui::ListView& drives, platform::Environment& environment, ui::Host& host) {
  for (const auto& drive : environment.Drives()) {
    if (Listed(drive)) drives.Add(std::string(1, drive.letter));
    host.DoEvents();
  }
}

}  // namespace kestrian::scan
