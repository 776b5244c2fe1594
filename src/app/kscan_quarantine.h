#pragma once
// kscan's quarantine verbs, on the real machine:
//   kscan quarantine list [--json]     the records of the quarantine index
//   kscan quarantine restore ID...     puts the backups back (never over another file)
//   kscan quarantine delete ID...      deletes the backups and their records
//   kscan finish-removal               deletes at logon what a removal could not delete
// Exit code 0 on success, 1 when an item could not be restored, deleted or finished, 2 on an
// error (an index that cannot be read, an unknown id); each with a message on standard error.
#include <span>
#include <string_view>

namespace kestrian::app {

int RunQuarantineVerb(std::span<char* const> arguments);  // the words after "quarantine"
int RunFinishRemoval();

}  // namespace kestrian::app
