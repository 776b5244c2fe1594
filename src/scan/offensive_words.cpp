#include "scan/offensive_words.h"

#include <array>

#include "core/text.h"

namespace kestrian::scan {

namespace {
// The order matters: a later word that contains an earlier one is already partly masked.
constexpr std::array<std::string_view, 39> kWords = {
    "fuck",   "shit",    "asshole", "cock",  "slut",   "whore",  "blowjob", "anal",
    "bastard", "fag",    "cum",     "pussy", "suck",   "lesbian", "faggot", "dick",
    "bitch",  "pecker",  "nigger",  "kike",  "kyke",   "cunt",   "tits",    "titty",
    "titties", "boob",   "clit",    "spic",  "fart",   "piss",   "butt",    "boner",
    "racist", "douche",  "beaver",  "dike",  "jap",    "wop",    "sex"};
}  // namespace

std::string MaskOffensiveWords(std::string_view text) {
  std::string masked(text);
  for (std::string_view word : kWords) masked = core::ReplaceAllIgnoringCase(masked, word, "****");
  return masked;
}

}  // namespace kestrian::scan
