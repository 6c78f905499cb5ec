#include "recorder/frame_sampler.h"

#include "recorder/sample_conversion.h"
#include "recorder/sampling.h"
#include "recorder/text_export.h"

#include <cstring>
#include <utility>

namespace ostrel {
namespace {

// Where the bytes of a display (LcdFrame indices) lie in the raw frame.
template <std::size_t N>
constexpr std::array<std::uint8_t, N> RawIndices(const std::array<std::uint8_t, N>& bytes) {
    std::array<std::uint8_t, N> raw{};
    for (std::size_t i = 0; i < N; ++i)
        raw[i] = static_cast<std::uint8_t>(RawIndexOfPayload(bytes[i]));
    return raw;
}
constexpr auto kMainRawBytes = RawIndices(kMainDisplayBytes);
constexpr auto kSubRawBytes = RawIndices(kSubDisplayBytes);

// The bytes of a display taken from the raw frame.
template <const auto& Indices> FrameSampler::Key KeyOf(const RawFrame& raw) {
    static_assert(Indices.size() <= 16);
    std::uint8_t packed[16] = {};
    [&]<std::size_t... I>(std::index_sequence<I...>) {
        ((packed[I] = raw[Indices[I]]), ...);
    }
    (std::make_index_sequence<Indices.size()>{});
    FrameSampler::Key key;
    std::memcpy(&key.low, packed, 8);
    std::memcpy(&key.high, packed + 8, 8);
    return key;
}

} // namespace

std::size_t FrameSampler::Displays::hash(const Key& key) {
    const std::uint64_t h = (key.low * 0x9E3779B97F4A7C15ull) ^ (key.high * 0xC2B2AE3D27D4EB4Full);
    return static_cast<std::size_t>((h ^ (h >> 29)) * 0x165667B19E3779F9ull >> 32);
}

const FrameSampler::Display* FrameSampler::Displays::find(const Key& key) {
    if (m_last && m_last->key == key)
        return m_last;
    if (m_slots.empty())
        return nullptr;
    for (std::size_t s = hash(key) % kSlots;; s = (s + 1) % kSlots) {
        const Slot& slot = m_slots[s];
        if (slot.entry == 0)
            return nullptr;
        if (slot.key == key)
            return m_last = &m_entries[slot.entry - 1];
    }
}

const FrameSampler::Display& FrameSampler::Displays::add(Display display) {
    if (m_entries.size() >= kMaxDisplays || m_slots.empty()) {
        m_slots.assign(kSlots, Slot{});
        m_entries.clear();
        m_entries.reserve(kMaxDisplays);
    }
    std::size_t s = hash(display.key) % kSlots;
    while (m_slots[s].entry != 0)
        s = (s + 1) % kSlots;
    m_slots[s].key = display.key;
    m_entries.push_back(std::move(display));
    m_slots[s].entry = static_cast<std::uint32_t>(m_entries.size());
    return *(m_last = &m_entries.back());
}

bool FrameSampler::displays(const RawFrame& frame, const Display*& main, const Display*& sub) {
    const Key mainKey = KeyOf<kMainRawBytes>(frame);
    const Key subKey = KeyOf<kSubRawBytes>(frame);
    main = m_main.find(mainKey);
    sub = m_sub.find(subKey);
    if (!main || !sub) {
        // A display not seen before: the frame is decoded as the recorder's
        // snapshot of it, and each new display converted on its own.
        const MeterReading reading = RecorderSnapshot(DecodeFrame(frame));
        const auto make = [](const Key& key, const std::optional<TBRecord>& record, bool isMain,
                             bool inUse) {
            Display d;
            d.key = key;
            d.refused = !record;
            d.inUse = inUse;
            if (record) {
                d.record = *record;
                AppendExportFields(d.fields, d.record, isMain);
            }
            return d;
        };
        if (!main)
            main = &m_main.add(make(mainKey, ConvertMainDisplay(reading.main, {}), true, true));
        if (!sub)
            sub = &m_sub.add(
                make(subKey, ConvertSubDisplay(reading.sub, {}), false, reading.sub.function != 0));
    }
    return !main->refused && !sub->refused;
}

bool FrameSampler::sample(const RawFrame& frame, std::string_view timeText, RecordPair& pair) {
    const Display* main = nullptr;
    const Display* sub = nullptr;
    if (!displays(frame, main, sub))
        return false;
    pair.hasSub = sub->inUse ? 1 : 0;
    pair.main = main->record;
    pair.sub = sub->record;
    StoreField(pair.main.timeText, timeText);
    pair.sub.timeText = pair.main.timeText;
    return true;
}

bool FrameSampler::appendExportLine(const RawFrame& frame, std::string_view timeText,
                                    std::int64_t position, std::string& out) {
    const Display* main = nullptr;
    const Display* sub = nullptr;
    if (!displays(frame, main, sub))
        return false;
    // The time as the record's field holds it: up to its first NUL, at most
    // 15 characters.
    std::string_view time = timeText.substr(0, 15);
    if (const auto end = time.find('\0'); end != std::string_view::npos)
        time = time.substr(0, end);
    AppendExportLine(out, position, time, main->fields,
                     sub->inUse ? std::string_view(sub->fields) : std::string_view());
    return true;
}

} // namespace ostrel
