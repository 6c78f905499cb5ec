#include "recorder/recorder_view.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace ostrel {
namespace {

constexpr int kDataLoggingText = 7010;
constexpr int kCountText = 7011;
constexpr int kPageText = 7012;
constexpr int kManualText = 7013;
constexpr int kFullSpeedText = 7014;
constexpr int kIntervalText = 7015;

bool IsResistance(std::uint32_t code) {
    return code == 0x80 || code == 0x180 || code == 0x2080;
}

bool IsTemperatureUnit(std::uint32_t code) {
    return code == 0x20 || code == 0x40;
}

// Data, unit and function texts of a record with its mode in brackets.
void AppendDisplay(std::string& line, const TBRecord& record, bool ohmWord) {
    line += FieldView(record.dataText);
    line += ' ';
    line += FieldView(record.unitText);
    if (ohmWord)
        line += "Ohm";
    else
        line += FieldView(record.functionText);
    const std::string_view mode = FieldView(record.modeText);
    if (!mode.empty()) {
        line += "  [";
        line += mode;
        line += ']';
    }
}

} // namespace

std::string RecordingStatusText(bool recording) {
    return recording ? std::string(Text(kDataLoggingText)) : std::string();
}

std::string CountStatusText(std::int64_t count) {
    // The text takes an int; a count beyond it shows as its top.
    return FormatText(kCountText, {std::to_string(std::clamp<std::int64_t>(count, 0, INT_MAX))});
}

std::string PageStatusText(int viewedPage, int lastPage) {
    return FormatText(kPageText, {std::to_string(viewedPage), std::to_string(lastPage)});
}

std::string ModeStatusText(bool manual, int intervalMs) {
    if (manual)
        return std::string(Text(kManualText));
    if (intervalMs == 500)
        return std::string(Text(kFullSpeedText));
    return std::string(Text(kIntervalText)) + ":" + std::to_string(intervalMs / 1000) + "S";
}

std::string ClockStatusText(int hour, int minute, int second) {
    const int twelve = hour % 12 == 0 ? 12 : hour % 12;
    char text[32];
    std::snprintf(text, sizeof text, "  %s %02d:%02d:%02d\"", hour < 12 ? "AM" : "PM", twelve,
                  minute, second);
    return text;
}

std::string YAxisLabel(std::uint32_t code, std::string_view functionText) {
    std::string label(kPlainYAxisLabel);
    if (code == 8)
        return label + "(uF)";
    if (IsResistance(code))
        return label + "(Ohm)";
    if (code == 0x1000)
        return label + "(nS)";
    if (code == 0x2000)
        return label + "(dBm)";
    return label + "(" + std::string(functionText) + ")";
}

PanelLook ReadoutLook(std::uint32_t code) {
    PanelLook look;
    look.unitSymbol = IsTemperatureUnit(code);
    look.unitRight = look.unitSymbol;
    look.functionLeft = look.unitSymbol;
    look.functionSymbol = IsResistance(code);
    return look;
}

RecorderEnables ComputeEnables(const RecorderFlags& f) {
    RecorderEnables e;
    const bool idle = !f.recording && !f.busy;
    e.startStopButtons = !f.manual && !f.busy;
    e.startMenu = !f.recording && !f.manual && !f.busy;
    e.stopMenu = f.recording && !f.manual && !f.busy;
    e.manual = f.manual && idle;
    e.idle = idle;
    e.data = idle && !f.empty;
    // The page commands follow the page shown, so that they read the same
    // after a page is drawn and after any other change.
    e.towardFirst = idle && f.viewedPage != 1;
    e.towardLast = idle && f.viewedPage != f.lastPage;
    e.fitView = idle && f.lastPage != 1;
    return e;
}

RecorderGeometry ComputeRecorderGeometry(int screenWidth, int screenHeight, int mainWindowHeight,
                                         int taskbarHeight) {
    RecorderGeometry g;
    g.left = screenWidth / 4;
    g.top = mainWindowHeight;
    g.width = screenWidth - g.left;
    g.height = screenHeight - g.top - taskbarHeight;
    g.maxWidth = screenWidth;
    g.maxHeight = screenHeight - mainWindowHeight - taskbarHeight;
    g.maxLeft = 0;
    g.maxTop = mainWindowHeight;
    g.minWidth = screenWidth - screenWidth / 4;
    g.minHeight = g.maxHeight;
    return g;
}

std::string DataListLine(const RecordPair& pair, std::int64_t position) {
    std::string line = std::to_string(position + 1);
    line += ',';
    line += FieldView(pair.main.timeText);
    line += ',';
    AppendDisplay(line, pair.main, IsResistance(pair.main.function));
    line += ',';
    // The sub part is there whether or not the sub display was in use.
    AppendDisplay(line, pair.sub, false);
    return line;
}

} // namespace ostrel
