// Build step: turns a readable UTF-8 translation table into a shipped language file
// (UTF-16LE with byte-order mark, CR LF lines). Lines starting with '#' and blank lines are
// notes for translators and are left out. Fails on lines the program could not use, on
// duplicate keys and on broken UTF-8, so a slip in the table stops the build.
//
// usage: make_language_file <table.tsv> <LANGUAGE.txt>

#include "platform/text.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string>

namespace {

bool fail(const std::string& where, const std::string& what) {
    std::cerr << where << ": " << what << '\n';
    return false;
}

void putUnit(std::string& out, char16_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

bool convert(const std::string& tablePath, std::istream& table, std::string& out) {
    putUnit(out, u'\uFEFF');
    std::set<std::string> keys;
    std::string line;
    for (int number = 1; std::getline(table, line); ++number) {
        const std::string where = tablePath + ":" + std::to_string(number);
        if (line.ends_with('\r')) {
            line.pop_back();
        }
        if (line.empty() || line.starts_with('#')) {
            continue;
        }
        const std::size_t firstTab = line.find('\t');
        if (firstTab == std::string::npos || line.find('\t', firstTab + 1) == std::string::npos) {
            return fail(where, "needs key, TAB, note, TAB, text");
        }
        if (!keys.insert(line.substr(0, firstTab)).second) {
            return fail(where, "duplicate key (only the first line would ever be used)");
        }
        const std::u16string text = krv::toU16(line);
        if (text.find(u'\uFFFD') != std::u16string::npos &&
            line.find("\xEF\xBF\xBD") == std::string::npos) {
            return fail(where, "not valid UTF-8");
        }
        for (char16_t unit : text) {
            putUnit(out, unit);
        }
        putUnit(out, u'\r');
        putUnit(out, u'\n');
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_language_file <table.tsv> <LANGUAGE.txt>\n";
        return 2;
    }
    std::ifstream table(argv[1], std::ios::binary);
    if (!table) {
        std::cerr << argv[1] << ": cannot read\n";
        return 1;
    }
    std::string out;
    if (!convert(argv[1], table, out)) {
        return 1;
    }
    const std::string temporary = std::string(argv[2]) + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(out.data(), static_cast<std::streamsize>(out.size()));
        if (!file.flush()) {
            std::cerr << temporary << ": cannot write\n";
            return 1;
        }
    }
    // std::filesystem's rename replaces an existing file on every system, std::rename not.
    std::error_code error;
    std::filesystem::rename(temporary, argv[2], error);
    if (error) {
        std::cerr << argv[2] << ": cannot replace\n";
        return 1;
    }
    return 0;
}
