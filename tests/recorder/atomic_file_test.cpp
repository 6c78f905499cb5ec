// Saves that replace regular files whole, write special files straight, and
// leave no temporary file behind.
#include "base/atomic_file.h"

#include "record_test_util.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace ostrel {
namespace {

using test::ScratchDir;

std::string AsText(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

bool Save(const std::string& path, std::string_view text) {
    AtomicFile file;
    return file.open(path) && file.write(text.data(), text.size()) && file.commit(false);
}

std::size_t PartFiles(const ScratchDir& dir) {
    std::size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        n += entry.path().extension() == ".part";
    return n;
}

// The id of a process that has ended.
pid_t GonePid() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(AtomicFileTest, ANamedPipeIsWrittenStraightAndStaysAPipe) {
    ScratchDir dir;
    const std::string fifo = dir / "out.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = AsText(test::ReadBytes(fifo)); });
    EXPECT_TRUE(Save(fifo, "through the pipe"));
    reader.join();
    EXPECT_EQ(received, "through the pipe");
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(PartFiles(dir), 0u);
}

TEST(AtomicFileTest, ACharacterDeviceIsWrittenStraightAndStaysOne) {
    ScratchDir dir;
    // A node of the null device of our own, so that nothing else is at risk.
    const std::string null = dir / "null";
    if (::mknod(null.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0)
        GTEST_SKIP() << "making a device node needs root";
    EXPECT_TRUE(Save(null, "gone"));
    struct stat st {};
    ASSERT_EQ(::stat(null.c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_EQ(PartFiles(dir), 0u);
}

TEST(AtomicFileTest, ADescriptorPathWritesToThatDescriptor) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    AtomicFile file;
    ASSERT_TRUE(file.open("/dev/fd/" + std::to_string(fds[1])));
    EXPECT_TRUE(file.isDirect());
    EXPECT_TRUE(file.write("abc", 3));
    EXPECT_TRUE(file.commit());
    ::close(fds[1]);
    char buffer[8] = {};
    EXPECT_EQ(::read(fds[0], buffer, sizeof buffer), 3);
    EXPECT_STREQ(buffer, "abc");
    ::close(fds[0]);
}

TEST(AtomicFileTest, ALinkKeepsPointingAtTheReplacedFile) {
    ScratchDir dir;
    ASSERT_TRUE(Save(dir / "target.csv", "old"));
    std::filesystem::create_symlink(dir / "target.csv", dir / "link.csv");
    EXPECT_TRUE(Save(dir / "link.csv", "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.csv"));
    EXPECT_EQ(AsText(test::ReadBytes(dir / "target.csv")), "new");
}

TEST(AtomicFileTest, AFolderIsRefused) {
    ScratchDir dir;
    std::filesystem::create_directory(dir / "sub.csv");
    EXPECT_FALSE(Save(dir / "sub.csv", "x"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "sub.csv"));
}

// Saves in the named scheme of file systems without unnamed files.
class NamedPartialFiles {
  public:
    NamedPartialFiles() { AllowUnnamedTemporaryFiles(false); }
    ~NamedPartialFiles() { AllowUnnamedTemporaryFiles(true); }
};

TEST(AtomicFileTest, StalePartialFilesOfTheTargetGoAndLiveOnesStay) {
    NamedPartialFiles named;
    ScratchDir dir;
    const std::string gone = ".out.g53." + std::to_string(GonePid()) + "-4.part";
    const std::string alive = ".out.g53." + std::to_string(::getppid()) + "-0.part";
    const std::string otherTarget = ".other.g53." + std::to_string(GonePid()) + "-1.part";
    for (const std::string& name : {gone, alive, otherTarget})
        test::WriteBytes(dir / name, {1, 2, 3});
    EXPECT_TRUE(Save(dir / "out.g53", "new"));
    EXPECT_FALSE(std::filesystem::exists(dir / gone));
    EXPECT_TRUE(std::filesystem::exists(dir / alive));
    EXPECT_TRUE(std::filesystem::exists(dir / otherTarget));
}

TEST(AtomicFileTest, ASignalHandlerCanRemoveTheSavesInProgress) {
    NamedPartialFiles named;
    ScratchDir dir;
    AtomicFile first, second;
    ASSERT_TRUE(first.open(dir / "a.csv"));
    ASSERT_TRUE(second.open(dir / "b.csv"));
    EXPECT_EQ(PartFiles(dir), 2u);
    RemovePartialFiles();
    EXPECT_EQ(PartFiles(dir), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir / "a.csv"));

    // A committed save is no longer among them.
    ASSERT_TRUE(Save(dir / "c.csv", "kept"));
    RemovePartialFiles();
    EXPECT_EQ(AsText(test::ReadBytes(dir / "c.csv")), "kept");
}

TEST(AtomicFileTest, AnUnnamedSaveShowsNothingUntilItsCommitAndAKilledOneLeavesNothing) {
    ScratchDir dir;
    ASSERT_TRUE(Save(dir / "keep.csv", "old"));
    ::chmod((dir / "keep.csv").c_str(), 0640);
    {
        AtomicFile file;
        ASSERT_TRUE(file.open(dir / "keep.csv"));
        ASSERT_TRUE(file.write("new", 3));
        if (std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()) != 1)
            GTEST_SKIP() << "this file system has no unnamed files; the named scheme is used";
        EXPECT_EQ(AsText(test::ReadBytes(dir / "keep.csv")), "old");
        ASSERT_TRUE(file.commit());
    }
    EXPECT_EQ(AsText(test::ReadBytes(dir / "keep.csv")), "new");
    EXPECT_EQ(std::filesystem::status(dir / "keep.csv").permissions(),
              std::filesystem::perms(0640));

    // A process that dies in the middle of a save leaves no file of it.
    const pid_t child = ::fork();
    if (child == 0) {
        AtomicFile file;
        file.open(dir / "keep.csv");
        file.write("partial", 7);
        ::raise(SIGKILL);
    }
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_EQ(AsText(test::ReadBytes(dir / "keep.csv")), "new");
}

TEST(AtomicFileTest, RoomReservedBeyondWhatIsWrittenIsGivenBack) {
    ScratchDir dir;
    ASSERT_TRUE(Save(dir / "keep.slr", "old"));
    {
        // Dropped: the old file stays, and nothing else is left.
        AtomicFile file;
        ASSERT_TRUE(file.open(dir / "keep.slr"));
        file.reserve(std::size_t{64} << 20);
        ASSERT_TRUE(file.write("partial", 7));
    }
    EXPECT_EQ(AsText(test::ReadBytes(dir / "keep.slr")), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
    // Committed with less than was reserved: the file holds what was
    // written and takes no more of the disk than that needs.
    AtomicFile file;
    ASSERT_TRUE(file.open(dir / "keep.slr"));
    file.reserve(std::size_t{64} << 20);
    ASSERT_TRUE(file.write("new", 3));
    ASSERT_TRUE(file.commit(false));
    EXPECT_EQ(AsText(test::ReadBytes(dir / "keep.slr")), "new");
    struct stat st {};
    ASSERT_EQ(::stat((dir / "keep.slr").c_str(), &st), 0);
    EXPECT_LT(st.st_blocks * 512, 1 << 20);
}

} // namespace
} // namespace ostrel
