#pragma once
// One entry of a session list: a reading of both displays as 76-byte
// TRecords. The sub record exists only when the session logged the sub
// display (hasSub 1); the pair owns it.

#include "recorder/record.h"

#include <cstdint>
#include <memory>

namespace ostrel {

struct SessionPair {
    std::uint8_t hasSub = 0;
    TRecord main;
    std::unique_ptr<TRecord> sub;
};

} // namespace ostrel
