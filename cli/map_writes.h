#pragma once
// What every command that overwrites the controller's map shares: the dry run's list of
// changes, and the write itself behind a backup of what the controller held.

#include "cli/session.h"
#include "connection/controller_writes.h"
#include "device/map_file/map_snapshot.h"

#include <ostream>
#include <string_view>

namespace krv::cli {

// What a write would change, one line a value: cells, then axes, then settings.
void printChanges(std::ostream& out, const MapSnapshot& from, const MapSnapshot& to);

// The backup of held, what the controller holds (tagged with operation), then the write: the
// exit code, with the line that says why on err.
int writeBackedUp(Session& session, std::string_view operation, const MapSnapshot& held,
                  const MapSnapshot& target, WriteKind kind);
// The write alone, from held to target, recorded under the session's car as operation: the exit
// code, with what came of it on err.
int writeFrom(Session& session, std::string_view operation, const MapSnapshot& held,
              const MapSnapshot& target, WriteKind kind);

} // namespace krv::cli
