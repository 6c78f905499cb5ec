#include "import/session_conversion.h"

#include "base/atomic_file.h"
#include "import/session_export.h"
#include "import/session_file.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace ostrel {

ImageFileResult ReadLoggerImageFile(const std::string& path) {
    ImageFileResult result;
    result.messageId = 9004;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        result.problem = path + " is a folder";
        return result;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        result.problem = "cannot read " + path;
        return result;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> guard(f, &std::fclose);
    // Never more than the largest image, whatever the file's size claims.
    std::vector<std::uint8_t> image;
    std::uint8_t chunk[1 << 16];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        if (image.size() + n > kMaxLoggerImageSize) {
            result.problem = path + " is larger than any logger memory (" +
                             std::to_string(kMaxLoggerImageSize) + " bytes)";
            return result;
        }
        image.insert(image.end(), chunk, chunk + n);
    }
    if (std::ferror(f)) {
        result.problem = "cannot read " + path;
        return result;
    }
    if (image.size() < 6) {
        result.problem = path + " is too short for a logger memory header";
        return result;
    }
    result.ok = true;
    result.messageId = 0;
    result.image = std::move(image);
    return result;
}

bool WriteLoggerImageFile(const std::string& path, const std::vector<std::uint8_t>& image) {
    AtomicFile file;
    return file.open(path) && file.write(image.data(), image.size()) && file.commit();
}

int ConvertSessionFileToCsv(const std::string& input, const std::string& output, int* detailId) {
    // Pair by pair, never holding the file: a session file of any size
    // converts in the same small memory. The text replaces output only when
    // it is complete, and not at all when nothing of the input could be read.
    SessionExportFile csv;
    const bool created = csv.open(output);
    std::size_t item = 0;
    std::size_t sessions = 0;
    SessionFileSink sink;
    sink.session = [&](std::size_t, std::size_t) {
        item = 0;
        ++sessions;
    };
    sink.pair = [&](std::size_t, SessionPair& pair) {
        if (created)
            csv.add(++item, pair);
        return true;
    };
    const SessionFileResult file = StreamSessionFile(input, sink);
    if (detailId)
        *detailId = file.detailId;
    if (file.status == SessionFileStatus::CannotOpen ||
        (file.status != SessionFileStatus::Ok && sessions == 0))
        return 9004; // the unfinished output is dropped with its writer
    if (!created || !csv.commit(false))
        return 9005;
    return file.messageId;
}

} // namespace ostrel
