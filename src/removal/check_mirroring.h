#pragma once
// A check mark set or cleared on the results page is copied to the hidden rows the removal
// works on: the cookie file, and every trace named after the finding, whatever its kind.
#include <cstddef>

#include "ui/frm_main.h"

namespace kestrian::removal {

void MirrorResultCheck(ui::FrmMain& form, std::size_t resultRow);

}  // namespace kestrian::removal
