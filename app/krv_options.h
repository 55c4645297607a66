#pragma once
// The command line of krv. Read before any window exists, so that --help, --version and a
// usage error answer without a display. No Qt here.

#include "connection/lpg_connection.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace krv {

struct KrvOptions {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    std::string port;                // --port: a device path or a port number; "" for none
    bool demo = false;               // --demo
    std::string replay;              // --replay: a readings log shown instead of any search
    std::optional<int> languageSlot; // --language
    std::u16string error;            // UsageError: what was wrong, translated
};

// The arguments without the program name; --name=value is read as --name value. Arguments with a
// single dash (-platform xcb, -style Fusion) and the value after each are Qt's: they are left for
// QApplication.
KrvOptions parseKrvOptions(const std::vector<std::string>& given);

// The slot of a language by its file's name (GERMAN, german, GERMAN.txt); POLISH is the
// built-in text.
std::optional<int> languageSlotNamed(const std::string& name);

// Prints the help, the version or the usage error; the process's exit code (0, or 2 for a
// usage error).
int answerKrvOptions(const KrvOptions& options, std::ostream& out, std::ostream& err);

// What the searches are to do. A --port path that is not in the port table joins it at its
// end (through KRV_PORTS), so the numbers of the other ports stay as they were. A port
// number past the table's end is a usage error, written to `error`.
std::optional<CLPGConnection::StartChoice> startChoiceFor(const KrvOptions& options,
                                                          std::u16string& error);

struct KrvStart {
    CLPGConnection::StartChoice choice;
    std::string replay; // a log to replay instead of searching; "" for none
};

// The whole command line for krv's start: answers what needs no window (nothing is returned
// and `exitCode` is set), sets a --language, and gives what the searches are to do.
std::optional<KrvStart> startFromCommandLine(int argc, char* argv[], int& exitCode);

} // namespace krv
