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
// Where the file system allows it, the temporary file has no name until the
// commit (O_TMPFILE): a save that is killed leaves nothing behind, and
// opening a save costs the same in a folder of any size. Elsewhere it is
// named ".NAME.<pid>-<n>.part" from the start, and opening a save removes such
// files of the same target left by processes that no longer exist (which
// reads the whole folder). The commit links an unnamed file under that name
// for the moment of the rename.

#include <cstddef>
#include <functional>
#include <optional>
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
    // end). Fails on a file written straight: a pipe cannot seek, and a
    // descriptor's file may hold bytes of others before ours.
    bool writeAt(std::size_t offset, const void* data, std::size_t size);
    // Take room on the disk at once for a file that will hold size bytes in
    // all: its blocks are then not allocated write by write, which makes a
    // file of hundreds of megabytes about a quarter faster to write. The
    // file's length still grows only with what is written, and room left
    // unused is given back by the commit. Where the room cannot be taken (a
    // file written straight, a file system without it, a full disk) nothing
    // happens: the writes then fail as they would have.
    void reserve(std::size_t size);
    // Rename over the target, after flushing to the disk when durable. A copy
    // that can be made again from its source may skip the flush. False when
    // anything failed before or now; the target is then unchanged (a special
    // file has had the bytes written so far).
    bool commit(bool durable = true);
    // Drop the temporary file.
    void discard();

    // True when the file is written straight (not through a temporary file).
    bool isDirect() const { return m_direct; }
    // The errno of the first failure of open, write or commit (EPIPE: the
    // reader of a pipe went away); 0 when none failed.
    int error() const { return m_error; }

  private:
    bool openTemporary(const std::string& target);
    bool openNamedTemporary(const std::string& target);
    bool linkUnnamed();
    bool claimPartName(const std::function<bool(const std::string&)>& make);
    void closeTemporary(bool remove);
    bool fail();

    int m_fd = -1;
    bool m_failed = false;
    bool m_direct = false;
    bool m_unnamed = false;  // the temporary file has no name yet
    bool m_reserved = false; // reserve() took room beyond what is written
    int m_error = 0;
    int m_slot = -1; // place in the list of temporary files removed on a signal
    std::string m_path;
    std::string m_tempPath;
};

// Removes the temporary files of every save in progress in this process.
// Async-signal-safe: for a handler of SIGINT or SIGTERM that then ends the
// process, so that an interrupted save leaves nothing behind.
void RemovePartialFiles() noexcept;

// Removes the temporary files of saves of path left by processes that no
// longer exist (opening a named save does this already). Returns how many.
int RemoveStalePartialFiles(const std::string& path);

// Whether saves may use unnamed temporary files where the file system has
// them (the default); false makes every save use the named scheme, for the
// tests of that scheme.
void AllowUnnamedTemporaryFiles(bool allow);

// The descriptor a path stands for: /dev/stdin, /dev/stdout, /dev/stderr,
// /dev/fd/N, /proc/self/fd/N, or a link to one of them.
std::optional<int> DescriptorOfPath(const std::string& path);

// Create a new file at path, already locked (flock, exclusive) when its name
// appears, so that another process never sees it unlocked. -1 with errno
// EEXIST when the name exists; the file is never truncated.
int CreateLockedFile(const std::string& path);

// An unnamed scratch file for reading and writing, in $TMPDIR or /tmp, gone
// when closed; -1 when none can be made.
int OpenScratchFile();

} // namespace ostrel
