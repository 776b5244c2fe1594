#pragma once
// The home page shield ("Home Page Hijack Protection"): every few seconds the Internet
// Explorer start page of the current user is compared with the home page the program
// remembers; a change is put to the user, restored silently or left alone, as the options
// say. Every third tick runs the memory shield first.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/settings_store.h"
#include "platform/environment.h"
#include "platform/registry.h"
#include "protect/memory_shield.h"
#include "ui/frm_home_page_changed_alert.h"
#include "ui/frm_main.h"

namespace kestrian::protect {

// Where the start page is kept, under HKEY_CURRENT_USER, as REG_SZ.
inline constexpr std::string_view kStartPageKey = "Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr std::string_view kStartPageValue = "Start Page";

enum class HomePageAnswer { Keep, Change, Dismissed };  // Yes, No, closed without either

class HomePageAlert {  // the modal alert window
 public:
  virtual ~HomePageAlert() = default;
  // Shows the alert with `message` and returns once it is closed.
  virtual HomePageAnswer Ask(std::string_view message) = 0;
};

class HomePageShield {
 public:
  HomePageShield(ui::FrmMain& form, core::SettingsStore& settings, platform::Registry& registry,
                 const platform::VersionResource& version, HomePageAlert& alert,
                 MemoryShield& memoryShield)
      : form_(form),
        settings_(settings),
        registry_(registry),
        version_(version),
        alert_(alert),
        memoryShield_(memoryShield) {}
  HomePageShield(const HomePageShield&) = delete;
  HomePageShield& operator=(const HomePageShield&) = delete;

  // One tick of tmrCheckHomePage. A tick that arrives while this shield's alert is open
  // (through the alert's message loop) does nothing.
  void Tick();
  // YES: the remembered home page is stored again and written back as the start page.
  void RestoreHomePage();
  // NO: the new start page becomes the remembered home page; the registry is not touched.
  void AcceptHomePage();

  // The start page the latest check read (empty when it could not be read).
  const std::string& CurrentStartPage() const { return currentStartPage_; }
  // The home page the latest check remembered.
  const std::string& SavedHomePage() const { return savedHomePage_; }

 private:
  void CheckHomePage();

  ui::FrmMain& form_;
  core::SettingsStore& settings_;
  platform::Registry& registry_;
  const platform::VersionResource& version_;
  HomePageAlert& alert_;
  MemoryShield& memoryShield_;
  std::string currentStartPage_;
  std::string savedHomePage_;
  std::int16_t ticks_ = 0;
  bool asking_ = false;
};

// The alert's text, lines ended by CR LF (the last one not).
std::string HomePageChangedMessage(std::string_view productName, std::string_view savedPage,
                                   std::string_view currentPage);

// What the alert shows when it is created: the product's name and the message.
void LoadHomePageAlert(ui::FrmHomePageChangedAlert& form, std::string_view productName,
                       std::string_view message);

}  // namespace kestrian::protect
