// The ostrel program as a user starts it, on the offscreen platform: its
// command line, and the close that a termination signal causes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A scratch start-up directory, removed at the end.
struct ScratchDir {
    ScratchDir() {
        char name[] = "/tmp/ostrel-program-XXXXXX";
        path = ::mkdtemp(name);
    }
    ~ScratchDir() { fs::remove_all(path); }
    fs::path path;
};

// ostrel started in dir, its output going to dir/out.txt and dir/err.txt.
class Program {
  public:
    Program(const fs::path& dir, std::vector<std::string> args) : m_dir(dir) {
        args.insert(args.begin(), OSTREL_PROGRAM);
        m_pid = ::fork();
        if (m_pid == 0) {
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            const int out = ::open((dir / "out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = ::open((dir / "err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (::chdir(dir.c_str()) != 0 || out < 0 || err < 0 || ::dup2(out, 1) < 0 ||
                ::dup2(err, 2) < 0)
                ::_exit(126);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }
    ~Program() {
        if (m_pid > 0 && !m_ended) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    // Whether the program has installed its handler for the signal (it does
    // so once its windows are up), within the time given.
    bool catches(int signal, std::chrono::milliseconds within) {
        const auto end = Clock::now() + within;
        while (Clock::now() < end && !ended(0ms)) {
            std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
            for (std::string line; std::getline(status, line);)
                if (line.rfind("SigCgt:", 0) == 0 &&
                    (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1))
                    return true;
            std::this_thread::sleep_for(5ms);
        }
        return false;
    }

    // Whether the program ended within the time given.
    bool ended(std::chrono::milliseconds within) {
        const auto end = Clock::now() + within;
        do {
            if (m_ended || ::waitpid(m_pid, &m_status, WNOHANG) == m_pid)
                return m_ended = true;
            std::this_thread::sleep_for(2ms);
        } while (Clock::now() < end);
        return false;
    }

    void send(int signal) { ::kill(m_pid, signal); }
    // The exit status; -1 when a signal ended it.
    int exitStatus() const { return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1; }
    std::string out() const { return ReadFile(m_dir / "out.txt"); }
    std::string err() const { return ReadFile(m_dir / "err.txt"); }

  private:
    fs::path m_dir;
    pid_t m_pid = -1;
    int m_status = 0;
    bool m_ended = false;
};

constexpr auto kStartUp = 60s; // a loaded machine may take long to show the windows

TEST(ProgramSignals, EachTerminationSignalClosesWritingTheConfiguration) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        ScratchDir dir;
        // Lower-case keys and LF ends: the file written at exit differs.
        std::ofstream(dir.path / "QVRDL.ini") << "iport=7\nfhilimit=1.5\nflowlimit=0.25\n";
        Program ostrel(dir.path, {});
        ASSERT_TRUE(ostrel.catches(signal, kStartUp)) << ostrel.err();

        ostrel.send(signal);
        ASSERT_TRUE(ostrel.ended(1s)) << "still running a second after the signal";
        EXPECT_EQ(ostrel.exitStatus(), 0) << ostrel.err();
        EXPECT_EQ(ReadFile(dir.path / "QVRDL.ini"),
                  "iPort=7\r\nfHiLimit=1.5\r\nfLowLimit=0.25\r\n");
        // Nothing else is left behind.
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(dir.path))
            files.push_back(entry.path().filename());
        std::sort(files.begin(), files.end());
        EXPECT_EQ(files, (std::vector<std::string>{"QVRDL.ini", "err.txt", "out.txt"}));
    }
}

TEST(ProgramSignals, AConfigurationThatCannotBeWrittenIsReported) {
    ScratchDir dir;
    fs::create_directory(dir.path / "QVRDL.ini");
    Program ostrel(dir.path, {});
    ASSERT_TRUE(ostrel.catches(SIGTERM, kStartUp)) << ostrel.err();
    ostrel.send(SIGTERM);
    ASSERT_TRUE(ostrel.ended(1s));
    EXPECT_EQ(ostrel.exitStatus(), 0);
    EXPECT_NE(ostrel.err().find("ostrel: Error[E9110]: The configuration file could not be "
                                "written. (" +
                                (dir.path / "QVRDL.ini").string()),
              std::string::npos)
        << ostrel.err();
}

TEST(ProgramSignals, ANamedPipeForTheConfigurationNeitherHoldsTheStartNorTheSignals) {
    ScratchDir dir;
    ASSERT_EQ(::mkfifo((dir.path / "QVRDL.ini").c_str(), 0600), 0);
    Program ostrel(dir.path, {});
    ASSERT_TRUE(ostrel.catches(SIGTERM, kStartUp)) << ostrel.err();
    EXPECT_NE(ostrel.err().find("ostrel: Warning[W8030]: " + (dir.path / "QVRDL.ini").string() +
                                " is a named pipe, not a regular file"),
              std::string::npos)
        << ostrel.err();
    ostrel.send(SIGTERM);
    ASSERT_TRUE(ostrel.ended(1s));
    EXPECT_EQ(ostrel.exitStatus(), 0);
    EXPECT_TRUE(fs::is_fifo(dir.path / "QVRDL.ini")); // left as it was
}

TEST(ProgramCommandLine, HelpVersionAndRefusal) {
    ScratchDir dir;
    {
        Program ostrel(dir.path, {"--version"});
        ASSERT_TRUE(ostrel.ended(kStartUp));
        EXPECT_EQ(ostrel.exitStatus(), 0);
        EXPECT_EQ(ostrel.out(), std::string("ostrel ") + OSTREL_VERSION + "\n");
    }
    {
        Program ostrel(dir.path, {"--help"});
        ASSERT_TRUE(ostrel.ended(kStartUp));
        EXPECT_EQ(ostrel.exitStatus(), 0);
        EXPECT_EQ(ostrel.out().rfind("Usage: ostrel [OPTION]...\n", 0), 0u) << ostrel.out();
    }
    {
        Program ostrel(dir.path, {"--screenshot-delay=soon"});
        ASSERT_TRUE(ostrel.ended(kStartUp));
        EXPECT_EQ(ostrel.exitStatus(), 2);
        EXPECT_EQ(ostrel.err(), "ostrel: --screenshot-delay needs a number of milliseconds\n");
        EXPECT_EQ(ostrel.out(), "");
    }
    {
        Program ostrel(dir.path, {"--simulate=cables=2", "--device", "F0DEBC9A78563499"});
        ASSERT_TRUE(ostrel.ended(kStartUp));
        EXPECT_EQ(ostrel.exitStatus(), 2);
        EXPECT_EQ(
            ostrel.err().rfind("ostrel: Error[E9102]: No adapter cable is F0DEBC9A78563499;", 0),
            0u)
            << ostrel.err();
    }
    EXPECT_FALSE(fs::exists(dir.path / "QVRDL.ini")); // none of them started the windows
}

} // namespace
