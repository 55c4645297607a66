#include "sim/afm/afm_tool.h"

#include "firmware/afm_format.h"
#include "sim/afm/afm_builder.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iconv.h>
#include <iterator>
#include <optional>
#include <system_error>

namespace krv::sim {
namespace {

constexpr const char* kUsage =
    "usage: krv-afm OUT.afm (--image IMAGE.bin | --sample) [--version N] [--target N]\n"
    "               [--id TEXT] [--bad-checksum]\n"
    "  --image IMAGE.bin  program image from offset 0 (8321 to 98244 bytes)\n"
    "  --sample           a generated full image of 81920 bytes\n"
    "  --version N        firmware version (default 0x0100)\n"
    "  --target N         target code (default 0x0101)\n"
    "  --id TEXT          identification, at most 18 characters of code page 1250\n"
    "                     (default MORVELCASTR_33EP)\n"
    "  --bad-checksum     write a file whose checksum is wrong\n"
    "Numbers are decimal or 0x hexadecimal.\n";

// Image lengths that give a data length the reader accepts.
constexpr std::size_t kMinImageLength = afm::kMinDataLength - afm::kDroppedSize;
constexpr std::size_t kMaxImageLength = afm::kMaxDataLength - afm::kDroppedSize;
// One byte of the field stays free for the NUL that ends the text.
constexpr std::size_t kMaxIdentificationText = afm::kIdentificationSize - 1;

struct Options {
    std::string out;
    std::optional<std::string> imagePath;
    bool sample = false;
    AfmContents contents;
};

std::optional<std::uint16_t> parseU16(const std::string& text) {
    const bool hex = text.starts_with("0x") || text.starts_with("0X");
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    unsigned value = 0;
    const auto [end, error] = std::from_chars(first, last, value, hex ? 16 : 10);
    if (first == last || error != std::errc() || end != last || value > 0xFFFF) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

// Command-line text (UTF-8) in code page 1250; nothing when a character has no place there.
std::optional<std::string> toCodePage1250(const std::string& utf8) {
    const iconv_t handle = iconv_open("CP1250", "UTF-8");
    if (handle == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string in = utf8;
    std::string out(utf8.size(), '\0');
    char* inNext = in.data();
    std::size_t inLeft = in.size();
    char* outNext = out.data();
    std::size_t outLeft = out.size();
    const bool converted =
        iconv(handle, &inNext, &inLeft, &outNext, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(handle);
    if (!converted) {
        return std::nullopt;
    }
    out.resize(out.size() - outLeft);
    return out;
}

std::optional<std::vector<std::uint8_t>> readImage(const std::string& path, std::ostream& err) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        err << "krv-afm: cannot read the image " << path << "\n";
        return std::nullopt;
    }
    std::vector<std::uint8_t> image;
    std::istreambuf_iterator<char> next(in);
    for (; next != std::istreambuf_iterator<char>() && image.size() <= kMaxImageLength; ++next) {
        image.push_back(static_cast<std::uint8_t>(*next));
    }
    if (in.bad()) {
        err << "krv-afm: cannot read the image " << path << "\n";
        return std::nullopt;
    }
    if (image.size() < kMinImageLength || image.size() > kMaxImageLength) {
        err << "krv-afm: the image must hold " << kMinImageLength << " to " << kMaxImageLength
            << " bytes\n";
        return std::nullopt;
    }
    return image;
}

// The options, or nothing after a message on `err`.
std::optional<Options> parse(std::span<const std::string> args, std::ostream& err) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue =
            arg == "--image" || arg == "--version" || arg == "--target" || arg == "--id";
        if (takesValue && i + 1 == args.size()) {
            err << "krv-afm: " << arg << " needs a value\n";
            return std::nullopt;
        }
        if (arg == "--image") {
            options.imagePath = args[++i];
        } else if (arg == "--sample") {
            options.sample = true;
        } else if (arg == "--bad-checksum") {
            options.contents.badChecksum = true;
        } else if (arg == "--version" || arg == "--target") {
            const auto value = parseU16(args[++i]);
            if (!value) {
                err << "krv-afm: " << arg << " takes a number from 0 to 0xFFFF, not " << args[i]
                    << "\n";
                return std::nullopt;
            }
            (arg == "--version" ? options.contents.fileVersion : options.contents.targetCode) =
                *value;
        } else if (arg == "--id") {
            const auto id = toCodePage1250(args[++i]);
            if (!id || id->size() > kMaxIdentificationText) {
                err << "krv-afm: --id takes at most " << kMaxIdentificationText
                    << " characters of code page 1250\n";
                return std::nullopt;
            }
            options.contents.identification = *id;
        } else if (arg.starts_with("-") || !options.out.empty()) {
            err << "krv-afm: unexpected argument " << arg << "\n";
            return std::nullopt;
        } else {
            options.out = arg;
        }
    }
    if (options.out.empty() || options.sample == options.imagePath.has_value()) {
        err << kUsage;
        return std::nullopt;
    }
    return options;
}

} // namespace

int runAfmTool(std::span<const std::string> args, std::ostream& err) {
    if (std::ranges::find(args, "--help") != args.end()) {
        err << kUsage;
        return kAfmToolOk;
    }
    auto options = parse(args, err);
    if (!options) {
        return kAfmToolUsage;
    }
    if (options->sample) {
        options->contents.image = sampleImage();
    } else if (auto image = readImage(*options->imagePath, err)) {
        options->contents.image = std::move(*image);
    } else {
        return kAfmToolFailed;
    }
    const std::filesystem::path out(options->out);
    std::error_code ignored;
    if (out.has_parent_path()) {
        std::filesystem::create_directories(out.parent_path(), ignored);
    }
    if (!writeFile(out, buildAfm(options->contents))) {
        err << "krv-afm: cannot write " << options->out << "\n";
        return kAfmToolFailed;
    }
    return kAfmToolOk;
}

} // namespace krv::sim
