#include "update/update_base.h"

#include "core/text.h"

namespace kestrian::update {

std::string BuildUpdateBase(std::string_view webSiteEntry) {
  if (webSiteEntry == kWebSitePlaceholder) return std::string(kDefaultUpdateBase);
  // A secure host must stay secure; only plain "http://" is taken off and put back.
  const bool secure = core::FindIgnoringCase(webSiteEntry, "https://") != std::string_view::npos;
  std::string host = core::ReplaceAllIgnoringCase(webSiteEntry, "https://", "");
  host = core::ReplaceAllIgnoringCase(host, "http://", "");
  if (const std::size_t slash = host.find('/'); slash != std::string::npos) host.resize(slash);
  if (core::FindIgnoringCase(host, "www.") == std::string::npos) host.insert(0, "www.");
  return (secure ? "https://" : "http://") + host;
}

}  // namespace kestrian::update
