// ostrel-cli decode-frame HEX | -: display frames as JSON, one object per frame.
#include "base/line_reader.h"
#include "cli/command.h"
#include "cli/standard_output.h"
#include "link/frame_codec.h"
#include "link/frame_hex.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
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
// was refused. Stops early when standard output fails.
bool DecodeStream(int in) {
    std::string output;
    output.reserve(1 << 17);
    bool ok = true;
    LineReader lines = LineReader::FromDescriptor(in, kMaxLineLength);
    for (LineReader::Line line; lines.next(line);) {
        std::optional<RawFrame> raw;
        if (!line.tooLong)
            raw = ParseFrameHex(line.text);
        if (!raw) {
            std::fprintf(stderr, "decode-frame: line %llu: %s\n",
                         static_cast<unsigned long long>(line.number), kNotAFrame);
            ok = false;
            continue;
        }
        AppendReading(output, DecodeFrame(*raw));
        if (output.size() >= (1 << 16)) {
            if (!Print(output))
                return ok;
            output.clear();
        }
    }
    if (lines.failed()) {
        std::fprintf(stderr, "decode-frame: standard input could not be read\n");
        ok = false;
    }
    Print(output);
    return ok;
}

const CommandRegistrar kDecodeFrameCommand([](CLI::App& app) {
    auto words = std::make_shared<std::vector<std::string>>();
    Command cmd = AddCommand(
        app, "decode-frame",
        "Decode a 27-byte display frame (54 hex digits, blanks allowed) into JSON; with -, "
        "decode one frame per line of standard input");
    cmd.app->add_option("hex", *words, "the frame's hex digits, or - for standard input")
        ->required();
    cmd.run([words]() -> int {
        if (words->size() == 1 && (*words)[0] == "-")
            return DecodeStream(STDIN_FILENO) ? 0 : kExitFailure;
        std::string hex;
        for (const auto& word : *words) {
            if (!hex.empty())
                hex += ' ';
            hex += word;
        }
        const auto raw = ParseFrameHex(hex);
        if (!raw) {
            std::fprintf(stderr, "decode-frame: %s\n", kNotAFrame);
            return kExitFailure;
        }
        std::string output;
        AppendReading(output, DecodeFrame(*raw));
        Print(output);
        return 0;
    });
});

} // namespace

} // namespace ostrel::cli
