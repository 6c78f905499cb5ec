// Feeds arbitrary bytes to the logger-image decoder as a downloaded image.
// Nothing outside the input may be read (the sanitizers watch), the table
// stays within its bound, and what comes out survives a session file.
#include "import/session_decoder.h"
#include "import/session_file.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so that a read past the end is caught.
    std::vector<std::uint8_t> image(data, data + size);
    const ostrel::SessionDecodeResult r = ostrel::DecodeLoggerImage(image.data(), image.size());
    if (r.table.sessionCount() > ostrel::kMaxSessions)
        std::abort();
    if (r.table.pairCount() > size / 3)
        std::abort();
    const auto bytes = ostrel::SessionFileBytes(r.table);
    // A size known before writing is the size written.
    if (const auto known = ostrel::KnownSessionFileSize(r.table); known && *known != bytes.size())
        std::abort();
    const auto back = ostrel::ParseSessionFile(bytes.data(), bytes.size());
    if (back.status != ostrel::SessionFileStatus::Ok)
        std::abort();
    if (ostrel::SessionFileBytes(back.table) != bytes)
        std::abort();
    return 0;
}
