#pragma once
// The comparator's alarm tones, played on a thread of their own so that no
// window waits for a tone. A sound device that is missing or fails costs one
// fallback call per tone (the window side beeps) and nothing else.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace ostrel {

// Where the comparator sends its tones. Returns at once.
class ToneSink {
  public:
    virtual ~ToneSink() = default;
    virtual void playTone(int frequencyHz, int durationMs) = 0;
};

// A sound device: plays one tone to its end (blocking), false when it could
// not.
class ToneOutput {
  public:
    virtual ~ToneOutput() = default;
    virtual bool play(int frequencyHz, int durationMs) = 0;
};

// Samples of a sine tone (signed 16 bit, mono) at a moderate level, faded
// in and out over a few milliseconds so that it starts and ends without a
// click. Empty for a frequency or length of 0 or less.
std::vector<std::int16_t> SineTone(int frequencyHz, int durationMs, int sampleRate);

// Plays the tones asked for on its own thread, one at a time. A request that
// arrives while a tone plays replaces any other waiting one: tones that come
// faster than they can play are skipped, never queued. Once the output has
// failed it is not tried again; every tone then goes to the fallback (called
// on the player's thread), at most one per tone's length.
class TonePlayer : public ToneSink {
  public:
    using Fallback = std::function<void()>;
    TonePlayer(std::unique_ptr<ToneOutput> output, Fallback fallback);
    ~TonePlayer() override; // lets a tone in play end, drops a waiting one
    TonePlayer(const TonePlayer&) = delete;
    TonePlayer& operator=(const TonePlayer&) = delete;

    void playTone(int frequencyHz, int durationMs) override;

    // Tones finished (played or handed to the fallback). Any thread.
    int tonesDone() const;

  private:
    struct Tone {
        int frequencyHz;
        int durationMs;
    };
    void run();

    std::unique_ptr<ToneOutput> m_output;
    Fallback m_fallback;
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::optional<Tone> m_pending; // guarded by m_mutex
    // When the waiting tone was first asked for. Guarded by m_mutex.
    std::chrono::steady_clock::time_point m_pendingSince;
    bool m_stop = false;         // guarded by m_mutex
    bool m_idle = false;         // guarded by m_mutex: the thread waits for a tone
    int m_done = 0;              // guarded by m_mutex
    bool m_outputFailed = false; // player thread only
    std::thread m_thread;
};

} // namespace ostrel
