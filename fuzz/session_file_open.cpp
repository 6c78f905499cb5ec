// Feeds arbitrary bytes to the session-file reader. Counts in the input must
// not drive allocation or reading past the end; whatever is read saves and
// reads back to the same bytes.
#include "import/session_file.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> file(data, data + size);
    const ostrel::SessionFileResult first = ostrel::ParseSessionFile(file.data(), file.size());
    if (first.table.sessionCount() > ostrel::kMaxSessions)
        std::abort();
    // Every pair takes at least 77 bytes of the input.
    if (first.table.pairCount() > size / 77)
        std::abort();
    const auto bytes = ostrel::SessionFileBytes(first.table);
    const ostrel::SessionFileResult second = ostrel::ParseSessionFile(bytes.data(), bytes.size());
    if (second.status != ostrel::SessionFileStatus::Ok)
        std::abort();
    if (ostrel::SessionFileBytes(second.table) != bytes)
        std::abort();
    return 0;
}
