#include "link/frame_codec.h"
#include "link/frame_hex.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace ostrel {
namespace {

// The raw frame whose LcdFrame is the given bytes b0… (others zero).
RawFrame RawOf(std::initializer_list<std::pair<int, std::uint8_t>> bytes) {
    LcdFrame f;
    for (auto [index, value] : bytes)
        f.b[index] = value;
    return ExpandFrame(f);
}

TEST(FrameCodecTest, CompactFrameTakesThePayloadRuns) {
    RawFrame raw;
    for (std::size_t i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<std::uint8_t>(0x40 + i);
    const LcdFrame f = CompactFrame(raw);
    const std::vector<int> expected = {2,  3,  4,  5,  6,  7,  8,  10, 11, 12,
                                       13, 14, 15, 16, 17, 19, 20, 21, 22, 23};
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(f.b[i], 0x40 + expected[i]) << "b" << i;

    // Report numbers, raw byte 1 and the tail carry nothing.
    RawFrame unused{};
    for (int i : {0, 1, 9, 18, 24, 25, 26})
        unused[i] = 0xFF;
    const MeterReading r = DecodeFrame(unused);
    EXPECT_EQ(r.main.valueText, "    ");
    EXPECT_EQ(r.main.rawFunction, 0);
    EXPECT_EQ(r.sub.rawFunction, 0);
}

TEST(FrameCodecTest, SegmentTableAndItsInverse) {
    const std::string chars = " LCiu-rtFEnob56U170P2d4yH3g9A8";
    for (char c : chars) {
        const std::uint8_t segments = SegmentByte(c);
        EXPECT_EQ(segments & 0x10, 0) << c;
        EXPECT_EQ(SegmentChar(segments), c) << c;
    }
    int known = 0;
    for (int b = 0; b < 256; ++b)
        if (!(b & 0x10) && SegmentChar(static_cast<std::uint8_t>(b)) != '?')
            ++known;
    EXPECT_EQ(known, static_cast<int>(chars.size()));
    EXPECT_EQ(SegmentChar(0xA9), '?');
    EXPECT_EQ(SegmentChar(SegmentByte('?')), '?');
    EXPECT_EQ(SegmentByte('Z'), 0x00);
}

TEST(FrameCodecTest, DisplayTextsPointsAndSigns) {
    // 0xF9 is "3" with bit 4 set: a point when it is one of the first three digits.
    EXPECT_EQ(DecodeFrame(RawOf({{2, 0xF9}, {3, 0xA9}, {4, 0x00}, {5, 0xF9}})).main.valueText,
              "3.? 3");
    const RawFrame twelve = RawOf({{2, 0xA0}, {3, 0xDB}, {4, 0xE9}, {5, 0xE4}});
    EXPECT_EQ(DecodeFrame(twelve).main.valueText, "12.34");
    RawFrame negative = twelve;
    negative[3] |= 0x80; // b1 bit 7
    const MeterReading n = DecodeFrame(negative);
    EXPECT_EQ(n.main.valueText, "-12.34");
    EXPECT_EQ(n.main.negative, 1);
    EXPECT_EQ(FieldText(n.main.valueField), "-12.34");

    // Two points lit: none shown.
    EXPECT_EQ(DecodeFrame(RawOf({{2, 0xB0}, {3, 0xDB}, {4, 0xE9}, {5, 0xE4}})).main.valueText,
              "1234");
    // A point bit on the fourth main digit is the dB annunciator, not a point.
    const MeterReading db = DecodeFrame(RawOf({{2, 0xA0}, {3, 0xCB}, {4, 0xE9}, {5, 0xF4}}));
    EXPECT_EQ(db.main.valueText, "1234");
    EXPECT_EQ(db.main.function, static_cast<std::int32_t>(nFunc_dB));

    // The meter's dashes are characters, not a sign.
    const MeterReading dashes = DecodeFrame(RawOf({{2, 0x40}, {3, 0x40}, {4, 0x40}, {5, 0x40}}));
    EXPECT_EQ(dashes.main.valueText, "----");
    EXPECT_EQ(dashes.main.negative, 0);

    // Sub display: -1.234 with the sub sign and the point after the first digit.
    const MeterReading sub =
        DecodeFrame(RawOf({{6, 0x20 | 0x40}, {7, 0xB0}, {8, 0xCB}, {9, 0xE9}, {10, 0xE4}}));
    EXPECT_EQ(sub.sub.valueText, "-1.234");
    EXPECT_EQ(sub.sub.negative, 1);
    EXPECT_EQ(sub.main.negative, 0);
    EXPECT_EQ(FieldText(sub.sub.valueField), "-1.234");
}

TEST(FrameCodecTest, AllZeroFrame) {
    const MeterReading r = DecodeFrame(RawFrame{});
    for (const DisplayReading* d : {&r.main, &r.sub}) {
        EXPECT_EQ(d->valueText, "    ");
        EXPECT_EQ(d->exponentText, "0");
        EXPECT_EQ(d->function, 0);
        EXPECT_EQ(d->unitText, "");
        EXPECT_EQ(d->couplingText, "");
        EXPECT_EQ(FieldText(d->firstLabelField), "");
        EXPECT_EQ(FieldText(d->secondLabelField), "");
    }
    EXPECT_EQ(FieldText(r.main.valueField), "    ");
    EXPECT_EQ(r.lowBattery, 0);
}

TEST(FrameCodecTest, MainFunctionBits) {
    // T1 with a "C" in the fourth digit.
    EXPECT_EQ(DecodeFunctions(CompactFrame(RawOf({{1, 0x01}, {5, 0x0F}}))).first, nFunc_T1C);
    EXPECT_EQ(DecodeFunctions(CompactFrame(RawOf({{1, 0x09}, {5, 0x4E}}))).first, nFunc_T1T2F);
    // AC + V = 5; the volts variant bit turns it into 0x1000005, but not 7.
    EXPECT_EQ(DecodeFunctions(CompactFrame(RawOf({{0, 0x10}, {13, 0x20}, {14, 0x08}}))).first,
              nFunc_AcV6);
    EXPECT_EQ(DecodeFunctions(CompactFrame(RawOf({{0, 0x20}, {13, 0x20}, {14, 0x08}}))).first,
              nFunc_DcV6);
    EXPECT_EQ(DecodeFunctions(CompactFrame(RawOf({{0, 0x30}, {13, 0x20}, {14, 0x08}}))).first,
              nFunc_AcDcV);
    // Continuity = ohm + bit 8; Hz, S, duty, F, A from b12/b13.
    EXPECT_EQ(DecodeFunctions(CompactFrame(RawOf({{6, 0x01}, {12, 0x20}}))).first, nFunc_Conti);
    EXPECT_EQ(DecodeFunctions(CompactFrame(RawOf({{12, 0x10}, {13, 0x17}}))).first,
              0x400u | 0x1000u | 0x800u | 0x8u | 0x200u);
}

TEST(FrameCodecTest, LowBatteryAlone) {
    const MeterReading r = DecodeFrame(RawOf({{6, 0x08}}));
    EXPECT_EQ(r.lowBattery, 1);
    EXPECT_EQ(static_cast<std::uint32_t>(r.main.rawFunction), kLowBatteryBit);
    EXPECT_EQ(r.main.function, 0);
    EXPECT_EQ(r.main.unitText, "");

    // Low battery on a volts-variant frame: the variant still applies, texts unchanged.
    const MeterReading v = DecodeFrame(RawOf({{0, 0x10}, {6, 0x08}, {13, 0x20}, {14, 0x08}}));
    EXPECT_EQ(v.lowBattery, 1);
    EXPECT_EQ(v.main.function, static_cast<std::int32_t>(nFunc_AcV6));
    EXPECT_EQ(v.main.unitText, "V");
    EXPECT_EQ(v.main.couplingText, "AC");
}

TEST(FrameCodecTest, SubFunctionBitsAndTemperatures) {
    EXPECT_EQ(DecodeFunctions(CompactFrame(RawOf({{6, 0x40}, {11, 0x10}}))).second, nFunc_AcV);
    EXPECT_EQ(DecodeFunctions(CompactFrame(RawOf({{6, 0x06}, {10, 0x0F}}))).second, nFunc_T1T2C);
    EXPECT_EQ(DecodeFunctions(CompactFrame(RawOf({{11, 0x23}, {12, 0x03}}))).second,
              0x8u | 0x1000u | 0x200u | 0x400u | 0x80u);
    // Sub bit 24 never: the variant bit belongs to the main display.
    EXPECT_EQ(DecodeFunctions(CompactFrame(RawOf({{6, 0x80}, {11, 0x10}, {14, 0x08}}))).second,
              nFunc_DcV);
}

TEST(FrameCodecTest, Multipliers) {
    const auto mainExp = [](int byte, std::uint8_t value) {
        return DecodeExponents(CompactFrame(RawOf({{byte, value}}))).first;
    };
    const auto subExp = [](int byte, std::uint8_t value) {
        return DecodeExponents(CompactFrame(RawOf({{byte, value}}))).second;
    };
    for (auto [byte, value, exponent] : {std::tuple{12, 0x80, 3},
                                         {12, 0x40, 6},
                                         {13, 0x80, -6},
                                         {13, 0x40, -3},
                                         {13, 0x08, -9},
                                         {12, 0xC0, 0}})
        EXPECT_EQ(mainExp(byte, static_cast<std::uint8_t>(value)), exponent) << byte << value;
    for (auto [byte, value, exponent] : {std::tuple{12, 0x04, 3},
                                         {12, 0x08, 6},
                                         {11, 0x04, -9},
                                         {11, 0x40, -6},
                                         {11, 0x80, -3},
                                         {11, 0x84, 0}})
        EXPECT_EQ(subExp(byte, static_cast<std::uint8_t>(value)), exponent) << byte << value;

    const MeterReading r = DecodeFrame(RawOf({{12, 0xC0}}));
    EXPECT_EQ(r.main.exponentText, "0");
    EXPECT_EQ(r.main.prefixText, "");
}

TEST(FrameCodecTest, LabelsAndSubDisplayOutOfUse) {
    // dB with the m annunciator reads "dB" "m"; dBm_Ohm an empty first label and "W".
    const MeterReading db = DecodeFrame(RawOf({{5, 0x10}, {13, 0x40}}));
    EXPECT_EQ(db.main.function, static_cast<std::int32_t>(nFunc_dB));
    EXPECT_EQ(FieldText(db.main.firstLabelField), "dB");
    EXPECT_EQ(FieldText(db.main.secondLabelField), "m");
    const MeterReading dbm = DecodeFrame(RawOf({{5, 0x10}, {12, 0x80 | 0x20}}));
    EXPECT_EQ(dbm.main.function, static_cast<std::int32_t>(nFunc_dBm_Ohm));
    EXPECT_EQ(FieldText(dbm.main.firstLabelField), "");
    EXPECT_EQ(FieldText(dbm.main.secondLabelField), "W");

    // Sub digits lit but no sub function: the texts stay, the fields are empty.
    const MeterReading off =
        DecodeFrame(RawOf({{7, 0xA0}, {8, 0xCB}, {9, 0xE9}, {10, 0xE4}, {11, 0x80}}));
    EXPECT_EQ(off.sub.function, 0);
    EXPECT_EQ(off.sub.valueText, "1234");
    EXPECT_EQ(off.sub.prefixText, "m");
    EXPECT_EQ(off.sub.exponentText, "-3");
    EXPECT_EQ(FieldText(off.sub.valueField), "");
    EXPECT_EQ(FieldText(off.sub.firstLabelField), "");
    EXPECT_EQ(FieldText(off.sub.secondLabelField), "");
    EXPECT_EQ(off.sub.couplingText, "");

    // Sub DC volts: no coupling text on the sub display; labels prefix then unit.
    const MeterReading dcv =
        DecodeFrame(RawOf({{6, 0x80}, {11, 0x10 | 0x80}, {0, 0x20}, {13, 0x20}}));
    EXPECT_EQ(dcv.main.couplingText, "DC");
    EXPECT_EQ(dcv.sub.couplingText, "");
    EXPECT_EQ(FieldText(dcv.sub.firstLabelField), "m");
    EXPECT_EQ(FieldText(dcv.sub.secondLabelField), "V");
}

const std::vector<std::uint32_t> kNamedCodes = NamedFunctionCodes();

TEST(FrameEncoderTest, WhichCodesEachDisplayCarries) {
    std::vector<std::uint32_t> notMain, notSub;
    for (std::uint32_t code : kNamedCodes) {
        if (!DisplayCanShow(code, true))
            notMain.push_back(code);
        if (!DisplayCanShow(code, false))
            notSub.push_back(code);
    }
    EXPECT_EQ(notMain, (std::vector<std::uint32_t>{nFunc_Dx, nFunc_Pct4_20mA}));
    EXPECT_EQ(notSub,
              (std::vector<std::uint32_t>{nFunc_AcV6, nFunc_DcV6, nFunc_Dx, nFunc_dB, nFunc_dBm_Ohm,
                                          nFunc_Pct4_20mA, nFunc_Duty, nFunc_Conti}));
    EXPECT_FALSE(DisplayCanShow(0x1000007, true));
    EXPECT_TRUE(DisplayCanShow(0x1000025, true));
    EXPECT_FALSE(DisplayCanShow(0x60, true));
}

// Every named code each display carries, every multiplier, point position and
// sign survive EncodeFrame → DecodeFrame, without touching the other display.
TEST(FrameEncoderTest, RoundTripOfEveryFunctionMultiplierPointAndSign) {
    const int exponents[] = {-9, -6, -3, 0, 3, 6};
    int cases = 0;
    for (bool onMain : {true, false}) {
        for (std::uint32_t code : kNamedCodes) {
            if (!DisplayCanShow(code, onMain))
                continue;
            for (int exponent : exponents) {
                for (int point = 0; point <= 3; ++point) {
                    for (bool negative : {false, true}) {
                        FrameContent content;
                        DisplayContent& shown = onMain ? content.main : content.sub;
                        DisplayContent& other = onMain ? content.sub : content.main;
                        shown.chars = {'1', '2', '3', '4'};
                        shown.pointAfter = point;
                        shown.negative = negative;
                        shown.function = code;
                        shown.exponent = exponent;
                        other.chars = {' ', '0', 'L', ' '};
                        other.function = onMain ? nFunc_Hz : nFunc_Ohm;
                        other.exponent = 3;
                        content.lowBattery = (cases % 3) == 0;

                        const MeterReading r = DecodeFrame(EncodeFrame(content));
                        const DisplayReading& d = onMain ? r.main : r.sub;
                        const DisplayReading& o = onMain ? r.sub : r.main;
                        std::string digits = "1234";
                        if (code & 0x20)
                            digits[3] = 'C';
                        if (code & 0x40)
                            digits[3] = 'F';
                        std::string text = negative ? "-" : "";
                        for (int i = 0; i < 4; ++i) {
                            text += digits[i];
                            if (i + 1 == point)
                                text += '.';
                        }
                        SCOPED_TRACE(testing::Message()
                                     << (onMain ? "main " : "sub ") << code << " e" << exponent
                                     << " p" << point << " n" << negative);
                        EXPECT_EQ(d.valueText, text);
                        EXPECT_EQ(d.negative, negative ? 1 : 0);
                        EXPECT_EQ(static_cast<std::uint32_t>(d.function), code);
                        EXPECT_EQ(d.exponentText, std::to_string(exponent));
                        EXPECT_EQ(d.unitText, FunctionUnitText(code));
                        EXPECT_EQ(d.couplingText, CouplingText(code, onMain));
                        EXPECT_EQ(r.lowBattery, content.lowBattery ? 1 : 0);
                        EXPECT_EQ(o.valueText, " 0L ");
                        EXPECT_EQ(o.negative, 0);
                        EXPECT_EQ(static_cast<std::uint32_t>(o.function), other.function);
                        EXPECT_EQ(o.exponentText, "3");
                        ++cases;
                    }
                }
            }
        }
    }
    EXPECT_EQ(cases, (26 + 20) * 6 * 4 * 2);
}

// What a display shows, read back from its decoded texts.
// What a display shows, read back from its decoded texts.
DisplayContent ContentOf(const DisplayReading& d) {
    DisplayContent c;
    EXPECT_TRUE(SetDisplayText(c, d.valueText)) << d.valueText;
    EXPECT_EQ(c.negative, d.negative != 0) << d.valueText;
    c.function = static_cast<std::uint32_t>(d.function);
    c.exponent = std::stoi(d.exponentText);
    return c;
}

// Any frame decodes to what the encoder rebuilds from the decoded reading.
TEST(FrameEncoderTest, RandomFramesSurviveDecodeEncodeDecode) {
    std::mt19937 rng(20261207);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int n = 0; n < 20000; ++n) {
        RawFrame raw;
        for (auto& b : raw)
            b = static_cast<std::uint8_t>(byte(rng));
        const MeterReading first = DecodeFrame(raw);
        FrameContent content{ContentOf(first.main), ContentOf(first.sub), first.lowBattery != 0,
                             raw[22]};
        const RawFrame encoded = EncodeFrame(content);
        ASSERT_EQ(encoded[22], raw[22]);
        const MeterReading second = DecodeFrame(encoded);
        for (auto [a, b] : {std::pair{&first.main, &second.main}, {&first.sub, &second.sub}}) {
            ASSERT_EQ(a->valueText, b->valueText) << FormatFrameHex(raw);
            ASSERT_EQ(a->negative, b->negative) << FormatFrameHex(raw);
            ASSERT_EQ(a->rawFunction, b->rawFunction) << FormatFrameHex(raw);
            ASSERT_EQ(a->exponentText, b->exponentText) << FormatFrameHex(raw);
            ASSERT_EQ(a->couplingText, b->couplingText) << FormatFrameHex(raw);
            ASSERT_EQ(a->valueField, b->valueField) << FormatFrameHex(raw);
            ASSERT_EQ(a->firstLabelField, b->firstLabelField) << FormatFrameHex(raw);
            ASSERT_EQ(a->secondLabelField, b->secondLabelField) << FormatFrameHex(raw);
        }
        ASSERT_EQ(first.lowBattery, second.lowBattery);
    }
}

TEST(FrameEncoderTest, DisplayTextsTheEncoderTakes) {
    DisplayContent c;
    ASSERT_TRUE(SetDisplayText(c, "----"));
    EXPECT_FALSE(c.negative);
    ASSERT_TRUE(SetDisplayText(c, "-0.L?-"));
    EXPECT_TRUE(c.negative);
    EXPECT_EQ(c.pointAfter, 1);
    EXPECT_EQ(c.chars, (std::array<char, 4>{'0', 'L', '?', '-'}));
    for (const char* bad :
         {"", "123", "12345", "+1234", ".1234", "1234.", "1.2.34", "12Z4", "-1234.", "1..234"}) {
        EXPECT_FALSE(SetDisplayText(c, bad)) << bad;
    }
    EXPECT_EQ(c.chars, (std::array<char, 4>{'0', 'L', '?', '-'})) << "unchanged";
}

TEST(FrameEncoderTest, ReportNumbersAndStatusByte) {
    FrameContent content;
    content.status = 0xA5;
    content.main.chars = {'8', '8', '8', '8'};
    content.main.function = 0xFFFFFFFF;
    content.sub.chars = {'8', '8', '8', '8'};
    content.sub.function = 0xFFFFFFFF;
    const RawFrame raw = EncodeFrame(content);
    EXPECT_EQ(raw[22], 0xA5);
    for (int i : {0, 1, 9, 18, 24, 25, 26})
        EXPECT_EQ(raw[i], 0) << i;
    EXPECT_EQ(raw[8] & 0x08, 0) << "bit 31 of the function is not the low-battery flag";
}

TEST(FrameHexTest, ParsesBlanksAndRefusesEverythingElse) {
    const std::string hex = "000102030405060708090A0B0C0D0E0F101112131415161718191a";
    const auto raw = ParseFrameHex(hex);
    ASSERT_TRUE(raw);
    for (int i = 0; i < 27; ++i)
        EXPECT_EQ((*raw)[i], i);
    EXPECT_EQ(ParseFrameHex(FormatFrameHex(*raw)), raw);
    EXPECT_EQ(ParseFrameHex("  0 0" + hex.substr(2) + "\t\r"), raw);

    EXPECT_FALSE(ParseFrameHex(""));
    EXPECT_FALSE(ParseFrameHex(hex.substr(2)));        // 26 bytes
    EXPECT_FALSE(ParseFrameHex(hex + "00"));           // 28 bytes
    EXPECT_FALSE(ParseFrameHex(hex.substr(1)));        // odd
    EXPECT_FALSE(ParseFrameHex("0x" + hex.substr(2))); // prefix
    EXPECT_FALSE(ParseFrameHex(hex.substr(0, 52) + "g1"));
}

// The frame of a text read the plain way: every blank dropped, then exactly
// 54 hexadecimal digits.
std::optional<RawFrame> PlainFrameOf(const std::string& text) {
    std::string digits;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\r')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        digits += c;
    }
    if (digits.size() != 54)
        return std::nullopt;
    RawFrame raw{};
    for (std::size_t i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<std::uint8_t>(std::stoi(digits.substr(2 * i, 2), nullptr, 16));
    return raw;
}

TEST(FrameHexTest, EveryLayoutReadsAsThePlainReading) {
    // Frames written with and without blanks between the bytes, then a
    // character changed, put in or left out here and there.
    std::mt19937 random(23);
    // The characters next to each range of digits, bytes whose low seven
    // bits are a digit, and bytes that become digits with bit 5 set.
    const std::string some =
        "0123456789abcdefABCDEF \t\rxg-/:@G`\xB0\xB9\xC1\xE6\x80\xFF\x10\x19\x1A";
    for (int round = 0; round < 20000; ++round) {
        RawFrame frame;
        for (auto& b : frame)
            b = static_cast<std::uint8_t>(random());
        std::string text = FormatFrameHex(frame);
        if (round % 2)
            std::erase(text, ' ');
        if (round % 5 == 0)
            text += '\r';
        switch (random() % 4) {
        case 0:
            break;
        case 1:
            text[random() % text.size()] = some[random() % some.size()];
            break;
        case 2:
            text.insert(random() % (text.size() + 1), 1, some[random() % some.size()]);
            break;
        default:
            text.erase(random() % text.size(), 1);
        }
        ASSERT_EQ(ParseFrameHex(text), PlainFrameOf(text)) << text;
    }
}

} // namespace
} // namespace ostrel
