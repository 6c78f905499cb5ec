#pragma once
// What the recorder window and the data list show, as pure functions: the
// status bar texts, the y axis label and panel looks of the readout, the
// enable rules of the commands, the window's place and size limits, and the
// data list's line of a sample.

#include "base/string_table.h"
#include "recorder/record.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ostrel {

// --- status bar ------------------------------------------------------------------
// Panel 0: "Data Logging ..." while recording, else empty.
std::string RecordingStatusText(bool recording);
// Panel 1: "Data in buffer : 12".
std::string CountStatusText(std::int64_t count);
// Panel 2: "Page : 1 of 3".
std::string PageStatusText(int viewedPage, int lastPage);
// Panel 3: "Manual", "Full Speed" (500 ms) or "Interval in second(s):3S".
std::string ModeStatusText(bool manual, int intervalMs);
// Panel 4: two blanks, AM or PM, a blank, the 12-hour time hh:mm:ss and a
// double quote: "  PM 01:02:03\"".
std::string ClockStatusText(int hour, int minute, int second);

// --- readout ---------------------------------------------------------------------
// "Reading" and the unit in brackets: "(uF)" for capacitance, "(Ohm)" for
// resistance, continuity and dBm-ohm, "(nS)" for conductance, "(dBm)" for
// decibels, else the function panel's text.
std::string YAxisLabel(std::uint32_t code, std::string_view functionText);
inline constexpr std::string_view kPlainYAxisLabel = "Reading";

// How the unit and function panels of a value look for a main function code.
struct PanelLook {
    bool unitSymbol = false;   // unit panel in the "Symbol" typeface
    bool unitRight = false;    // unit panel right-aligned (else centred)
    bool functionLeft = false; // function panel left-aligned (else centred)
    bool functionSymbol = false;
};
PanelLook ReadoutLook(std::uint32_t code);

// --- enable rules ---------------------------------------------------------------
struct RecorderFlags {
    bool recording = false;
    bool manual = false;
    bool busy = false;
    bool empty = true;
    int lastPage = 1;
    int viewedPage = 1;
};

struct RecorderEnables {
    bool startStopButtons = false; // sbtnRecordStart, sbtnRecordStop
    bool startMenu = false;
    bool stopMenu = false;
    bool manual = false;      // sbtnManualLogging, "&Manual"
    bool idle = false;        // option, open, import, printer set-up
    bool data = false;        // save, print, clear, export
    bool towardFirst = false; // first page, page up
    bool towardLast = false;  // page down, last page
    bool fitView = false;
    bool operator==(const RecorderEnables&) const = default;
};
RecorderEnables ComputeEnables(const RecorderFlags& flags);

// --- window geometry ------------------------------------------------------------
struct RecorderGeometry {
    int left = 0, top = 0, width = 0, height = 0; // place at creation
    int minWidth = 0, minHeight = 0;              // smallest tracking size
    int maxWidth = 0, maxHeight = 0;              // maximised size
    int maxLeft = 0, maxTop = 0;                  // maximised position
};
RecorderGeometry ComputeRecorderGeometry(int screenWidth, int screenHeight, int mainWindowHeight,
                                         int taskbarHeight);

// --- data list -------------------------------------------------------------------
// The data list's line of the sample at a buffer position:
// "3, 12:00:01.5,1.234 mV  [DC],50.00 Hz"; resistance shows "Ohm".
std::string DataListLine(const RecordPair& pair, std::int64_t position);

} // namespace ostrel
