#include "removal/check_mirroring.h"

namespace kestrian::removal {

void MirrorResultCheck(ui::FrmMain& form, std::size_t resultRow) {
  const ui::ListItem& result = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Item(resultRow);
  const bool checked = result.checked;
  switch (result.smallIcon) {
    case 1: {
      auto& cookies = form.lvwCookiesToDelete;
      for (std::size_t row = 0; row < cookies.Count(); ++row) {
        if (cookies.Item(row).text == result.SubItem(1)) cookies.SetChecked(row, checked);
      }
      break;
    }
    case 2: {
      auto& traces = form.lvwRegistryToBeDeleted;
      for (std::size_t row = 0; row < traces.Count(); ++row) {
        const ui::ListItem& trace = traces.Item(row);
        if (trace.SubItem(1) == result.text || trace.SubItem(3) == result.text) {
          traces.SetChecked(row, checked);
        }
      }
      break;
    }
    case 3: {
      auto& files = form.lvwFilesToBeDeleted;
      for (std::size_t row = 0; row < files.Count(); ++row) {
        if (files.Item(row).SubItem(1) == result.text) files.SetChecked(row, checked);
      }
      break;
    }
    default:
      break;
  }
}

}  // namespace kestrian::removal
