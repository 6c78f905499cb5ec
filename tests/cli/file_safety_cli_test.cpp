// Files and standard output through the real ostrel-cli, with hostile and
// unlucky inputs: nothing an output names may destroy an input or another
// output, special files stay what they are, failures are never success.
#include "recorder/record_file.h"

#include "cli_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace ostrel {
namespace {

using test::CliDir;
using test::CliRun;
using test::Lines;
using test::MakePair;
using test::ReadText;
using test::RunCli;

void SaveRecords(const std::string& path, int n) {
    SampleBuffer pairs;
    for (int i = 0; i < n; ++i)
        pairs.push_back(MakePair(i));
    ASSERT_TRUE(SaveRecordFile(path, pairs));
}

std::size_t PartFiles(const CliDir& dir) {
    std::size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        n += entry.path().extension() == ".part";
    return n;
}

TEST(FileSafetyCliTest, AnOutputThatIsAnInputOrAnotherOutputIsRefusedBeforeWriting) {
    CliDir dir;
    std::filesystem::copy_file(std::string(OSTREL_TEST_DATA) + "/import/five_sessions.bin",
                               dir / "img.bin");
    const std::string image = ReadText(dir / "img.bin");
    CliRun run = RunCli(dir, "decode-image img.bin -o img.bin");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Error[E9060]: The output img.bin is the same file as the input img.bin; "
                       "nothing was written.\n");
    EXPECT_EQ(ReadText(dir / "img.bin"), image);

    run = RunCli(dir, "decode-image img.bin -o s.slr --csv ./s.slr");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(Lines(run.err).size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(dir / "s.slr"));

    run = RunCli(dir, "download --simulate=logger -o d.slr --image d.slr");
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "d.slr"));

    // A cut-short input and a link to it: the same file under other names.
    SaveRecords(dir / "cut.g53", 3);
    std::filesystem::resize_file(dir / "cut.g53", 4 + 2 * kEntrySize + 10);
    std::filesystem::create_symlink(dir / "cut.g53", dir / "link.g53");
    const std::string cut = ReadText(dir / "cut.g53");
    for (const char* output : {"cut.g53", "link.g53", "../" /* below */}) {
        const std::string target = std::string(output) == "../"
                                       ? "../" + dir.path().filename().string() + "/cut.g53"
                                       : output;
        run = RunCli(dir, "convert cut.g53 -o " + target);
        EXPECT_EQ(run.status, 2) << target;
        EXPECT_EQ(ReadText(dir / "cut.g53"), cut) << target;
    }
}

TEST(FileSafetyCliTest, SpecialOutputsAreWrittenStraight) {
    CliDir dir;
    SaveRecords(dir / "in.g53", 2);
    ASSERT_EQ(::mkfifo((dir / "pipe.csv").c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = ReadText(dir / "pipe.csv"); });
    const CliRun run = RunCli(dir, "convert in.g53 -o pipe.csv");
    reader.join();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Lines(received).size(), 3u);
    struct stat st {};
    ASSERT_EQ(::stat((dir / "pipe.csv").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    // Standard output by its descriptor path, into a pipe and into a file.
    const std::string image = std::string(OSTREL_TEST_DATA) + "/import/five_sessions.bin";
    CliRun out = RunCli(dir, "decode-image " + image + " --csv /dev/fd/1 | cat");
    EXPECT_EQ(out.status, 0) << out.err;
    EXPECT_NE(out.out.find("#item,Time,MainData"), std::string::npos) << out.out;
    out = RunCli(dir, "decode-image " + image + " --csv /dev/fd/1 > listing.txt");
    EXPECT_EQ(out.status, 0) << out.err;
    EXPECT_NE(ReadText(dir / "listing.txt").find("#item,Time,MainData"), std::string::npos);
    EXPECT_EQ(PartFiles(dir), 0u);
}

TEST(FileSafetyCliTest, AnInputWithNothingReadableLeavesTheOutputUntouched) {
    CliDir dir;
    test::WriteText(dir / "keep.csv", "precious");
    test::WriteText(dir / "keep.slr", "precious");
    test::WriteText(dir / "empty.slr", "");
    test::WriteText(dir / "empty.g53", "");
    test::WriteText(dir / "bad.frames", "nothing\n");
    SaveRecords(dir / "nothing.g53", 2);
    std::filesystem::resize_file(dir / "nothing.g53", 4 + 100); // count 2, no whole entry
    // Layouts without a count, shorter than one entry; a session file whose
    // first session has no readable count.
    test::WriteText(dir / "short.TMP", std::string(kEntrySize - 1, 'x'));
    test::WriteText(dir / "short.g52", std::string(83, 'x'));
    test::WriteText(dir / "short.g51", std::string(10, 'x'));
    test::WriteText(dir / "nocount.slr", std::string("\x01\x00\x00\x00\x05", 5));
    for (const char* input : {"empty.slr", "empty.g53", "bad.frames", "nothing.g53", "gone.g53",
                              "short.TMP", "short.g52", "short.g51", "nocount.slr"}) {
        const CliRun run = RunCli(dir, std::string("convert ") + input + " -o keep.csv");
        EXPECT_EQ(run.status, 2) << input;
        EXPECT_EQ(ReadText(dir / "keep.csv"), "precious") << input;
    }
    // A logger image whose announced sessions all lie outside it.
    const std::string image = ReadText(std::string(OSTREL_TEST_DATA) + "/import/five_sessions.bin");
    test::WriteText(dir / "cut.bin", image.substr(0, 16));
    const CliRun run = RunCli(dir, "decode-image cut.bin -o keep.slr --csv keep.csv");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("Error[E9074]: No session of the logger memory could be read; nothing "
                           "was written.\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(ReadText(dir / "keep.csv"), "precious");
    EXPECT_EQ(ReadText(dir / "keep.slr"), "precious");
}

// Bytes of every kind, control characters among them, in n entries of a
// temporary file and in a session file of n readings.
std::string HostileBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    return bytes;
}

TEST(FileSafetyCliTest, ControlCharactersInStoredTextsNeverBreakALineOfTheTextExport) {
    CliDir dir;
    constexpr std::size_t n = 300;
    // A headerless layout reads any bytes as entries, as stored files rely on.
    test::WriteText(dir / "hostile.TMP", HostileBytes(n * kEntrySize, 1));
    std::string sessions = std::string("\x01\x00\x00\x00", 4) + static_cast<char>(n & 0xFF) +
                           static_cast<char>(n >> 8) + std::string(2, '\0');
    for (std::size_t i = 0; i < n; ++i)
        sessions += std::string(1, static_cast<char>(i % 2)) +
                    HostileBytes(i % 2 ? 152 : 76, static_cast<unsigned>(i + 7));
    test::WriteText(dir / "hostile.slr", sessions);
    for (const char* input : {"hostile.TMP", "hostile.slr"}) {
        const CliRun run = RunCli(dir, std::string("convert ") + input + " -o out.csv");
        ASSERT_EQ(run.status, 0) << input << run.err;
        const std::string text = ReadText(dir / "out.csv");
        std::size_t lines = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto byte = static_cast<unsigned char>(text[i]);
            if (byte == '\r') {
                ASSERT_LT(i + 1, text.size());
                ASSERT_EQ(text[i + 1], '\n') << input << " at " << i;
                ++lines;
                ++i;
                continue;
            }
            ASSERT_TRUE(byte >= 0x20 && byte != 0x7F) << input << ": byte " << int(byte);
        }
        EXPECT_EQ(lines, n + 1) << input;
    }
}

TEST(FileSafetyCliTest, AFailedStandardOutputIsAFailureAndAClosedPipeEndsQuietly) {
    CliDir dir;
    const std::string frame =
        "00 00 20 80 A0 DB E9 E4 08 00 B0 CB E9 E4 00 05 60 00 00 00 00 00 00 00 00 00 00";
    const std::string image = std::string(OSTREL_TEST_DATA) + "/import/five_sessions.bin";
    for (const std::string& command :
         {"decode-frame " + frame, "decode-image " + image,
          std::string("read --simulate=latency=0 --count 3"), std::string("info --simulate"),
          std::string("decode-frame -")}) {
        const CliRun run = RunCli(dir, command + " > /dev/full", frame + "\n");
        EXPECT_EQ(run.status, 2) << command;
        EXPECT_EQ(run.err, "Error[E9063]: Standard output could not be written (No space left "
                           "on device).\n")
            << command;
    }
    // Plain standard output, and standard output named as an output file.
    SaveRecords(dir / "big.g53", 5000);
    std::filesystem::create_symlink("/dev/stdout", dir / "out.csv");
    for (const char* command :
         {"read --simulate=latency=5 | head -n 1",
          "read --simulate=latency=5 -o /dev/stdout | head -n 1",
          "convert big.g53 -o out.csv | head -n 1",
          "download --simulate=logger,latency=0 --csv /dev/stdout 2>/dev/null | head -n 1"}) {
        const CliRun run = RunCli(dir, command);
        EXPECT_EQ(run.status, 128 + SIGPIPE) << command;
        EXPECT_EQ(Lines(run.out).size(), 1u) << command;
        EXPECT_EQ(run.err, "") << command;
    }
}

// bash -c script in dir; what it wrote to standard output.
std::string Shell(const CliDir& dir, const std::string& script) {
    const std::string out = dir / ".shell";
    const std::string command =
        "bash -c 'cd " + dir.path().string() + " && { " + script + "; } > " + out + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << script;
    std::string text = ReadText(out);
    std::filesystem::remove(out);
    return text;
}

TEST(FileSafetyCliTest, StandardOutputNamedAsAnOutputCarriesThatFileAlone) {
    CliDir dir;
    const std::string cli = OSTREL_CLI;
    const std::string image = std::string(OSTREL_TEST_DATA) + "/import/five_sessions.bin";
    // The listing goes to standard error when an output is standard output.
    CliRun reference = RunCli(dir, "decode-image " + image + " -o s.slr");
    CliRun run = RunCli(dir, "decode-image " + image + " -o /dev/stdout");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, ReadText(dir / "s.slr"));
    EXPECT_EQ(run.err, reference.out);
    reference = RunCli(dir, "download --simulate=logger,latency=0 --csv d.csv");
    run = RunCli(dir, "download --simulate=logger,latency=0 --csv /dev/stdout | cat");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, ReadText(dir / "d.csv"));

    // A record file made from a capture knows its count before its header
    // goes out: through a link to standard output into a pipe, into a file
    // after other bytes, and into a named pipe.
    ASSERT_EQ(RunCli(dir, "read --simulate=latency=0 --format raw --count 40 > x.frames").status,
              0);
    ASSERT_EQ(RunCli(dir, "convert x.frames -o x.g53").status, 0);
    const std::string records = ReadText(dir / "x.g53");
    ASSERT_GT(records.size(), 4u + 30 * kEntrySize);
    std::filesystem::create_symlink("/dev/stdout", dir / "so.g53");
    EXPECT_EQ(Shell(dir, cli + " convert x.frames -o so.g53 | cat"), records);
    EXPECT_EQ(Shell(dir, "printf HEAD; " + cli + " convert x.frames -o so.g53"), "HEAD" + records);
    ASSERT_EQ(::mkfifo((dir / "p.g53").c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = ReadText(dir / "p.g53"); });
    EXPECT_EQ(RunCli(dir, "convert x.frames -o p.g53").status, 0);
    reader.join();
    EXPECT_EQ(received, records);
}

TEST(FileSafetyCliTest, MessagesNameTheFileAndTheReasonAndOutputsAreCheckedBeforeTheWork) {
    CliDir dir;
    const std::string image = std::string(OSTREL_TEST_DATA) + "/import/five_sessions.bin";
    std::filesystem::create_directory(dir / "folder");
    // Refused before any decoding or download: nothing else is said.
    for (const std::string& command : std::vector<std::string>{
             "decode-image " + image + " -o folder", "download --simulate=logger --csv folder",
             "convert " + image + " -o folder/"}) {
        const CliRun run = RunCli(dir, command);
        EXPECT_EQ(run.status, 2) << command;
        EXPECT_EQ(run.out, "") << command;
        EXPECT_EQ(Lines(run.err).size(), 1u) << command << run.err;
        EXPECT_EQ(run.err.rfind("Error[E9005]: File save error. (folder", 0), 0u) << run.err;
    }
    CliRun run = RunCli(dir, "decode-image " + image + " -o folder");
    EXPECT_EQ(run.err, "Error[E9005]: File save error. (folder: Is a directory)\n");
    run = RunCli(dir, "convert gone.g53 -o x.csv");
    EXPECT_EQ(run.err, "Error[E9004]: File open error. (gone.g53: No such file or directory)\n");
    run = RunCli(dir, "decode-image folder");
    EXPECT_EQ(run.err, "Error[E9004]: File open error. (folder: Is a directory)\n");
}

TEST(FileSafetyCliTest, AGeneratedRecordFileNeverGetsANameReadBackAsAnotherLayout) {
    CliDir dir;
    SaveRecords(dir / "in.g53", 1);
    for (const char* output : {"cal.g51", "run.tmp.g53", "x.g52.g53"}) {
        const CliRun run = RunCli(dir, std::string("convert in.g53 -o ") + output);
        EXPECT_EQ(run.status, 2) << output;
        EXPECT_FALSE(std::filesystem::exists(dir / output)) << output;
    }
    EXPECT_NE(RunCli(dir, "convert in.g53 -o run.tmp.g53").err.find("as a temporary file"),
              std::string::npos);
}

// Whether process pid holds a file in dir open, other than except.
bool HoldsFileIn(int pid, const CliDir& dir, const std::string& except) {
    std::error_code ec;
    const std::string prefix = dir.path().string() + "/";
    for (const auto& fd :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
        const std::string target = std::filesystem::read_symlink(fd.path(), ec).string();
        if (target.rfind(prefix, 0) == 0 && target != except)
            return true;
    }
    return false;
}

// Whether process pid has ended (gone, or a zombie nobody reaped yet).
bool Ended(int pid) {
    const std::string stat = ReadText("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    return close == std::string::npos || stat.substr(close + 2, 1) == "Z";
}

TEST(FileSafetyCliTest, NoSignalOrKillDuringASaveLeavesAPartialFile) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT, SIGKILL}) {
        CliDir dir;
        // A capture read from a pipe keeps the conversion waiting with its
        // output open.
        const std::string fifo = dir / "in.frames";
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        const int pid = test::StartInBackground(std::string(OSTREL_CLI) + " convert " + fifo +
                                                " -o " + (dir / "out.g53") + " 2>/dev/null");
        ASSERT_GT(pid, 0);
        const int writer = ::open(fifo.c_str(), O_WRONLY);
        ASSERT_GE(writer, 0);
        const std::string line = std::string(54, '0') + "\n";
        ASSERT_EQ(::write(writer, line.data(), line.size()), static_cast<ssize_t>(line.size()));
        ASSERT_TRUE(test::WaitUntil([&] { return HoldsFileIn(pid, dir, fifo); })) << signal;
        ASSERT_EQ(::kill(pid, signal), 0);
        ASSERT_TRUE(test::WaitUntil([&] { return Ended(pid); })) << signal;
        ::close(writer);
        if (signal != SIGKILL) {
            EXPECT_EQ(PartFiles(dir), 0u) << signal;
        }
        EXPECT_FALSE(std::filesystem::exists(dir / "out.g53")) << signal;

        // What a killed save may leave (where a partial file has a name from
        // the start) is gone after the next save of the same file.
        SaveRecords(dir / "in.g53", 1);
        EXPECT_EQ(RunCli(dir, "convert in.g53 -o out.g53").status, 0);
        EXPECT_EQ(PartFiles(dir), 0u) << signal;
    }
}

TEST(FileSafetyCliTest, SmallerFaults) {
    CliDir dir;
    // A trailing partial entry is named, and what is whole converts.
    SaveRecords(dir / "whole.g53", 2);
    std::string tmp = ReadText(dir / "whole.g53").substr(4) + "partial";
    test::WriteText(dir / "left.TMP", tmp);
    CliRun run = RunCli(dir, "convert left.TMP -o left.g53");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "Warning[W9064]: The last 7 bytes of the file hold no complete entry; they "
                       "were not read.\n");

    // A named pipe as a record file is refused at once instead of waiting.
    ASSERT_EQ(::mkfifo((dir / "p.g53").c_str(), 0600), 0);
    run = RunCli(dir, "convert p.g53 -o p.csv");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Error[E9062]: p.g53 is a named pipe, which this command cannot read as a "
                       "stream; give a regular file.\n");

    // Option errors read as sentences.
    run = RunCli(dir, "read --count -5");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "--count: expected a whole number from 0 up (see --help)\n");
    run = RunCli(dir, "read --count 99999999999999999999999");
    EXPECT_EQ(run.err, "--count: expected a whole number from 0 up (see --help)\n");
    run = RunCli(dir, "read --format xml");
    EXPECT_EQ(run.err, "--format: expected text, csv, json or raw (see --help)\n");
    // An unknown option is named, also before any subcommand.
    for (const char* command : {"read --bogus", "--bogus"}) {
        run = RunCli(dir, command);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "The following argument was not expected: --bogus (see --help)\n")
            << command;
    }
}

} // namespace
} // namespace ostrel
