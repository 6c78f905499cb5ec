// Feeds arbitrary bytes to the configuration reader. Whatever it accepts must
// survive a write and a read: the written text reads back to values that
// format to the same texts (15 significant digits).
#include "base/config_file.h"
#include "base/number_format.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ostrel::Configuration first = ostrel::ParseConfiguration(text);
    const std::string written = ostrel::FormatConfiguration(first);
    const ostrel::Configuration second = ostrel::ParseConfiguration(written);
    if (second.iPort != first.iPort ||
        ostrel::FormatGeneral(second.fHiLimit) != ostrel::FormatGeneral(first.fHiLimit) ||
        ostrel::FormatGeneral(second.fLowLimit) != ostrel::FormatGeneral(first.fLowLimit))
        std::abort();
    if (ostrel::FormatConfiguration(second) != written)
        std::abort();
    return 0;
}
