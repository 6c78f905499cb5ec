// Fuzz the loader of the temporary file of a running recording.
#include "record_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return ostrel::fuzz::LoadAndCheck(data, size, ostrel::RecordLayout::Temporary);
}
