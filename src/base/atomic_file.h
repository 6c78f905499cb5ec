#pragma once
// A file replaced as a whole: the new content goes to a temporary file beside
// the target, which is renamed over the target only when everything was
// written. A failed or abandoned write leaves the previous file untouched.

#include <cstddef>
#include <string>

namespace ostrel {

class AtomicFile {
  public:
    AtomicFile() = default;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile(); // discards an uncommitted temporary file

    // Create the temporary file beside path. False when it cannot be created.
    bool open(const std::string& path);
    // Append bytes; false (and the file is spoiled) on any write error.
    bool write(const void* data, std::size_t size);
    // Overwrite bytes at an offset already written (a header patched at the end).
    bool writeAt(std::size_t offset, const void* data, std::size_t size);
    // Rename over the target, after flushing to the disk when durable. A copy
    // that can be made again from its source may skip the flush. False when
    // anything failed before or now; the target is then unchanged.
    bool commit(bool durable = true);
    // Drop the temporary file.
    void discard();

    const std::string& temporaryPath() const { return m_tempPath; }

  private:
    int m_fd = -1;
    bool m_failed = false;
    std::string m_path;
    std::string m_tempPath;
};

} // namespace ostrel
