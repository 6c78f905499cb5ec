#include "displays/panel_geometry.h"

#include <array>
#include <cmath>

namespace ostrel {

int ValueFontPoints(int panelWidth, double share, double dpi) {
    if (!(dpi > 0))
        dpi = 96.0;
    return static_cast<int>(std::trunc(96.0 / dpi * (panelWidth * share) - 3.0));
}

DigitalMeterLayout ComputeDigitalMeterLayout(int width, int height, double dpi) {
    DigitalMeterLayout l;
    width = width < 0 ? 0 : width;
    height = height < 0 ? 0 : height;
    l.panelLcd = {0, 0, width, height};

    // Sub line: the top third.
    const int subHeight = height / 3;
    l.subLcd = {0, 0, width, subHeight};
    const int subDataWidth = 3 * width / 5;
    const int subCouplingWidth = width / 5;
    l.subData.rect = {width - subDataWidth, 0, subDataWidth, subHeight};
    l.subData.fontPoints = ValueFontPoints(subDataWidth, 0.125, dpi);
    l.subCoupling.rect = {width - subDataWidth - subCouplingWidth, 0, subCouplingWidth, subHeight};
    l.subCoupling.fontPoints = subCouplingWidth / 5;
    // The sub line first gives "LB" a fifth of its width; the panel's own rule
    // then narrows it to 2/15 and sets its font from that width.
    const int lbWidth = 2 * width / 15;
    l.lowBattery.rect = {0, 0, lbWidth, subHeight / 2};
    l.lowBattery.fontPoints = lbWidth / 3;

    // Main line: the rest.
    const int mainHeight = height - subHeight;
    l.mainLcd = {0, subHeight, width, mainHeight};
    const int couplingWidth = width / 6;
    const int labelWidth = width / 5;
    l.coupling.rect = {0, subHeight, couplingWidth, mainHeight};
    l.coupling.fontPoints = couplingWidth / 5;
    l.func.rect = {width - labelWidth, subHeight, labelWidth, mainHeight};
    l.func.fontPoints = labelWidth / 2;
    l.unit.rect = {width - 2 * labelWidth, subHeight, labelWidth, mainHeight};
    l.unit.fontPoints = labelWidth / 2;
    int dataWidth = width - couplingWidth - 2 * labelWidth;
    if (dataWidth < 0)
        dataWidth = 0;
    l.data.rect = {couplingWidth, subHeight, dataWidth, mainHeight};
    l.data.fontPoints = ValueFontPoints(dataWidth, 0.25, dpi);
    return l;
}

PixelRect DigitalMeterPlacement(const ScreenMetrics& m) {
    const int top = m.mainWindowHeight;
    return {0, top, m.screenWidth / 4, (m.screenHeight - top) / 4};
}

PixelSize DigitalMeterMinimumSize(const ScreenMetrics& m) {
    return {m.screenWidth / 4, (m.screenHeight - m.mainWindowHeight) / 4};
}

PixelRect DigitalMeterMaximised(const ScreenMetrics& m) {
    return {0, m.mainWindowHeight, m.screenWidth, m.screenHeight - m.mainWindowHeight};
}

PixelRect AnalogMeterPlacement(const ScreenMetrics& m, int digitalMeterHeight) {
    return {0, m.mainWindowHeight + digitalMeterHeight, m.screenWidth / 4,
            kAnalogFaceHeight + 4 * m.dialogFrameHeight + m.captionHeight};
}

PixelRect ComparatorPlacement(const ScreenMetrics& m) {
    const int e = m.captionHeight;
    const int width = kComparatorFaceWidth + 2 * e;
    const int left = (width - kComparatorFaceWidth) / 2;
    const int top = (m.screenHeight - m.mainWindowHeight) / 4 + m.mainWindowHeight +
                    2 * m.sizingFrameHeight + e;
    const int height =
        kComparatorFaceHeight + kComparatorButtonHeight + kComparatorLimitButtonHeight + 2 * e;
    return {left, top, width, height};
}

PixelRect DataListPlacement(const ScreenMetrics& m, int digitalMeterHeight, int analogMeterHeight) {
    const int top = m.mainWindowHeight + digitalMeterHeight + analogMeterHeight;
    return {0, top, m.screenWidth / 4, m.screenHeight - top - m.taskbarHeight};
}

PixelSize DataListMinimumSize(const ScreenMetrics& m) {
    return {m.screenWidth / 4, m.screenHeight / 4};
}

PixelRect DataListMaximised(const ScreenMetrics& m) {
    return {0, m.mainWindowHeight, m.screenWidth / 4,
            m.screenHeight - m.mainWindowHeight - m.taskbarHeight};
}

bool UsesSymbolUnit(int function) {
    return function == 0x80 || function == 0x180 || function == 0x2080;
}

std::string SymbolTypefaceText(const std::string& text) {
    // The typeface's letters A…Z and a…z, in order.
    static const std::array<const char*, 26> upper = {"Α", "Β", "Χ", "Δ", "Ε", "Φ", "Γ", "Η", "Ι",
                                                      "ϑ", "Κ", "Λ", "Μ", "Ν", "Ο", "Π", "Θ", "Ρ",
                                                      "Σ", "Τ", "Υ", "ς", "Ω", "Ξ", "Ψ", "Ζ"};
    static const std::array<const char*, 26> lower = {"α", "β", "χ", "δ", "ε", "φ", "γ", "η", "ι",
                                                      "ϕ", "κ", "λ", "μ", "ν", "ο", "π", "θ", "ρ",
                                                      "σ", "τ", "υ", "ϖ", "ω", "ξ", "ψ", "ζ"};
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        if (c >= 'A' && c <= 'Z')
            out += upper[static_cast<std::size_t>(c - 'A')];
        else if (c >= 'a' && c <= 'z')
            out += lower[static_cast<std::size_t>(c - 'a')];
        else
            out += c;
    }
    return out;
}

} // namespace ostrel
