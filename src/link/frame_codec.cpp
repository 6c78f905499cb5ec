// The display frame: its bit map of segments and annunciators, decoded into a
// MeterReading and, for the simulated meter and the tests, encoded back.
#include "link/frame_codec.h"

#include <iterator>

namespace ostrel {

namespace {

constexpr std::uint8_t kPointBit = 0x10; // bit 4 of a digit byte
constexpr std::uint32_t kBit24 = 0x1000000u;
constexpr std::uint32_t kCelsiusBit = 0x20;
constexpr std::uint32_t kFahrenheitBit = 0x40;

// Segment patterns (bit 4 clear) and the characters they show.
struct SegmentEntry {
    std::uint8_t segments;
    char c;
};
constexpr SegmentEntry kSegments[] = {
    {0x00, ' '}, {0x07, 'L'}, {0x0F, 'C'}, {0x20, 'i'}, {0x23, 'u'}, {0x40, '-'},
    {0x42, 'r'}, {0x47, 't'}, {0x4E, 'F'}, {0x4F, 'E'}, {0x62, 'n'}, {0x63, 'o'},
    {0x67, 'b'}, {0x6D, '5'}, {0x6F, '6'}, {0xA0, '1'}, {0xA7, 'U'}, {0xA8, '7'},
    {0xAF, '0'}, {0xCB, '2'}, {0xCE, 'P'}, {0xE3, 'd'}, {0xE4, '4'}, {0xE5, 'y'},
    {0xE6, 'H'}, {0xE9, '3'}, {0xEC, 'g'}, {0xED, '9'}, {0xEE, 'A'}, {0xEF, '8'},
};

// A pattern outside the table: segment d alone. It decodes to '?'.
constexpr std::uint8_t kUnknownSegments = 0x01;

struct CharTable {
    std::array<char, 256> chars{};
    constexpr CharTable() {
        chars.fill('?');
        for (const auto& e : kSegments)
            chars[e.segments] = e.c;
    }
};
constexpr CharTable kCharTable;

struct SegmentTable {
    std::array<std::uint8_t, 256> bytes{};
    constexpr SegmentTable() {
        bytes['?'] = kUnknownSegments;
        for (const auto& e : kSegments)
            bytes[static_cast<unsigned char>(e.c)] = e.segments;
    }
};
constexpr SegmentTable kSegmentTable;

// One annunciator: LcdFrame byte, bit, and the function bit it stands for.
struct FunctionBit {
    std::uint8_t byte;
    std::uint8_t bit;
    std::uint32_t function;
};

constexpr FunctionBit kMainBits[] = {
    {0, 4, 1u << 0},   {0, 5, 1u << 1},   {1, 0, 1u << 15},  {1, 3, 1u << 14}, {5, 4, 1u << 13},
    {6, 0, 1u << 8},   {6, 3, 1u << 31},  {12, 4, 1u << 10}, {12, 5, 1u << 7}, {13, 0, 1u << 3},
    {13, 1, 1u << 12}, {13, 2, 1u << 11}, {13, 4, 1u << 9},  {13, 5, 1u << 2},
};

constexpr FunctionBit kSubBits[] = {
    {6, 1, 1u << 14},  {6, 2, 1u << 15}, {6, 6, 1u << 0},  {6, 7, 1u << 1},   {11, 0, 1u << 3},
    {11, 1, 1u << 12}, {11, 4, 1u << 2}, {11, 5, 1u << 9}, {12, 0, 1u << 10}, {12, 1, 1u << 7},
};

// Bits each display carries through annunciators or its fourth character.
constexpr std::uint32_t kMainCarried = 0xFF8Fu | kCelsiusBit | kFahrenheitBit;
constexpr std::uint32_t kSubCarried = 0xD68Fu | kCelsiusBit | kFahrenheitBit;

// Where a display sits in the LcdFrame.
struct DisplayLayout {
    std::uint8_t firstDigit; // four digit bytes from here
    std::uint8_t signByte;
    std::uint8_t signBit;
};
constexpr DisplayLayout kMainLayout{2, 1, 7};
constexpr DisplayLayout kSubLayout{7, 6, 5};

// Multiplier annunciators: LcdFrame byte, mask, exponent (for the encoder).
struct Multiplier {
    std::uint8_t byte;
    std::uint8_t mask;
    int exponent;
};
constexpr Multiplier kMainMultipliers[] = {
    {12, 0x80, 3}, {12, 0x40, 6}, {13, 0x80, -6}, {13, 0x40, -3}, {13, 0x08, -9}};
constexpr Multiplier kSubMultipliers[] = {
    {12, 0x04, 3}, {12, 0x08, 6}, {11, 0x04, -9}, {11, 0x40, -6}, {11, 0x80, -3}};

bool Bit(std::uint8_t byte, int bit) {
    return (byte >> bit) & 1u;
}

std::string DisplayText(const LcdFrame& f, const DisplayLayout& layout) {
    const std::uint8_t* d = &f.b[layout.firstDigit];
    char c[4];
    for (int i = 0; i < 4; ++i)
        c[i] = SegmentChar(static_cast<std::uint8_t>(d[i] & 0xEF));
    const int p =
        ((d[0] & kPointBit) ? 4 : 0) + ((d[1] & kPointBit) ? 2 : 0) + ((d[2] & kPointBit) ? 1 : 0);
    int pointAfter = 0;
    if (p == 4)
        pointAfter = 1;
    else if (p == 2)
        pointAfter = 2;
    else if (p == 1)
        pointAfter = 3;

    char text[6];
    std::size_t n = 0;
    if (Bit(f.b[layout.signByte], layout.signBit))
        text[n++] = '-';
    for (int i = 0; i < 4; ++i) {
        text[n++] = c[i];
        if (i + 1 == pointAfter)
            text[n++] = '.';
    }
    return std::string(text, n);
}

std::uint32_t AssembleBits(const LcdFrame& f, const FunctionBit* first, const FunctionBit* last) {
    std::uint32_t code = 0;
    for (const FunctionBit* fb = first; fb != last; ++fb)
        if (Bit(f.b[fb->byte], fb->bit))
            code |= fb->function;
    return code;
}

std::uint32_t TemperatureBits(std::uint8_t digit) {
    switch (SegmentChar(static_cast<std::uint8_t>(digit & 0xEF))) {
    case 'C':
        return kCelsiusBit;
    case 'F':
        return kFahrenheitBit;
    default:
        return 0;
    }
}

// Exactly one multiplier annunciator gives its exponent; none or several give 0.
int MainExponent(const LcdFrame& f) {
    switch ((f.b[12] & 0xC0) | ((f.b[13] & 0xC8) >> 3)) {
    case 0x80:
        return 3;
    case 0x40:
        return 6;
    case 0x10:
        return -6;
    case 0x08:
        return -3;
    case 0x01:
        return -9;
    default:
        return 0;
    }
}

int SubExponent(const LcdFrame& f) {
    switch ((f.b[11] & 0xC4) | ((f.b[12] & 0x0C) >> 2)) {
    case 0x01:
        return 3;
    case 0x02:
        return 6;
    case 0x04:
        return -9;
    case 0x40:
        return -6;
    case 0x80:
        return -3;
    default:
        return 0;
    }
}

void FillDerived(DisplayReading& d, std::uint32_t rawFunction, int exponent) {
    d.rawFunction = static_cast<std::int32_t>(rawFunction);
    d.function = static_cast<std::int32_t>(rawFunction & kFunctionMask);
    d.unitText = FunctionUnitText(rawFunction & kFunctionMask);
    d.exponentText = std::to_string(exponent);
    d.prefixText = ExponentPrefixText(exponent);
}

// The decoder adds bit 24 to an annunciator code of 5 or 6 before the C/F bits
// of the fourth character join it.
bool IsVoltsVariantBase(std::uint32_t function) {
    const std::uint32_t annunciators = function & ~(kCelsiusBit | kFahrenheitBit);
    return annunciators == 5 || annunciators == 6;
}

// ---- encoder ----------------------------------------------------------------

template <std::size_t N>
void EncodeFunction(LcdFrame& f, std::uint32_t function, const FunctionBit (&table)[N]) {
    for (const auto& fb : table)
        if (function & fb.function)
            f.b[fb.byte] |= static_cast<std::uint8_t>(1u << fb.bit);
}

template <std::size_t N>
void EncodeExponent(LcdFrame& f, int exponent, const Multiplier (&table)[N]) {
    for (const auto& m : table)
        if (m.exponent == exponent)
            f.b[m.byte] |= m.mask;
}

void EncodeDisplay(LcdFrame& f, const DisplayContent& content, const DisplayLayout& layout,
                   std::uint32_t function) {
    std::array<char, 4> chars = content.chars;
    if (function & kCelsiusBit)
        chars[3] = 'C';
    else if (function & kFahrenheitBit)
        chars[3] = 'F';
    for (int i = 0; i < 4; ++i)
        f.b[layout.firstDigit + i] = SegmentByte(chars[i]);
    if (content.pointAfter >= 1 && content.pointAfter <= 3)
        f.b[layout.firstDigit + content.pointAfter - 1] |= kPointBit;
    if (content.negative)
        f.b[layout.signByte] |= static_cast<std::uint8_t>(1u << layout.signBit);
}

} // namespace

LcdFrame CompactFrame(const RawFrame& raw) {
    LcdFrame f;
    for (std::size_t k = 0; k < f.b.size(); ++k)
        f.b[k] = raw[RawIndexOfPayload(k)];
    return f;
}

char SegmentChar(std::uint8_t segments) {
    return kCharTable.chars[segments];
}

std::uint8_t SegmentByte(char c) {
    return kSegmentTable.bytes[static_cast<unsigned char>(c)];
}

std::pair<std::string, std::string> DecodeDisplayTexts(const LcdFrame& f) {
    return {DisplayText(f, kMainLayout), DisplayText(f, kSubLayout)};
}

std::pair<std::uint32_t, std::uint32_t> DecodeFunctions(const LcdFrame& f) {
    std::uint32_t main = AssembleBits(f, std::begin(kMainBits), std::end(kMainBits));
    const std::uint32_t withoutBattery = main & kFunctionMask;
    if ((withoutBattery == 5 || withoutBattery == 6) && Bit(f.b[14], 3))
        main += kBit24;
    main += TemperatureBits(f.b[5]);

    std::uint32_t sub = AssembleBits(f, std::begin(kSubBits), std::end(kSubBits));
    sub += TemperatureBits(f.b[10]);
    return {main, sub};
}

std::pair<int, int> DecodeExponents(const LcdFrame& f) {
    return {MainExponent(f), SubExponent(f)};
}

MeterReading DecodeFrame(const RawFrame& raw) {
    const LcdFrame f = CompactFrame(raw);
    auto [mainText, subText] = DecodeDisplayTexts(f);
    const auto [mainRaw, subRaw] = DecodeFunctions(f);
    const auto [mainExponent, subExponent] = DecodeExponents(f);

    MeterReading r;
    DisplayReading& m = r.main;
    DisplayReading& s = r.sub;
    m.negative = Bit(f.b[kMainLayout.signByte], kMainLayout.signBit);
    s.negative = Bit(f.b[kSubLayout.signByte], kSubLayout.signBit);
    m.valueText = std::move(mainText);
    s.valueText = std::move(subText);
    r.lowBattery = (mainRaw & kLowBatteryBit) ? 1 : 0;
    FillDerived(m, mainRaw, mainExponent);
    FillDerived(s, subRaw, subExponent);

    SetField(m.valueField, m.valueText);
    const std::uint32_t mainFunction = mainRaw & kFunctionMask;
    const auto [first, second] = MainDisplayLabels(mainFunction, m.prefixText, m.unitText);
    SetField(m.firstLabelField, first);
    SetField(m.secondLabelField, second);
    m.couplingText = CouplingText(mainFunction, true);

    const std::uint32_t subFunction = subRaw & kFunctionMask;
    if (subFunction != 0) {
        SetField(s.valueField, s.valueText);
        SetField(s.firstLabelField, s.prefixText);
        SetField(s.secondLabelField, s.unitText);
        s.couplingText = CouplingText(subFunction, false);
    }
    return r;
}

bool DisplayCanShow(std::uint32_t function, bool isMain) {
    std::uint32_t f = function & kFunctionMask;
    if ((f & kCelsiusBit) && (f & kFahrenheitBit))
        return false;
    if (isMain && (f & kBit24)) {
        f &= ~kBit24;
        if (!IsVoltsVariantBase(f))
            return false;
    }
    return (f & ~(isMain ? kMainCarried : kSubCarried)) == 0;
}

bool SetDisplayText(DisplayContent& content, std::string_view text) {
    std::size_t characters = 0;
    for (const char c : text)
        if (c != '.')
            ++characters;
    bool negative = false;
    if (characters == 5 && !text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    } else if (characters != 4) {
        return false;
    }
    std::array<char, 4> chars{};
    int pointAfter = 0;
    int n = 0;
    for (const char c : text) {
        if (c == '.') {
            if (pointAfter != 0 || n < 1 || n > 3)
                return false;
            pointAfter = n;
        } else if (SegmentChar(SegmentByte(c)) == c) {
            chars[n++] = c;
        } else {
            return false;
        }
    }
    content.chars = chars;
    content.pointAfter = pointAfter;
    content.negative = negative;
    return true;
}

RawFrame EncodeFrame(const FrameContent& content) {
    LcdFrame f;
    const std::uint32_t mainFunction = content.main.function & kFunctionMask;
    EncodeDisplay(f, content.main, kMainLayout, mainFunction);
    EncodeFunction(f, mainFunction, kMainBits);
    if (content.lowBattery)
        f.b[6] |= 0x08;
    if ((mainFunction & kBit24) && IsVoltsVariantBase(mainFunction & ~kBit24))
        f.b[14] |= 0x08;
    EncodeExponent(f, content.main.exponent, kMainMultipliers);

    const std::uint32_t subFunction = content.sub.function & kFunctionMask;
    EncodeDisplay(f, content.sub, kSubLayout, subFunction);
    EncodeFunction(f, subFunction, kSubBits);
    EncodeExponent(f, content.sub.exponent, kSubMultipliers);

    f.b[18] = content.status;

    return ExpandFrame(f);
}

RawFrame ExpandFrame(const LcdFrame& f) {
    RawFrame raw{};
    for (std::size_t k = 0; k < f.b.size(); ++k)
        raw[RawIndexOfPayload(k)] = f.b[k];
    return raw;
}

} // namespace ostrel
