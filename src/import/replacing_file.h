#pragma once
// An output file replaced as a whole: bytes go to a temporary file beside the
// target, renamed over it only when everything was written.

#include <cstddef>
#include <cstdio>
#include <string>

namespace ostrel {

class ReplacingFile {
public:
    ReplacingFile() = default;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    ~ReplacingFile(); // an uncommitted temporary file is removed

    bool open(const std::string& path);
    bool write(const void* data, std::size_t size);
    // Flush, sync and rename over the target; false leaves the target as it was.
    bool commit();

private:
    void discard();
    std::FILE* m_file = nullptr;
    bool m_failed = false;
    std::string m_path;
    std::string m_temp;
};

} // namespace ostrel
