#pragma once
// MSL text read the way a log viewer reads it, for tests of what the tool writes: two quoted
// header lines, the channel names, the units, then data lines and MARK lines in file order.

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace krv::test {

struct MslLine {
    std::optional<int> mark;    // a MARK line's number
    std::vector<double> values; // a data line's, one a channel
};

struct MslFile {
    std::string title;
    std::string captureDate; // after "Capture Date: "
    std::vector<std::string> names;
    std::vector<std::string> units;
    std::vector<MslLine> lines;
    std::string fault; // empty when the text parsed
};

inline std::vector<std::string> tabFields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    for (std::size_t tab; (tab = line.find('\t', at)) != std::string::npos; at = tab + 1) {
        fields.push_back(line.substr(at, tab - at));
    }
    fields.push_back(line.substr(at));
    return fields;
}

inline std::optional<std::string> quotedText(const std::string& line) {
    if (line.size() < 2 || line.front() != '"' || line.back() != '"' ||
        line.find('"', 1) != line.size() - 1) {
        return std::nullopt;
    }
    return line.substr(1, line.size() - 2);
}

inline MslFile parseMsl(const std::string& text) {
    MslFile file;
    std::istringstream in(text);
    std::string line;
    const auto fail = [&](const std::string& why) {
        file.fault = why + ": [" + line + "]";
        return file;
    };
    if (!std::getline(in, line) || !quotedText(line)) {
        return fail("no quoted title");
    }
    file.title = *quotedText(line);
    constexpr std::string_view kDate = "Capture Date: ";
    if (!std::getline(in, line) || !quotedText(line) || !quotedText(line)->starts_with(kDate)) {
        return fail("no quoted capture date");
    }
    file.captureDate = quotedText(line)->substr(kDate.size());
    if (!std::getline(in, line)) {
        return fail("no channel names");
    }
    file.names = tabFields(line);
    if (!std::getline(in, line)) {
        return fail("no units");
    }
    file.units = tabFields(line);
    if (file.units.size() != file.names.size()) {
        return fail("units and names differ in number");
    }
    while (std::getline(in, line)) {
        MslLine parsed;
        if (line.starts_with("MARK ")) {
            std::size_t used = 0;
            parsed.mark = std::stoi(line.substr(5), &used);
            if (used != line.size() - 5) {
                return fail("a MARK line with more than its number");
            }
        } else {
            for (const std::string& field : tabFields(line)) {
                std::size_t used = 0;
                parsed.values.push_back(std::stod(field, &used));
                if (used != field.size()) {
                    return fail("not a number");
                }
            }
            if (parsed.values.size() != file.names.size()) {
                return fail("a data line with the wrong number of values");
            }
        }
        file.lines.push_back(parsed);
    }
    return file;
}

} // namespace krv::test
