#pragma once
// The results page's Exclude command and the "View Exclusions" menu command.
#include <string>

#include "core/exclusion_list.h"
#include "platform/desktop.h"
#include "ui/frm_main.h"
#include "ui/host.h"

namespace kestrian::removal {

struct ExclusionCommandContext {
  ui::FrmMain& form;
  ui::Host& host;
  core::ExclusionList& exclusions;
  const std::string& productName;
};

// Puts the location and the name of every checked result on the exclusion list, after the
// user confirmed, and takes the checked rows off the lists.
void ExcludeCheckedResults(ExclusionCommandContext context);

// Opens the exclusion file in Notepad, or says that there is none yet.
void ViewExclusions(platform::FileSystem& files, const core::ApplicationFolder& folder,
                    ui::Host& host, platform::Desktop& desktop);

}  // namespace kestrian::removal
