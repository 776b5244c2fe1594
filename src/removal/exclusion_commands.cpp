#include "removal/exclusion_commands.h"

#include "core/data_files.h"
#include "core/file_tests.h"
#include "core/text.h"
#include "scan/scan_session.h"

namespace kestrian::removal {

void ExcludeCheckedResults(ExclusionCommandContext context) {
  auto& form = context.form;
  if (!form.cmdExclude.Enabled()) return;  // disabled while a removal runs
  auto& results = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  if (results.Empty() && form.lvwRegistryToBeDeleted.Empty() && form.lvwSpywareFound.Empty()) {
    context.host.ShowMessage("Sorry, there are no entries to be excluded.", context.productName,
                             ui::MessageButtons::Ok, ui::MessageIcon::Information);
    return;
  }
  const auto answer = context.host.ShowMessage(
      "Are you sure you want to exclude the selected files?\r\n\r\n"
      "Excluded files will not show up as Adware/Spyware on future scans.\r\n\r\n"
      "You can edit the list of excluded files through the Quarantine menu.",
      "Really Exclude?", ui::MessageButtons::YesNo, ui::MessageIcon::None);
  if (answer != ui::MessageAnswer::Yes) return;
  for (std::size_t row = 0; row < results.Count(); ++row) {
    const ui::ListItem& item = results.Item(row);
    if (!item.checked) continue;
    context.exclusions.Add(item.SubItem(1));
    context.exclusions.Add(core::ReplaceAll(item.text, "Cookie: ", ""));
  }
  scan::RemoveCheckedRows(form.lvwFilesToBeDeleted);
  scan::RemoveCheckedRows(form.lvwRegistryToBeDeleted);
  scan::RemoveCheckedRows(form.lvwSpywareFound);
  form.lblDeletingCaption.SetCaption("");
  scan::RemoveCheckedRows(results);
}

void ViewExclusions(platform::FileSystem& files, const core::ApplicationFolder& folder,
                    ui::Host& host, platform::Desktop& desktop) {
  const std::string path = folder.FilePath(core::data_files::kExclusions);
  if (!core::FileExists(files, path)) {
    host.ShowMessage("No exclusion file exists yet.", "No Exclusion File", ui::MessageButtons::Ok,
                     ui::MessageIcon::None);
    return;
  }
  desktop.RunCommand("notepad " + path, platform::show_styles::kMinimized);
}

}  // namespace kestrian::removal
