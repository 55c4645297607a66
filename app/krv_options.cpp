#include "app/krv_options.h"

#include "connection/port_choice.h"
#include "lang/language_setup.h"
#include "lang/language_table.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/serial_ports.h"
#include "platform/text.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iostream>

namespace krv {
namespace {

constexpr std::string_view kBuiltInLanguage = "POLISH";
constexpr std::string_view kFileSuffix = ".txt";
constexpr int kUsageExit = 2;

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::u16string languageNames() {
    std::u16string names = toU16(kBuiltInLanguage);
    for (const LanguageFileName& file : kLanguageFiles) {
        names += u", " + toU16(file.name.substr(0, file.name.size() - kFileSuffix.size()));
    }
    return names;
}

KrvOptions usageError(std::u16string error) {
    KrvOptions options;
    options.action = KrvOptions::Action::UsageError;
    options.error = std::move(error);
    return options;
}

} // namespace

std::optional<int> languageSlotNamed(const std::string& name) {
    std::string wanted = upper(name);
    if (wanted.ends_with(upper(std::string(kFileSuffix)))) {
        wanted.resize(wanted.size() - kFileSuffix.size());
    }
    if (wanted == kBuiltInLanguage) {
        return kBuiltInSlot;
    }
    for (const LanguageFileName& file : kLanguageFiles) {
        if (upper(std::string(file.name)) == wanted + upper(std::string(kFileSuffix))) {
            return file.slot;
        }
    }
    return std::nullopt;
}

KrvOptions parseKrvOptions(const std::vector<std::string>& given) {
    // --name=value is read as --name value.
    std::vector<std::string> arguments;
    for (const std::string& argument : given) {
        const size_t equals = argument.find('=');
        if (argument.starts_with("--") && equals != std::string::npos) {
            arguments.push_back(argument.substr(0, equals));
            arguments.push_back(argument.substr(equals + 1));
        } else {
            arguments.push_back(argument);
        }
    }
    KrvOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        // Read to the end all the same: --language changes the help's language.
        if (argument == "--help" || argument == "-h" || argument == "--version") {
            if (options.action == KrvOptions::Action::Run) {
                options.action = argument == "--version" ? KrvOptions::Action::Version
                                                         : KrvOptions::Action::Help;
            }
        } else if (argument == "--demo") {
            options.demo = true;
        } else if (argument == "--port" || argument == "--language" || argument == "--replay") {
            if (!hasValue || arguments[i + 1].empty()) {
                return usageError(fillIn(translate(texts::kOptionNeedsValue), {toU16(argument)}));
            }
            const std::string& value = arguments[++i];
            if (argument == "--port") {
                options.port = value;
            } else if (argument == "--replay") {
                options.replay = value;
            } else if (!(options.languageSlot = languageSlotNamed(value))) {
                return usageError(
                    fillIn(translate(texts::kUnknownLanguage), {toU16(value), languageNames()}));
            }
        } else if (argument.size() > 1 && argument[0] == '-' && argument[1] != '-') {
            if (hasValue && !arguments[i + 1].starts_with('-')) {
                ++i; // the Qt option's value
            }
        } else {
            return usageError(fillIn(translate(texts::kUnknownOption), {toU16(argument)}));
        }
    }
    // A replay opens no port: a port or the demo beside it would be silently dropped.
    if (options.action == KrvOptions::Action::Run && !options.replay.empty() &&
        (!options.port.empty() || options.demo)) {
        return usageError(translate(texts::kReplayAlone));
    }
    return options;
}

int answerKrvOptions(const KrvOptions& options, std::ostream& out, std::ostream& err) {
    switch (options.action) {
    case KrvOptions::Action::Help:
        out << toUtf8(translate(texts::kUsage)) << "\n\n"
            << toUtf8(translate(texts::kHelp)) << '\n';
        return 0;
    case KrvOptions::Action::Version:
        out << "krv " << KRV_VERSION << '\n';
        return 0;
    case KrvOptions::Action::UsageError:
        err << "krv: " << toUtf8(options.error) << '\n' << toUtf8(translate(texts::kUsage)) << '\n';
        return kUsageExit;
    case KrvOptions::Action::Run:
        break;
    }
    return 0;
}

std::optional<CLPGConnection::StartChoice> startChoiceFor(const KrvOptions& options,
                                                          std::u16string& error) {
    CLPGConnection::StartChoice choice;
    if (!options.port.empty()) {
        const auto named = startChoiceForPort(options.port, error);
        if (!named) {
            return std::nullopt;
        }
        choice = *named;
    }
    choice.demo = options.demo;
    return choice;
}

std::optional<KrvStart> startFromCommandLine(int argc, char* argv[], int& exitCode) {
    KrvOptions options = parseKrvOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (options.languageSlot) {
        setLanguageSlot(*options.languageSlot);
    }
    if (options.action == KrvOptions::Action::Run) {
        if (auto choice = startChoiceFor(options, options.error)) {
            return KrvStart{*choice, options.replay};
        }
        options.action = KrvOptions::Action::UsageError;
    }
    exitCode = answerKrvOptions(options, std::cout, std::cerr);
    return std::nullopt;
}

} // namespace krv
