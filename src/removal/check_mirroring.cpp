#include "removal/check_mirroring.h"

namespace kestrian::removal {

namespace {
void CheckWhere(ui::ListView& list, bool checked, auto&& belongs) {
  for (std::size_t row = 0; row < list.Count(); ++row) {
    if (belongs(list.Item(row))) list.SetChecked(row, checked);
  }
}
}  // namespace

void MirrorResultCheck(ui::FrmMain& form, std::size_t resultRow) {
  const ui::ListItem& result = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Item(resultRow);
  const bool checked = result.checked;
  const std::string& name = result.text;
  if (result.smallIcon == 1) {
    CheckWhere(form.lvwCookiesToDelete, checked,
               [&](const ui::ListItem& cookie) { return cookie.text == result.SubItem(1); });
  }
  // A registry result without a threat name is named by its key.
  if (result.smallIcon == 2) {
    CheckWhere(form.lvwRegistryToBeDeleted, checked,
               [&](const ui::ListItem& trace) { return trace.SubItem(1) == name; });
  }
  // A threat is listed once, under the icon of its first trace; every trace named after it
  // follows its row, whatever its kind.
  if (name.empty()) return;
  CheckWhere(form.lvwRegistryToBeDeleted, checked,
             [&](const ui::ListItem& trace) { return trace.SubItem(3) == name; });
  CheckWhere(form.lvwFilesToBeDeleted, checked,
             [&](const ui::ListItem& file) { return file.SubItem(1) == name; });
}

}  // namespace kestrian::removal
