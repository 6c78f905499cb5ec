#include "cli/file_checks.h"

#include "base/file_name.h"
#include "base/string_table.h"
#include "recorder/record_file.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

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

} // namespace

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
        if (!input.stream && IsNamedPipe(input.path))
            return NumberedLine(kErrorCaption, kNamedPipeInputText, {input.path});
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
