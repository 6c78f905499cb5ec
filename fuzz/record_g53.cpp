// Fuzz the g53 record-file loader.
#include "record_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return ostrel::fuzz::LoadAndCheck(data, size, ostrel::RecordLayout::G53);
}
