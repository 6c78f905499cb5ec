#include "import/session_conversion.h"

#include "base/atomic_file.h"
#include "import/session_export.h"
#include "import/session_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace ostrel {

ImageFileResult ReadLoggerImageFile(const std::string& path) {
    ImageFileResult result;
    result.messageId = 9004;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        result.problem = path + ": " + std::strerror(EISDIR);
        return result;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        result.problem = path + ": " + std::strerror(errno);
        return result;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> guard(f, &std::fclose);
    // Never more than the largest image, whatever the file's size claims.
    std::vector<std::uint8_t> image;
    std::uint8_t chunk[1 << 16];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        if (image.size() + n > kMaxLoggerImageSize) {
            result.problem = path + ": larger than any logger memory (" +
                             std::to_string(kMaxLoggerImageSize) + " bytes)";
            return result;
        }
        image.insert(image.end(), chunk, chunk + n);
    }
    if (std::ferror(f)) {
        result.problem = path + ": " + std::strerror(errno);
        return result;
    }
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
