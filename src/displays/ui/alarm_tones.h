#pragma once
// The comparator's alarm tones on this machine: a sine on the default ALSA
// device, played by a TonePlayer on its own thread; without a sound device
// each tone becomes one QApplication::beep(). The program's --no-sound turns
// the tones off altogether.

#include "displays/tone_player.h"

#include <memory>

namespace ostrel {

// A sine tone on the ALSA device "default" (48 kHz, mono). play() fails at
// once when the device cannot be opened or set up.
class AlsaToneOutput : public ToneOutput {
  public:
    bool play(int frequencyHz, int durationMs) override;
};

// Off: MakeAlarmTones gives no player, the alarm stays silent. On by default.
void SetAlarmSoundEnabled(bool enabled);
bool AlarmSoundEnabled();

// A player over AlsaToneOutput whose fallback beeps on the window thread;
// nullptr when the sound is off. Window thread.
std::unique_ptr<ToneSink> MakeAlarmTones();

} // namespace ostrel
