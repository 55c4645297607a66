#include "connection/port_choice.h"

#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/serial_ports.h"
#include "platform/text.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace krv {

namespace {

bool isNumber(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

} // namespace

std::optional<CLPGConnection::StartChoice> startChoiceForPort(const std::string& named,
                                                              std::u16string& error) {
    CLPGConnection::StartChoice choice;
    const std::vector<std::string> table = serialPortTable();
    if (isNumber(named)) {
        const size_t number = named.size() > 4 ? 0 : std::stoul(named);
        if (number < 1 || number > table.size()) {
            error = fillIn(translate(texts::kUnknownPort),
                           {toU16(named), toU16(std::to_string(table.size()))});
            return std::nullopt;
        }
        choice.firstPort = static_cast<int>(number);
        return choice;
    }
    const auto found = std::find_if(table.begin(), table.end(),
                                    [&](const std::string& entry) { return sameFile(entry, named); });
    if (found != table.end()) {
        choice.firstPort = static_cast<int>(found - table.begin()) + 1;
        return choice;
    }
    std::error_code ignored;
    const std::filesystem::path device = std::filesystem::weakly_canonical(named, ignored);
    choice.addedPort = device.empty() ? named : device.string();
    choice.firstPort = static_cast<int>(table.size()) + 1;
    return choice;
}

} // namespace krv
