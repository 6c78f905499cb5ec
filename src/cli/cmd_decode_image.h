#pragma once
// What download and decode-image share: decoding an image with a progress bar
// on standard error, telling what was cut, writing the session file and the
// text export.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ostrel::cli {

// A progress bar on standard error: "[#####     ] text", redrawn in place on
// a terminal at most ten times a second; elsewhere one line per tenth, or
// nothing when the bar is only for terminals.
class ProgressBar {
  public:
    explicit ProgressBar(bool onlyOnTerminal = false);
    void show(std::size_t done, std::size_t total, const std::string& text);
    void finish(); // draws the last state and ends the line

  private:
    void draw(int permille, const std::string& text);
    bool m_terminal;
    bool m_silent;
    std::chrono::steady_clock::time_point m_lastDraw{};
    int m_lastTenth = -1;
    int m_permille = 0;
    std::string m_text;
    bool m_drawn = false;
    bool m_pending = false;
};

struct SessionOutputs {
    std::optional<std::string> slr; // -o
    std::optional<std::string> csv; // --csv
    // Flushed to the disk before they replace their targets; outputs that can
    // be made again from an image file skip it.
    bool durable = true;
};

// Decode, report and write. Returns the exit status.
int DecodeAndWrite(const std::vector<std::uint8_t>& image, const SessionOutputs& outputs);

} // namespace ostrel::cli
