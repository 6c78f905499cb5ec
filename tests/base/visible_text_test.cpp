#include "base/visible_text.h"

#include <gtest/gtest.h>

#include <random>

namespace ostrel {
namespace {

// Against the plain byte-by-byte rule, at every length and start, with
// control characters, DEL and bytes above 0x7F in every position of a word.
TEST(VisibleText, EveryControlCharacterAndOnlyThoseBecomeBlanks) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string text(random() % 40, '\0');
        for (char& c : text)
            c = static_cast<char>(random() % 4 == 0 ? random() % 0x21 : random());
        const std::size_t from = text.empty() ? 0 : random() % (text.size() + 1);
        std::string expected = text;
        for (std::size_t i = from; i < expected.size(); ++i) {
            const auto byte = static_cast<unsigned char>(expected[i]);
            if (byte < 0x20 || byte == 0x7F)
                expected[i] = ' ';
        }
        BlankControlCharacters(text, from);
        ASSERT_EQ(text, expected) << round;
    }
}

} // namespace
} // namespace ostrel
