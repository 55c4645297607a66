#pragma once
// The one rule by which krv and krv-cli find the port a command line names: a number is that
// entry of the port table; a path is the entry naming the same file (also through a link such
// as /dev/serial/by-path/..., whose name holds ':'), or else is added after the table's last
// entry. The table itself is never rewritten: the choice travels as data.

#include "connection/lpg_connection.h"

#include <optional>
#include <string>

namespace krv {

// The start choice that tries the named port first; nothing, with the reason (translated),
// for a number outside the table.
std::optional<CLPGConnection::StartChoice> startChoiceForPort(const std::string& named,
                                                              std::u16string& error);

} // namespace krv
