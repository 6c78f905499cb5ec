#include "import/logger_image_builder.h"

#include "import/session_codes.h"

#include <cmath>

namespace ostrel {
namespace {

constexpr std::size_t kFirstDescriptor = 6;
constexpr std::size_t kDescriptorSize = 14;

std::nullopt_t Fail(std::string* error, const char* text) {
    if (error)
        *error = text;
    return std::nullopt;
}

} // namespace

std::optional<std::array<std::uint8_t, 3>> LoggerAddressOf(std::size_t offset) {
    const std::size_t address = offset + 122;
    const std::size_t bank = address / 65536;
    if (bank > 47)
        return std::nullopt; // hi = 0xA0 + 2 × bank must fit a byte
    const std::size_t rest = address % 65536;
    return std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(rest & 0xFF),
                                       static_cast<std::uint8_t>(rest >> 8),
                                       static_cast<std::uint8_t>(0xA0 + 2 * bank)};
}

std::optional<std::vector<std::uint8_t>>
BuildLoggerImage(const std::vector<LoggerSessionData>& sessions, std::string* error) {
    std::vector<std::size_t> order(sessions.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    return BuildLoggerImage(sessions, order, error);
}

std::optional<std::vector<std::uint8_t>>
BuildLoggerImage(const std::vector<LoggerSessionData>& sessions,
                 const std::vector<std::size_t>& memoryOrder, std::string* error) {
    if (sessions.size() > 0xFFFF)
        return Fail(error, "more than 65535 sessions");
    std::vector<bool> placed(sessions.size(), false);
    for (std::size_t k : memoryOrder) {
        if (k >= sessions.size() || placed[k])
            return Fail(error, "the memory order is no permutation of the sessions");
        placed[k] = true;
    }
    if (memoryOrder.size() != sessions.size() || (!memoryOrder.empty() && memoryOrder[0] != 0))
        return Fail(error, "the memory order must hold every session once, the first one first");

    // Offsets of the descriptors in memory order.
    std::vector<std::size_t> offset(sessions.size());
    std::size_t length = kFirstDescriptor;
    for (std::size_t k : memoryOrder) {
        const auto& s = sessions[k];
        const bool dual = (s.flags & 0x80) != 0;
        if (dual && s.values.size() % 2 != 0)
            return Fail(error, "a dual session needs a sub value for every main value");
        if (s.values.size() * 3 > kMaxLoggerLength)
            return Fail(error, "a session has more readings than its byte count holds");
        offset[k] = length;
        length += kDescriptorSize + 3 * s.values.size();
        if (length > kMaxLoggerLength)
            return Fail(error, "the sessions exceed the largest logger memory");
    }
    std::vector<std::uint8_t> image(length, 0);
    image[1] = static_cast<std::uint8_t>(length & 0xFF);
    image[2] = static_cast<std::uint8_t>((length >> 8) & 0xFF);
    image[3] = static_cast<std::uint8_t>(length >> 16);
    image[4] = static_cast<std::uint8_t>(sessions.size() & 0xFF);
    image[5] = static_cast<std::uint8_t>(sessions.size() >> 8);
    for (std::size_t k = 0; k < sessions.size(); ++k) {
        const auto& s = sessions[k];
        const std::size_t bytes = 3 * s.values.size();
        std::uint8_t* desc = image.data() + offset[k];
        // The next session of the chain; after the last, the address after
        // the last byte, as the meter leaves it.
        const std::size_t next = k + 1 < sessions.size() ? offset[k + 1] : length;
        auto address = LoggerAddressOf(next);
        if (!address) {
            if (k + 1 < sessions.size())
                return Fail(error, "a session descriptor lies beyond the addressable memory");
            address = std::array<std::uint8_t, 3>{0xFF, 0xFF, 0xFF}; // end of the chain
        }
        desc[5] = (*address)[0];
        desc[6] = (*address)[1];
        desc[7] = (*address)[2];
        desc[8] = s.function;
        desc[9] = s.mode;
        desc[10] = s.flags;
        desc[11] = static_cast<std::uint8_t>(bytes & 0xFF);
        desc[12] = static_cast<std::uint8_t>((bytes >> 8) & 0xFF);
        desc[13] = static_cast<std::uint8_t>(bytes >> 16);
        std::uint8_t* p = desc + kDescriptorSize;
        for (const auto& v : s.values) {
            PackLoggerValue(v, p);
            p += 3;
        }
    }
    return image;
}

std::optional<LoggerValue> LoggerValueFor(double value, int table) {
    const double magnitude = std::fabs(value);
    // Tables with one exponent for every code have one range only.
    const int last = RangeExponent(table, 15) ? 0 : 15;
    std::optional<LoggerValue> best;
    for (int k = 0; k <= last; ++k) {
        const std::optional<int> e = RangeExponent(table, k);
        if (!e)
            break;
        // A count c shows as "c.ccc" × 10^e: c / 1000 × 10^e.
        const double count = std::round(magnitude / std::pow(10.0, *e) * 1000.0);
        if (count > 65535.0)
            continue;
        LoggerValue v;
        v.range = static_cast<std::uint8_t>(k);
        v.raw = static_cast<std::uint16_t>(count);
        v.flags = value < 0 ? 0x8 : 0;
        if (count <= 9999.0)
            return v;
        best = v;
    }
    return best;
}

} // namespace ostrel
