#pragma once
// Samples of a run of raw display frames, exactly as SampleFromFrame takes
// them, at the cost of a table look-up for a display seen before: the record
// of each display (and its fields in the text export) depends only on the
// bytes that display is decoded from (kMainDisplayBytes, kSubDisplayBytes), so
// each one is decoded and converted once and kept. A capture shows the same
// few hundred displays over and over.

#include "link/frame_codec.h"
#include "recorder/record.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

class FrameSampler {
  public:
    // The sample of frame at timeText into pair; false when the recorder
    // refuses the reading (pair is then undefined).
    bool sample(const RawFrame& frame, std::string_view timeText, RecordPair& pair);
    // Its line of the text export at position (0-based), appended to out;
    // false (nothing appended) when the reading is refused.
    bool appendExportLine(const RawFrame& frame, std::string_view timeText, std::int64_t position,
                          std::string& out);

    // The bytes a display is decoded from, packed.
    struct Key {
        std::uint64_t low = 0, high = 0;
        bool operator==(const Key&) const = default;
    };

  private:
    // One display as the sample holds it.
    struct Display {
        Key key{};
        bool refused = false;
        bool inUse = false; // the function code is not 0 (the sub display's has-sub)
        TBRecord record;    // without its time text
        std::string fields; // in the text export
    };
    // Displays by key, in a table of open addressing whose slots hold the
    // keys themselves (a look-up reads one slot, not an entry, before it
    // finds its display). It holds at most kMaxDisplays; one more starts it
    // afresh, so memory stays bounded whatever the frames. The display found
    // last is tried first: a steady display repeats from frame to frame.
    class Displays {
      public:
        const Display* find(const Key& key);
        const Display& add(Display display);

      private:
        struct Slot {
            Key key;
            std::uint32_t entry = 0; // entry + 1, or 0 for a free slot
        };
        static constexpr std::size_t kSlots = 8192;
        static constexpr std::size_t kMaxDisplays = kSlots / 2;
        static std::size_t hash(const Key& key);
        std::vector<Slot> m_slots;
        std::vector<Display> m_entries; // room for all at once: entries never move
        const Display* m_last = nullptr;
    };

    // Both displays of a frame; false when the reading is refused.
    bool displays(const RawFrame& frame, const Display*& main, const Display*& sub);

    Displays m_main, m_sub;
};

} // namespace ostrel
