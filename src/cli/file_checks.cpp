#include "cli/file_checks.h"

#include "base/atomic_file.h"
#include "base/file_name.h"
#include "base/string_table.h"
#include "cli/standard_output.h"
#include "recorder/record_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace ostrel::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kOutputIsInputText = 9060;
constexpr int kOutputsSameText = 9061;
constexpr int kNamedPipeInputText = 9062;

bool IsCharacterDevice(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

bool IsNamedPipe(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

// The folder a file of path goes into.
std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Why input cannot be read, or empty.
std::string InputProblem(const std::string& input) {
    struct stat st {};
    if (::stat(input.c_str(), &st) != 0)
        return std::strerror(errno);
    if (S_ISDIR(st.st_mode))
        return std::strerror(EISDIR);
    if (::access(input.c_str(), R_OK) != 0)
        return std::strerror(errno);
    return {};
}

// Why output cannot be written, or empty. A regular file is replaced through
// a new file in its folder (a link's target's folder), so that folder must
// take one; a named pipe or a character device is written straight.
std::string OutputProblem(const std::string& output) {
    if (DescriptorOfPath(output))
        return {};
    struct stat st {};
    std::string folder;
    if (::stat(output.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return std::strerror(EISDIR);
        if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))
            return {};
        if (!S_ISREG(st.st_mode))
            return "not a regular file, a named pipe or a character device";
        char resolved[PATH_MAX];
        folder = FolderOf(::realpath(output.c_str(), resolved) ? resolved : output);
    } else if (errno == ENOENT) {
        folder = FolderOf(output);
    } else {
        return std::strerror(errno);
    }
    if (::stat(folder.c_str(), &st) != 0)
        return std::strerror(errno);
    if (!S_ISDIR(st.st_mode))
        return std::strerror(ENOTDIR);
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return std::strerror(errno);
    return {};
}

} // namespace

std::string FileProblemLine(int textId, const std::string& path, std::string_view reason) {
    std::string line = NumberedLine(kErrorCaption, textId) + " (" + path;
    if (!reason.empty())
        line += ": " + std::string(reason);
    return line + ")";
}

std::string_view RecordFileProblem(const LoadResult& load) {
    switch (load.status) {
    case LoadStatus::OpenError:
        return "not a regular file";
    case LoadStatus::Damaged:
        return "no valid entry count: not a .g53 record file";
    default:
        return "no complete entry";
    }
}

void ReportSaveError(const std::string& output, int error) {
    if (error == EPIPE) {
        NoteReaderGone();
        return;
    }
    std::cerr << FileProblemLine(9005, output, error != 0 ? std::strerror(error) : "") << '\n';
}

bool IsStandardOutput(const std::string& path) {
    if (const auto fd = DescriptorOfPath(path))
        return *fd == STDOUT_FILENO;
    // A device (/dev/null, a terminal) keeps nothing that the listing could
    // spoil.
    struct stat out {};
    struct stat file {};
    return ::fstat(STDOUT_FILENO, &out) == 0 && ::stat(path.c_str(), &file) == 0 &&
           !S_ISCHR(file.st_mode) && out.st_dev == file.st_dev && out.st_ino == file.st_ino;
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    const bool aExists = fs::exists(a, ec);
    const bool bExists = fs::exists(b, ec);
    if (aExists && bExists)
        return fs::equivalent(a, b, ec);
    if (aExists || bExists)
        return false;
    const fs::path ca = fs::weakly_canonical(fs::absolute(a, ec), ec);
    const fs::path cb = fs::weakly_canonical(fs::absolute(b, ec), ec);
    return ca == cb;
}

std::string CheckFiles(const std::vector<CheckedInput>& inputs,
                       const std::vector<std::string>& outputs) {
    for (const CheckedInput& input : inputs) {
        if (const std::string problem = InputProblem(input.path); !problem.empty())
            return FileProblemLine(9004, input.path, problem);
        if (!input.stream && IsNamedPipe(input.path))
            return NumberedLine(kErrorCaption, kNamedPipeInputText, {input.path});
    }
    for (const std::string& output : outputs) {
        if (const std::string problem = OutputProblem(output); !problem.empty())
            return FileProblemLine(9005, output, problem);
    }
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const std::string& output = outputs[i];
        if (IsCharacterDevice(output))
            continue;
        for (const CheckedInput& input : inputs) {
            if (SameFile(output, input.path))
                return NumberedLine(kErrorCaption, kOutputIsInputText, {output, input.path});
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (SameFile(output, outputs[j]))
                return NumberedLine(kErrorCaption, kOutputsSameText, {outputs[j], output});
        }
    }
    return {};
}

std::optional<ConvertOutput> RecordOutputKind(const std::string& output, std::string* message) {
    if (EndsWithNoCase(output, ".csv"))
        return ConvertOutput::Csv;
    if (!EndsWithNoCase(output, ".g53")) {
        *message = "OUTPUT must end in .csv (text export) or .g53 (record file): " + output;
        return std::nullopt;
    }
    if (const std::string problem = G53SaveNameProblem(output); !problem.empty()) {
        *message = NumberedCaption(kErrorCaption, kSaveNameTextId) + ": " + problem;
        return std::nullopt;
    }
    return ConvertOutput::G53;
}

} // namespace ostrel::cli
