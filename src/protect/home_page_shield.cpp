#include "protect/home_page_shield.h"

#include "core/long_work.h"
#include "core/registry_access.h"
#include "core/scoped_flag.h"
#include "core/settings_keys.h"
#include "core/text.h"
#include "core/timer_arming.h"

namespace kestrian::protect {

namespace {
constexpr std::int16_t kTicksPerMemoryCheck = 3;

bool ReadFlag(const core::SettingsStore& settings, const core::settings::Key& key) {
  return core::ParseBoolean(settings.Get(key)).value_or(false);
}

}  // namespace

void HomePageShield::Tick() {
  // Nothing starts inside a scan or a removal, even when its timer was armed again meanwhile.
  if (asking_ || core::LongWorkRunning(form_)) return;
  if (++ticks_ >= kTicksPerMemoryCheck) {
    ticks_ = 0;
    memoryShield_.Tick();
  }
  // This timer too is stopped; the arming below starts it again only while the shield is on.
  core::ArmTimers(form_, settings_, false);
  if (ReadFlag(settings_, core::settings::kHomePageShieldOn)) CheckHomePage();
  core::ArmTimers(form_, settings_, true);
}

void HomePageShield::CheckHomePage() {
  core::ReadRegistryString(registry_, platform::roots::kCurrentUser, kStartPageKey, kStartPageValue,
                           currentStartPage_);
  savedHomePage_ = settings_.Get(core::settings::kHomePage);
  if (savedHomePage_.empty()) {
    savedHomePage_ = currentStartPage_;
    settings_.Save(core::settings::kHomePage, savedHomePage_);
  }
  if (savedHomePage_ == currentStartPage_) return;

  if (ReadFlag(settings_, core::settings::kNotifyBeforeRestoring)) {
    HomePageAnswer answer = HomePageAnswer::Dismissed;
    {
      const core::ScopedFlag asking(asking_);
      answer = alert_.Ask(
          HomePageChangedMessage(version_.productName, savedHomePage_, currentStartPage_));
    }
    switch (answer) {
      case HomePageAnswer::Keep: RestoreHomePage(); break;
      case HomePageAnswer::Change: AcceptHomePage(); break;
      case HomePageAnswer::Dismissed: break;  // found again at the next tick
    }
  } else if (ReadFlag(settings_, core::settings::kRestoreSilently)) {
    RestoreHomePage();
  }
}

void HomePageShield::RestoreHomePage() {
  settings_.Save(core::settings::kHomePage, savedHomePage_);
  core::WriteUserRegistryValue(registry_, kStartPageKey, kStartPageValue, savedHomePage_,
                               platform::value_types::kString);
}

void HomePageShield::AcceptHomePage() {
  settings_.Save(core::settings::kHomePage, currentStartPage_);
}

std::string HomePageChangedMessage(std::string_view productName, std::string_view savedPage,
                                   std::string_view currentPage) {
  std::string message(productName);
  message.append(" has detected that your Homepage has been changed.\r\n")
      .append("\r\n")
      .append("Click YES to keep your homepage as:\r\n")
      .append(savedPage)
      .append("\r\n")
      .append("\r\n")
      .append("Click No to change your homepage to:\r\n")
      .append(currentPage);
  return message;
}

void LoadHomePageAlert(ui::FrmHomePageChangedAlert& form, std::string_view productName,
                       std::string_view message) {
  form.lblFrmHomePageProductName.SetCaption(productName);
  form.lblHomePageInfo.SetCaption(message);
}

}  // namespace kestrian::protect
