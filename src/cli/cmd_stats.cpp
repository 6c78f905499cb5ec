// ostrel-cli stats FILE [--json]: count, mean, standard deviation, extremes
// with their times, span and overloads of the main and the sub display, for
// a record file of any layout, a capture (.frames) or a session file (.slr,
// one block per session). Every input is read as a stream through the same
// statistics the windows use, so a file of any size takes the same small
// memory and the same time per sample.
#include "base/number_format.h"
#include "base/string_table.h"
#include "cli/command.h"
#include "cli/file_checks.h"
#include "cli/standard_output.h"
#include "import/session_file.h"
#include "recorder/capture_reader.h"
#include "recorder/frame_capture.h"
#include "recorder/record_file.h"
#include "recorder/statistics.h"

#include <nlohmann/json.hpp>

#include <iostream>
#include <string>
#include <vector>

namespace ostrel::cli {
namespace {

using Json = nlohmann::ordered_json;

constexpr int kMixedFunctionsText = 7220;

// The statistics of one file: one block, or one per session.
struct FileStatistics {
    bool opened = true; // false: nothing could be read, nothing is shown
    bool sessions = false;
    std::vector<SampleStatistics> blocks;
    int status = 0;
};

Json DisplayJson(const DisplayStatistics& s) {
    const auto orNull = [](const auto& value) { return value ? Json(*value) : Json(nullptr); };
    const auto timeOrNull = [&](const std::string& time) {
        return s.count > 0 ? Json(time) : Json(nullptr);
    };
    return Json{{"count", s.count},
                {"mean", orNull(s.mean)},
                {"stddev", orNull(s.stddev)},
                {"min", orNull(s.min)},
                {"max", orNull(s.max)},
                {"minTime", timeOrNull(s.minTime)},
                {"maxTime", timeOrNull(s.maxTime)},
                {"span", orNull(s.span)},
                {"overloads", s.overloads}};
}

Json BlockJson(const SampleStatistics& block) {
    return Json{{"main", DisplayJson(block.main().result())},
                {"sub", DisplayJson(block.sub().result())}};
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", value);
    return text;
}

std::string TrimmedTime(std::string time) {
    time.erase(0, time.find_first_not_of(' '));
    return time;
}

std::string DisplayText(const char* name, const DisplayStatistics& s) {
    std::string text = std::string(name) + ": " + std::to_string(s.count) +
                       (s.count == 1 ? " value" : " values") + ", " + std::to_string(s.overloads) +
                       (s.overloads == 1 ? " overload" : " overloads");
    if (s.span)
        text += ", over " + Number(*s.span) + " s";
    text += '\n';
    if (s.mean) {
        text += "  mean " + Number(*s.mean);
        if (s.stddev)
            text += ", standard deviation " + Number(*s.stddev);
        text += '\n';
        text += "  minimum " + FormatShortest(*s.min) + " at " + TrimmedTime(s.minTime) +
                ", maximum " + FormatShortest(*s.max) + " at " + TrimmedTime(s.maxTime) + '\n';
    }
    return text;
}

std::string BlockText(const SampleStatistics& block) {
    return DisplayText("main", block.main().result()) + DisplayText("sub", block.sub().result());
}

int Fail(int textId, const std::string& path, std::string_view reason) {
    std::cerr << FileProblemLine(textId, path, reason) << '\n';
    return kExitFailure;
}

// Input kind: a record file of any layout (.g53, .TMP, .g52, .g51).
FileStatistics RecordStatistics(const std::string& path) {
    FileStatistics file;
    SampleStatistics& block = file.blocks.emplace_back();
    const LoadResult load = ReadRecordFile(path, [&](const RecordPair& pair) { block.add(pair); });
    if (load.status == LoadStatus::OpenError || load.status == LoadStatus::Damaged) {
        file.opened = false;
        file.status = Fail(LoadMessageId(load), path, RecordFileProblem(load));
    } else if (load.status == LoadStatus::CutShort) {
        std::cerr << NumberedCaption(kErrorCaption, kCutShortTextId) << ": " << LoadMessage(load)
                  << '\n';
        file.status = kExitFailure;
    } else if (load.trailingBytes > 0) {
        std::cerr << NumberedLine(kWarningCaption, kTrailingBytesText,
                                  {std::to_string(load.trailingBytes)})
                  << '\n';
    }
    return file;
}

// Input kind: a capture of raw display frames (.frames), sampled as the
// recorder samples; frames that give no sample count nowhere.
FileStatistics CaptureStatistics(const std::string& path) {
    FileStatistics file;
    SampleStatistics& block = file.blocks.emplace_back();
    const CaptureReadResult read = ReadCaptureSamples(
        path,
        [&](const RecordPair* sample) {
            if (sample)
                block.add(*sample);
        },
        [](std::uint64_t line, bool tooLong) {
            std::cerr << NumberedLine(kErrorCaption,
                                      tooLong ? kLongCaptureLineText : kBadCaptureLineText,
                                      {std::to_string(line)})
                      << '\n';
        });
    if (!read.opened) {
        file.opened = false;
        file.status = Fail(9004, path, "not a regular file or named pipe");
    } else if (read.failed) {
        file.status = Fail(9004, path, "a read error");
    } else if (read.badLines > 0) {
        file.status = kExitFailure;
    }
    return file;
}

// Input kind: a session file (.slr): a block per session.
FileStatistics SessionStatistics(const std::string& path) {
    FileStatistics file;
    file.sessions = true;
    SessionFileSink sink;
    sink.session = [&](std::size_t, std::size_t) { file.blocks.emplace_back(); };
    sink.pair = [&](std::size_t, SessionPair& pair) {
        file.blocks.back().add(pair.main, pair.hasSub && pair.sub ? &*pair.sub : nullptr);
        return true;
    };
    const SessionFileResult read = StreamSessionFile(path, sink);
    if (read.status == SessionFileStatus::CannotOpen) {
        file.opened = false;
        file.status = Fail(read.messageId, path, "not a regular file");
    } else if (read.messageId != 0) {
        // What could be read is still shown; say what was kept.
        file.status = Fail(read.messageId, path, "damaged");
        if (read.detailId != 0)
            std::cerr << Text(read.detailId) << '\n';
    }
    return file;
}

int Stats(const std::string& input, bool json) {
    const FileStatistics file = IsSessionFileName(input)   ? SessionStatistics(input)
                                : IsCaptureFileName(input) ? CaptureStatistics(input)
                                                           : RecordStatistics(input);
    if (!file.opened)
        return file.status;
    std::string out;
    if (json) {
        Json document;
        if (file.sessions) {
            document["sessions"] = Json::array();
            for (std::size_t k = 0; k < file.blocks.size(); ++k) {
                Json session{{"session", k + 1}};
                session.update(BlockJson(file.blocks[k]));
                document["sessions"].push_back(std::move(session));
            }
        } else {
            document = BlockJson(file.blocks.front());
        }
        out = document.dump(2) + '\n';
    } else if (file.sessions) {
        for (std::size_t k = 0; k < file.blocks.size(); ++k)
            out += (k > 0 ? "\nSession " : "Session ") + std::to_string(k + 1) + '\n' +
                   BlockText(file.blocks[k]);
        if (file.blocks.empty())
            out = "no session\n";
    } else {
        out = BlockText(file.blocks.front());
    }
    Print(out);
    // Figures over several functions are still given, with a word of caution.
    for (std::size_t k = 0; k < file.blocks.size(); ++k) {
        const std::string session = file.sessions ? "Session " + std::to_string(k + 1) + ": " : "";
        for (const auto& [name, display] :
             {std::pair{"main", &file.blocks[k].main()}, std::pair{"sub", &file.blocks[k].sub()}})
            if (display->result().mixedFunctions)
                std::cerr << session << FormatText(kMixedFunctionsText, {name}) << '\n';
    }
    return file.status;
}

const CommandRegistrar kStatsCommand([](CLI::App& app) {
    Command cmd = AddCommand(app, "stats",
                             "Count, mean, standard deviation, minimum and maximum with their "
                             "times, span and overloads of the main and the sub display");
    auto input = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    cmd.input("FILE", *input,
              "record file (.g53, .g52, .g51, a temporary .TMP or a journal), capture of raw "
              "frames (.frames), or session file (.slr, a block per session)",
              IsCaptureFileName)
        ->required();
    cmd.app->add_flag("--json", *json, "Print one JSON document instead of text");
    cmd.run([input, json] { return Stats(*input, *json); });
});

} // namespace
} // namespace ostrel::cli
