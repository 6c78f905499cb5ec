#include "base/line_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace ostrel {
namespace {

struct Seen {
    std::string text;
    bool tooLong;
    std::uint64_t number;
    bool operator==(const Seen&) const = default;
};

std::vector<Seen> AllLines(LineReader& reader) {
    std::vector<Seen> seen;
    for (LineReader::Line line; reader.next(line);)
        seen.push_back({std::string(line.text), line.tooLong, line.number});
    return seen;
}

std::vector<Seen> AllLines(LineReader&& reader) {
    return AllLines(reader);
}

// A stream that hands out at most `step` bytes per read, so that lines cross
// the reader's buffer boundaries.
LineReader Trickle(const std::string& text, std::size_t step, std::size_t maxLength) {
    auto at = std::make_shared<std::size_t>(0);
    return LineReader(
        [text, step, at](char* buffer, std::size_t size) -> std::ptrdiff_t {
            const std::size_t n = std::min({step, size, text.size() - *at});
            std::memcpy(buffer, text.data() + *at, n);
            *at += n;
            return static_cast<std::ptrdiff_t>(n);
        },
        maxLength);
}

TEST(LineReaderTest, LinesEndAtLfAndALastLineNeedsNone) {
    EXPECT_EQ(AllLines(LineReader::FromText("a\r\n\nbc")),
              (std::vector<Seen>{{"a\r", false, 1}, {"", false, 2}, {"bc", false, 3}}));
    EXPECT_EQ(AllLines(LineReader::FromText("a\n")), (std::vector<Seen>{{"a", false, 1}}));
    EXPECT_TRUE(AllLines(LineReader::FromText("")).empty());
}

TEST(LineReaderTest, ALineTooLongIsNamedButNotKept) {
    const std::string text =
        "ok\n" + std::string(11, 'x') + "\n" + std::string(10, 'y') + "\n" + std::string(30, 'z');
    for (const std::size_t step : {std::size_t(1), std::size_t(3), std::size_t(1) << 20}) {
        EXPECT_EQ(
            AllLines(Trickle(text, step, 10)),
            (std::vector<Seen>{
                {"ok", false, 1}, {"", true, 2}, {std::string(10, 'y'), false, 3}, {"", true, 4}}))
            << "step " << step;
    }
}

TEST(LineReaderTest, AReadErrorEndsTheStreamAndIsReported) {
    int calls = 0;
    LineReader reader(
        [&calls](char* buffer, std::size_t) -> std::ptrdiff_t {
            if (calls++ > 0)
                return -1;
            std::memcpy(buffer, "one\ntw", 6);
            return 6;
        },
        100);
    EXPECT_EQ(AllLines(reader), (std::vector<Seen>{{"one", false, 1}, {"tw", false, 2}}));
    EXPECT_TRUE(reader.failed());
}

} // namespace
} // namespace ostrel
