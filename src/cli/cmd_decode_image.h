#pragma once
// What download and decode-image share: decoding an image with a progress bar
// on standard error, telling what was cut, writing the session file and the
// text export.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ostrel::cli {

// A progress bar on standard error: "[#####     ] text", redrawn in place.
class ProgressBar {
  public:
    void show(std::size_t done, std::size_t total, const std::string& text);
    void finish(); // ends the line when a bar was drawn

  private:
    int m_lastPermille = -1;
    bool m_drawn = false;
};

struct SessionOutputs {
    std::optional<std::string> slr; // -o
    std::optional<std::string> csv; // --csv
};

// Decode, report and write. Returns the exit status.
int DecodeAndWrite(const std::vector<std::uint8_t>& image, const SessionOutputs& outputs);

} // namespace ostrel::cli
