#pragma once
// One entry of a session list: a reading of both displays as 76-byte
// TRecords. The sub record exists only when the session logged the sub
// display (hasSub 1).

#include "recorder/record.h"

#include <cstdint>
#include <optional>

namespace ostrel {

struct SessionPair {
    std::uint8_t hasSub = 0;
    TRecord main;
    std::optional<TRecord> sub;
};

} // namespace ostrel
