#include "displays/tone_player.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace ostrel {

std::vector<std::int16_t> SineTone(int frequencyHz, int durationMs, int sampleRate) {
    if (frequencyHz <= 0 || durationMs <= 0 || sampleRate <= 0)
        return {};
    constexpr double kPi = 3.14159265358979323846;
    constexpr double kLevel = 0.4 * 32767.0;
    const auto frames = static_cast<std::size_t>(static_cast<std::int64_t>(sampleRate) *
                                                 std::min(durationMs, 10000) / 1000);
    const std::size_t ramp = std::min<std::size_t>(frames / 2, sampleRate / 200); // 5 ms
    std::vector<std::int16_t> samples(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        double gain = 1.0;
        const std::size_t fromEdge = std::min(i, frames - 1 - i);
        if (fromEdge < ramp)
            gain = 0.5 - 0.5 * std::cos(kPi * static_cast<double>(fromEdge) / ramp);
        const double phase = 2.0 * kPi * frequencyHz * static_cast<double>(i) / sampleRate;
        samples[i] = static_cast<std::int16_t>(std::lround(kLevel * gain * std::sin(phase)));
    }
    return samples;
}

TonePlayer::TonePlayer(std::unique_ptr<ToneOutput> output, Fallback fallback)
    : m_output(std::move(output)), m_fallback(std::move(fallback)) {
    m_thread = std::thread([this] { run(); });
}

TonePlayer::~TonePlayer() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_pending.reset();
    }
    m_cv.notify_all();
    m_thread.join();
}

void TonePlayer::playTone(int frequencyHz, int durationMs) {
    {
        std::lock_guard lock(m_mutex);
        if (!m_pending)
            m_pendingSince = std::chrono::steady_clock::now();
        m_pending = Tone{frequencyHz, durationMs};
        // A thread that plays or pauses takes the tone when it gets to it;
        // waking it for every reading beyond a limit would be for nothing.
        if (!m_idle)
            return;
    }
    m_cv.notify_all();
}

int TonePlayer::tonesDone() const {
    std::lock_guard lock(m_mutex);
    return m_done;
}

void TonePlayer::run() {
    // A beep stands for the whole tone: the next comes no sooner than the
    // beep's tone would have ended (pauseEnd), so that readings beyond a limit
    // beep at the tone's pace, not at the meter's. While tones keep coming
    // within the pauses, the thread sleeps each pause out and takes the newest
    // tone at its end: one wake-up a beep. Once a pause passed without a tone
    // it waits for the next tone without a timer, and only a tone that comes
    // within a pause has it wait out the rest.
    std::chrono::steady_clock::time_point pauseEnd;
    bool tonesWithinPauses = false;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (tonesWithinPauses) // not idle: the tones of the pause wait for its end
            m_cv.wait_until(lock, pauseEnd, [this] { return m_stop; });
        m_idle = true;
        m_cv.wait(lock, [this] { return m_stop || m_pending; });
        m_idle = false;
        const bool withinPause = m_pendingSince < pauseEnd;
        if (withinPause && !tonesWithinPauses)
            m_cv.wait_until(lock, pauseEnd, [this] { return m_stop; });
        if (m_stop)
            return;
        tonesWithinPauses = withinPause;
        const Tone tone = *m_pending;
        m_pending.reset();
        lock.unlock();
        bool played = false;
        if (!m_outputFailed && m_output) {
            played = m_output->play(tone.frequencyHz, tone.durationMs);
            m_outputFailed = !played;
        }
        if (!played && m_fallback)
            m_fallback();
        lock.lock();
        ++m_done;
        m_cv.notify_all();
        pauseEnd = std::chrono::steady_clock::now();
        if (!played)
            pauseEnd += std::chrono::milliseconds(std::clamp(tone.durationMs, 0, 10000));
    }
}

} // namespace ostrel
