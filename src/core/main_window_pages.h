#pragma once
// The pages of the main window and the status page's content.
#include "core/program_state.h"
#include "core/settings_store.h"
#include "platform/environment.h"
#include "ui/frm_main.h"

namespace kestrian::core {

// Hides the four pages and the removal progress widgets.
void HideAllPages(ui::FrmMain& form);
// HideAllPages, then shows `page`.
void ShowPage(ui::FrmMain& form, ui::Frame& page);
// TabStrip1 click: shows the frame of the selected tab and hides the others.
void ShowSelectedTab(ui::FrmMain& form);
// The texts that name the product: the status page's caption and welcome line, and the web
// site button.
void ShowProductTexts(ui::FrmMain& form, const platform::VersionResource& version);
// Definition count, program version, definition version, removed total and scan dates.
void UpdateStatusPage(ui::FrmMain& form, const SettingsStore& settings,
                      const DefinitionCounts& counts, const platform::VersionResource& version);

}  // namespace kestrian::core
