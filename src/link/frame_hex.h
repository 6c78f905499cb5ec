#pragma once
// Display frames as hexadecimal text: 54 hex digits (27 bytes), blanks allowed
// anywhere, as the command-line tool and test fixtures write them.

#include "link/frame_codec.h"

#include <optional>
#include <string>
#include <string_view>

namespace ostrel {

// The frame written in text, or nothing when text holds anything but hex digits
// and blanks (space, tab, carriage return) or not exactly 54 digits.
std::optional<RawFrame> ParseFrameHex(std::string_view text);
// The same straight into frame; false (frame undefined) when text is no frame.
bool ParseFrameHex(std::string_view text, RawFrame& frame);

// The frame as 27 upper-case hex pairs separated by single spaces.
std::string FormatFrameHex(const RawFrame& raw);

} // namespace ostrel
