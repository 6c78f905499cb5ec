#pragma once
// The string-table numbers of the shell's texts that more than one of its
// windows uses: the program's name, and the About box's caption, which is
// also the hint of the button that opens it.

namespace ostrel {

inline constexpr int kMakerNameText = 60;  // "Tarvix"
inline constexpr int kProgramNameText = 1; // "Ostrel"
inline constexpr int kAboutText = 1031;    // "About"

} // namespace ostrel
