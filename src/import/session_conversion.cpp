#include "import/session_conversion.h"

#include "base/atomic_file.h"
#include "import/session_export.h"
#include "import/session_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ostrel {

ImageFileResult ReadLoggerImageFile(const std::string& path) {
    ImageFileResult result;
    result.messageId = 9004;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        result.problem = path + ": " + std::strerror(EISDIR);
        return result;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.problem = path + ": " + std::strerror(errno);
        return result;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    const auto tooLarge = [&] {
        result.problem = path + ": larger than any logger memory (" +
                         std::to_string(kMaxLoggerImageSize) + " bytes)";
        return result;
    };
    // Room for the whole image at once: the file's size, or for a pipe the
    // largest image (pages not filled take no memory). It is read in fixed
    // chunks straight into that room, never more than the largest image.
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (regular && static_cast<std::uint64_t>(st.st_size) > kMaxLoggerImageSize)
        return tooLarge();
    std::vector<std::uint8_t> image;
    image.reserve(regular ? static_cast<std::size_t>(st.st_size) : kMaxLoggerImageSize);
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    const auto readSome = [fd](std::uint8_t* to, std::size_t n) {
        ssize_t got;
        do
            got = ::read(fd, to, n);
        while (got < 0 && errno == EINTR);
        return got;
    };
    for (;;) {
        const std::size_t at = image.size();
        if (at == image.capacity()) {
            // The room is full: one more byte says whether the file goes on
            // (it grew since, or a pipe holds more than the largest image).
            std::uint8_t more;
            const ssize_t n = readSome(&more, 1);
            if (n == 0)
                break;
            if (n < 0) {
                result.problem = path + ": " + std::strerror(errno);
                return result;
            }
            if (at >= kMaxLoggerImageSize)
                return tooLarge();
            image.reserve(std::min(at + kChunk, kMaxLoggerImageSize));
            image.push_back(more);
            continue;
        }
        const std::size_t want = std::min(kChunk, image.capacity() - at);
        image.resize(at + want);
        const ssize_t n = readSome(image.data() + at, want);
        if (n < 0) {
            result.problem = path + ": " + std::strerror(errno);
            return result;
        }
        image.resize(at + static_cast<std::size_t>(n));
        if (n == 0)
            break;
    }
    if (image.size() > kMaxLoggerImageSize)
        return tooLarge();
    if (image.size() < 6) {
        result.problem = path + ": too short for a logger memory header";
        return result;
    }
    result.ok = true;
    result.messageId = 0;
    result.image = std::move(image);
    return result;
}

bool WriteLoggerImageFile(const std::string& path, const std::vector<std::uint8_t>& image,
                          int* error) {
    AtomicFile file;
    if (file.open(path) && file.write(image.data(), image.size()) && file.commit())
        return true;
    if (error)
        *error = file.error();
    return false;
}

int ConvertSessionFileToCsv(const std::string& input, const std::string& output, int* detailId,
                            int* saveError) {
    // Pair by pair, never holding the file: a session file of any size
    // converts in the same small memory. The text replaces output only when
    // it is complete, and not at all when nothing of the input could be read.
    SessionExportFile csv;
    const bool created = csv.open(output);
    std::size_t item = 0;
    std::size_t pairs = 0;
    SessionFileSink sink;
    sink.session = [&](std::size_t, std::size_t) { item = 0; };
    sink.pair = [&](std::size_t, SessionPair& pair) {
        ++pairs;
        if (created)
            csv.add(++item, pair);
        return true;
    };
    const SessionFileResult file = StreamSessionFile(input, sink);
    if (detailId)
        *detailId = 0;
    // A damaged file of which no reading could be read leaves the output as
    // it was; the unfinished output is dropped with its writer.
    if (file.status == SessionFileStatus::CannotOpen ||
        (file.status != SessionFileStatus::Ok && pairs == 0))
        return 9004;
    if (detailId)
        *detailId = file.detailId;
    if (!created || !csv.commit(false)) {
        if (saveError)
            *saveError = csv.error();
        return 9005;
    }
    return file.messageId;
}

} // namespace ostrel
