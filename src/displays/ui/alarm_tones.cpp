#include "displays/ui/alarm_tones.h"

#include "base/ui/window_thread_hand_over.h"

#include <QApplication>

#include <alsa/asoundlib.h>

#include <atomic>
#include <mutex>

namespace ostrel {
namespace {

constexpr unsigned kSampleRate = 48000;
constexpr unsigned kLatencyUs = 100000;

std::atomic<bool> g_soundEnabled{true};

// alsa-lib reports a missing device on standard error; the fallback beep
// already says all there is to say.
void QuietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

struct PcmCloser {
    void operator()(snd_pcm_t* pcm) const { snd_pcm_close(pcm); }
};

} // namespace

bool AlsaToneOutput::play(int frequencyHz, int durationMs) {
    static std::once_flag quiet;
    std::call_once(quiet, [] { snd_lib_error_set_handler(&QuietAlsaErrors); });

    snd_pcm_t* raw = nullptr;
    // Opened without blocking, so that a device held by another program
    // fails at once instead of stalling the tone.
    if (snd_pcm_open(&raw, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
        return false;
    std::unique_ptr<snd_pcm_t, PcmCloser> pcm(raw);
    if (snd_pcm_nonblock(pcm.get(), 0) < 0)
        return false;
    if (snd_pcm_set_params(pcm.get(), SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 1,
                           kSampleRate, 1, kLatencyUs) < 0)
        return false;
    const std::vector<std::int16_t> samples = SineTone(frequencyHz, durationMs, kSampleRate);
    std::size_t written = 0;
    int recoveries = 0;
    while (written < samples.size()) {
        const snd_pcm_sframes_t n =
            snd_pcm_writei(pcm.get(), samples.data() + written, samples.size() - written);
        if (n < 0) {
            if (++recoveries > 2 || snd_pcm_recover(pcm.get(), static_cast<int>(n), 1) < 0)
                return false;
            continue;
        }
        written += static_cast<std::size_t>(n);
    }
    snd_pcm_drain(pcm.get());
    return true;
}

void SetAlarmSoundEnabled(bool enabled) {
    g_soundEnabled = enabled;
}

bool AlarmSoundEnabled() {
    return g_soundEnabled;
}

std::unique_ptr<ToneSink> MakeAlarmTones() {
    if (!AlarmSoundEnabled())
        return nullptr;
    // The player's thread asks the window thread for the beep.
    return std::make_unique<TonePlayer>(std::make_unique<AlsaToneOutput>(), [] {
        if (QCoreApplication* app = QCoreApplication::instance())
            WindowThreadPoster(app)([] { QApplication::beep(); });
    });
}

} // namespace ostrel
