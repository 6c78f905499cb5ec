#pragma once
// The numbered string table: every user-visible text of Ostrel has a number.
// The texts live in resources/strings.tsv and are compiled into the core.

#include <initializer_list>
#include <string>
#include <string_view>

namespace ostrel {

// Caption formats of numbered messages.
inline constexpr int kWarningCaption = 8999; // "Warning[W%d]"
inline constexpr int kErrorCaption = 9999;   // "Error[E%d]"

// The text with the given number; empty when the table has no such entry.
std::string_view Text(int id);

// True when the table holds an entry with this number.
bool HasText(int id);

// A caption formed from a format text (8999 or 9999) with its %d replaced by
// the decimal textId: NumberedCaption(9999, 9015) == "Error[E9015]".
std::string NumberedCaption(int formatId, int textId);

// "Error[E9004]: File open error." — the caption and the text on one line, as
// the command-line tool reports a numbered message.
std::string NumberedLine(int formatId, int textId);

// The text with each "%s" or "%d" replaced by the next of args, in order (a
// placeholder without an argument stays as it is). Arguments are never read
// as formats.
std::string FormatText(int id, std::initializer_list<std::string_view> args);

// NumberedLine of the text formatted with args.
std::string NumberedLine(int formatId, int textId, std::initializer_list<std::string_view> args);

} // namespace ostrel
