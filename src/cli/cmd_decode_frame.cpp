// ostrel-cli decode-frame HEX | -: display frames as JSON, one object per frame.
#include "cli/command.h"
#include "link/frame_codec.h"
#include "link/frame_hex.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ostrel::cli {

namespace {

// Longest input line looked at; anything longer cannot be a frame and is
// skipped up to its end without being stored.
constexpr std::size_t kMaxLineLength = 4096;

void AppendString(std::string& out, const std::string& text) {
    out += '"';
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[u >> 4];
            out += kHex[u & 0x0F];
        } else {
            out += c;
        }
    }
    out += '"';
}

void AppendUnsigned(std::string& out, std::uint32_t value) {
    char digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0)
        out += digits[--n];
}

void AppendDisplay(std::string& out, const DisplayReading& d) {
    out += "{\"negative\":";
    out += d.negative ? '1' : '0';
    out += ",\"valueText\":";
    AppendString(out, d.valueText);
    out += ",\"exponentText\":";
    AppendString(out, d.exponentText);
    out += ",\"rawFunction\":";
    AppendUnsigned(out, static_cast<std::uint32_t>(d.rawFunction));
    out += ",\"function\":";
    AppendUnsigned(out, static_cast<std::uint32_t>(d.function));
    out += ",\"prefixText\":";
    AppendString(out, d.prefixText);
    out += ",\"unitText\":";
    AppendString(out, d.unitText);
    out += ",\"couplingText\":";
    AppendString(out, d.couplingText);
    out += ",\"valueField\":";
    AppendString(out, FieldText(d.valueField));
    out += ",\"firstLabelField\":";
    AppendString(out, FieldText(d.firstLabelField));
    out += ",\"secondLabelField\":";
    AppendString(out, FieldText(d.secondLabelField));
    out += '}';
}

void AppendReading(std::string& out, const MeterReading& r) {
    out += "{\"main\":";
    AppendDisplay(out, r.main);
    out += ",\"sub\":";
    AppendDisplay(out, r.sub);
    out += ",\"lowBattery\":";
    out += r.lowBattery ? '1' : '0';
    out += "}\n";
}

constexpr const char* kNotAFrame = "not a display frame (expected 27 bytes as 54 hex digits)";

// Decodes one frame per line of standard input. Returns false when any line
// was refused.
bool DecodeStream(std::FILE* in, std::FILE* out) {
    std::string output;
    output.reserve(1 << 17);
    std::string line;
    line.reserve(kMaxLineLength);
    bool lineTooLong = false;
    unsigned long lineNumber = 0;
    bool ok = true;

    const auto finishLine = [&] {
        ++lineNumber;
        std::optional<RawFrame> raw;
        if (!lineTooLong)
            raw = ParseFrameHex(line);
        if (raw) {
            AppendReading(output, DecodeFrame(*raw));
            if (output.size() >= (1 << 16)) {
                std::fwrite(output.data(), 1, output.size(), out);
                output.clear();
            }
        } else {
            std::fprintf(stderr, "decode-frame: line %lu: %s\n", lineNumber, kNotAFrame);
            ok = false;
        }
        line.clear();
        lineTooLong = false;
    };

    std::vector<char> buffer(1 << 16);
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
        const char* p = buffer.data();
        const char* end = p + n;
        while (p != end) {
            const char* newline = static_cast<const char*>(std::memchr(p, '\n', end - p));
            const char* stop = newline ? newline : end;
            if (!lineTooLong) {
                const auto length = static_cast<std::size_t>(stop - p);
                if (line.size() + length > kMaxLineLength) {
                    lineTooLong = true;
                    line.clear();
                } else {
                    line.append(p, length);
                }
            }
            if (!newline)
                break;
            finishLine();
            p = newline + 1;
        }
    }
    if (!line.empty() || lineTooLong)
        finishLine();
    std::fwrite(output.data(), 1, output.size(), out);
    std::fflush(out);
    return ok;
}

struct DecodeFrameOptions {
    std::vector<std::string> words;
};

const CommandRegistrar kRegistrar([](CLI::App& app) {
    auto options = std::make_shared<DecodeFrameOptions>();
    CLI::App* cmd = app.add_subcommand(
        "decode-frame",
        "Decode a 27-byte display frame (54 hex digits, blanks allowed) into JSON; with -, "
        "decode one frame per line of standard input");
    cmd->add_option("hex", options->words, "the frame's hex digits, or - for standard input")
        ->required();
    cmd->callback([options] {
        const auto& words = options->words;
        if (words.size() == 1 && words[0] == "-") {
            if (!DecodeStream(stdin, stdout))
                ExitStatus() = kExitFailure;
            return;
        }
        std::string hex;
        for (const auto& word : words) {
            if (!hex.empty())
                hex += ' ';
            hex += word;
        }
        const auto raw = ParseFrameHex(hex);
        if (!raw) {
            std::fprintf(stderr, "decode-frame: %s\n", kNotAFrame);
            ExitStatus() = kExitFailure;
            return;
        }
        std::string output;
        AppendReading(output, DecodeFrame(*raw));
        std::fwrite(output.data(), 1, output.size(), stdout);
    });
});

} // namespace

} // namespace ostrel::cli
