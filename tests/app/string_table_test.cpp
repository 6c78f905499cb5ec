#include "app/string_table.h"

#include <gtest/gtest.h>

namespace ostrel {

TEST(StringTable, CaptionsFormTheirNumberIntoTheFormat) {
    EXPECT_EQ(NumberedCaption(kErrorCaption, 9015), "Error[E9015]");
    EXPECT_EQ(NumberedCaption(kWarningCaption, 8008), "Warning[W8008]");
    EXPECT_EQ(NumberedLine(kErrorCaption, 9004), "Error[E9004]: File open error.");
}

TEST(StringTable, UnknownIdIsEmpty) {
    EXPECT_FALSE(HasText(123456));
    EXPECT_TRUE(Text(123456).empty());
}

} // namespace ostrel
