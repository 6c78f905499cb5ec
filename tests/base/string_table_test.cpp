#include "base/string_table.h"

#include <gtest/gtest.h>

namespace ostrel {

TEST(StringTable, CaptionsFormTheirNumberIntoTheFormat) {
    EXPECT_EQ(Text(kWarningCaption), "Warning[W%d]");
    EXPECT_EQ(Text(kErrorCaption), "Error[E%d]");
    EXPECT_EQ(NumberedCaption(kErrorCaption, 9015), "Error[E9015]");
    EXPECT_EQ(NumberedCaption(kWarningCaption, 8008), "Warning[W8008]");
    EXPECT_EQ(NumberedLine(kErrorCaption, 9004), "Error[E9004]: File open error.");
    EXPECT_EQ(NumberedLine(kWarningCaption, 8009), "Warning[W8009]: Last page.");
}

TEST(StringTable, UnknownIdIsEmpty) {
    EXPECT_FALSE(HasText(123456));
    EXPECT_FALSE(HasText(0));
    EXPECT_FALSE(HasText(-1));
    EXPECT_TRUE(Text(123456).empty());
}

// Texts that code elsewhere builds on: file names, captions, messages.
TEST(StringTable, TextsUsedByCodeAreExact) {
    EXPECT_EQ(Text(7), "\\QVRDL.ini");
    EXPECT_EQ(Text(6), "~QDMDL");
    EXPECT_EQ(std::string(Text(60)) + " " + std::string(Text(1)), "Tarvix Ostrel");
    EXPECT_EQ(Text(100), "Digital Meter");
    EXPECT_EQ(Text(9015), "USB adapter cable not found.");
    EXPECT_EQ(Text(9013), "Please \"Browse\" and specify a file name !");
    EXPECT_EQ(Text(9016), "Data transmission timeout.\n"
                          "Please check meter and cable connection as well as meter power.");
    EXPECT_EQ(Text(8012), "Acquiring  data from DMM ... please wait ...");
    EXPECT_NE(Text(5).find(';'), std::string_view::npos); // a ";" survives the build
}

TEST(StringTable, MenuTextsKeepTheirAccelerators) {
    EXPECT_EQ(Text(500), "-");
    EXPECT_EQ(Text(509), "E&xit");
    EXPECT_EQ(Text(600), "&Link");
    EXPECT_EQ(Text(601), "Un&link");
    EXPECT_EQ(Text(703), "C&OM port");
    EXPECT_EQ(Text(999), "&About...");
}

TEST(StringTable, EveryGroupIsPresent) {
    for (int id : {1,    2,    3,    4,    5,    6,    7,    60,   100,  101,  102,  103,  104,
                   105,  108,  307,  311,  501,  631,  637,  701,  704,  996,  1000, 1001, 1010,
                   1015, 1020, 1031, 1044, 1053, 1054, 7004, 7005, 7009, 8000, 8002, 8003, 8005,
                   8006, 8008, 8010, 8013, 9002, 9003, 9005, 9006, 9007, 9008, 9017}) {
        EXPECT_TRUE(HasText(id)) << id;
        EXPECT_FALSE(Text(id).empty()) << id;
    }
}

} // namespace ostrel
