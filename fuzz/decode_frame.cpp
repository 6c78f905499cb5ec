// Any 27 bytes decode without fault, and the encoder rebuilds a frame that
// decodes to the same texts; any text goes through the hex frame reader.
#include "link/frame_codec.h"
#include "link/frame_hex.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

using namespace ostrel;

namespace {

DisplayContent ContentOf(const DisplayReading& d) {
    DisplayContent c;
    if (!SetDisplayText(c, d.valueText) || c.negative != (d.negative != 0))
        std::abort();
    c.function = static_cast<std::uint32_t>(d.function);
    c.exponent = std::atoi(d.exponentText.c_str());
    return c;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto parsed = ParseFrameHex(text))
        DecodeFrame(*parsed);

    if (size < 27)
        return 0;
    RawFrame raw;
    std::memcpy(raw.data(), data, raw.size());
    const MeterReading first = DecodeFrame(raw);
    if (first.main.valueText.size() > 6 || first.sub.valueText.size() > 6)
        std::abort();

    const FrameContent content{ContentOf(first.main), ContentOf(first.sub), first.lowBattery != 0,
                               raw[22]};
    const MeterReading second = DecodeFrame(EncodeFrame(content));
    if (second.main.valueText != first.main.valueText ||
        second.sub.valueText != first.sub.valueText ||
        second.main.rawFunction != first.main.rawFunction ||
        second.sub.rawFunction != first.sub.rawFunction ||
        second.main.exponentText != first.main.exponentText ||
        second.sub.exponentText != first.sub.exponentText)
        std::abort();
    return 0;
}
