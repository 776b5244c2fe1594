#include "core/main_window_pages.h"

#include <string>

#include "core/text.h"

namespace kestrian::core {

void HideAllPages(ui::FrmMain& form) {
  for (ui::Control* control : std::initializer_list<ui::Control*>{
           &form.frmStatus, &form.frmScan, &form.frmResults, &form.frmOptions,
           &form.pgbDeleteSpywaresFound, &form.lblDeletingPercentageCompleted,
           &form.lblDeletingCaption}) {
    control->SetVisible(false);
  }
}

void ShowPage(ui::FrmMain& form, ui::Frame& page) {
  HideAllPages(form);
  page.SetVisible(true);
}

void ShowSelectedTab(ui::FrmMain& form) {
  for (std::size_t i = 0; i < form.frmView.size(); ++i) {
    form.frmView[i].SetVisible(static_cast<int>(i) + 1 == form.TabStrip1.SelectedIndex());
  }
}

void ShowProductTexts(ui::FrmMain& form, const platform::VersionResource& version) {
  form.frmStatus.SetCaption(version.productName + " Status");
  form.cmdWebsite.SetCaption("Visit " + version.comments);
  form.Label22.SetCaption("Welcome to " + version.productName);
}

void UpdateStatusPage(ui::FrmMain& form, const SettingsStore& settings,
                      const DefinitionCounts& counts, const platform::VersionResource& version) {
  form.lblDefCount.SetCaption(FormatGrouped(counts.total));
  form.lblVersion.SetCaption(std::to_string(version.major) + "." + std::to_string(version.minor));
  form.lblDefVersion.SetCaption(settings.Get(settings::kExeDefinitionVersion));
  form.lblDefRemoved.SetCaption(settings.Get(settings::kDefinitionsRemoved));
  form.lblLastScan.SetCaption(settings.Get(settings::kLastScan));
  form.lblLastFullScan.SetCaption(settings.Get(settings::kLastFullScan));
}

}  // namespace kestrian::core
