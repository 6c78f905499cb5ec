#pragma once
// The string-table numbers of the import window's texts that both its form
// and its session table show; the texts it shares with the recorder are in
// graph/ui/graph_window_texts.h.

namespace ostrel {

inline constexpr int kMainDataText = 7142; // "Main-Data"
inline constexpr int kSubDataText = 7143;  // "Sub-Data"

} // namespace ostrel
