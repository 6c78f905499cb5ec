#pragma once
// A file replaced as a whole: the new content goes to a temporary file beside
// the target, which is renamed over the target only when everything was
// written. A failed or abandoned write leaves the previous file untouched.
//
// Only regular files (and new names) are replaced that way. A named pipe, a
// character device (/dev/null, a terminal) and a descriptor path
// (/dev/stdout, /dev/fd/N) are written straight, never turned into a regular
// file. A symbolic link to a regular file keeps being a link: its target is
// replaced. Block devices, folders and sockets are refused.
//
// The temporary file is named ".NAME.<pid>-<n>.part". Opening a save removes
// such files of the same target left by processes that no longer exist.

#include <cstddef>
#include <string>

namespace ostrel {

class AtomicFile {
  public:
    AtomicFile() = default;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile(); // discards an uncommitted temporary file

    // Create the temporary file beside path (or open a special file for
    // writing). False when it cannot be created.
    bool open(const std::string& path);
    // Append bytes; false (and the file is spoiled) on any write error.
    bool write(const void* data, std::size_t size);
    // Overwrite bytes at an offset already written (a header patched at the
    // end). Fails on a special file that cannot seek, such as a pipe.
    bool writeAt(std::size_t offset, const void* data, std::size_t size);
    // Rename over the target, after flushing to the disk when durable. A copy
    // that can be made again from its source may skip the flush. False when
    // anything failed before or now; the target is then unchanged (a special
    // file has had the bytes written so far).
    bool commit(bool durable = true);
    // Drop the temporary file.
    void discard();

    // True when the file is written straight (not through a temporary file).
    bool isDirect() const { return m_direct; }
    const std::string& temporaryPath() const { return m_tempPath; }

  private:
    bool openTemporary(const std::string& target);
    void closeTemporary(bool remove);

    int m_fd = -1;
    bool m_failed = false;
    bool m_direct = false;
    int m_slot = -1; // place in the list of temporary files removed on a signal
    std::string m_path;
    std::string m_tempPath;
};

// Removes the temporary files of every save in progress in this process.
// Async-signal-safe: for a handler of SIGINT or SIGTERM that then ends the
// process, so that an interrupted save leaves nothing behind.
void RemovePartialFiles() noexcept;

// Removes the temporary files of saves of path left by processes that no
// longer exist (opening a save does this already). Returns how many.
int RemoveStalePartialFiles(const std::string& path);

} // namespace ostrel
