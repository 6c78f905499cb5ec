#include "simulator/simulated_meter.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>

namespace ostrel {

using Clock = std::chrono::steady_clock;

struct SimulatedMeter::State {
    State(SimulationOptions o, int cable)
        : options(std::move(o)), offset(static_cast<std::uint64_t>(cable) * 120),
          path(SimulatedCablePath(cable)), serial(SimulatedCableSerial(cable)) {}
    const SimulationOptions options; // the cable's own: its seed
    const std::uint64_t offset;      // its meter is this many answers ahead of the first's
    const std::string path;
    const std::string serial;
    std::mutex mutex;
    std::condition_variable changed;
    std::uint64_t answers = 0; // display answers given
    bool unplugged = false;
    Clock::time_point returnsAt; // when an unplugged cable comes back
    bool replugged = false;      // the replug profile's cable went away once
    // Counts the unplugs: a device opened before one stays dead, as a
    // device node does once its cable was pulled.
    std::uint64_t generation = 0;
    std::shared_ptr<LoggerResponder> logger;

    // Under the mutex.
    void unplug(Clock::time_point until) {
        unplugged = true;
        returnsAt = until;
        ++generation;
    }
    // Under the mutex: whether the cable is away now.
    bool away() {
        if (unplugged && Clock::now() >= returnsAt)
            unplugged = false;
        return unplugged;
    }
};

namespace {

constexpr double kPi = 3.14159265358979323846;

// Noise in [-1, 1), a pure function of the seed and the answer number.
double Noise(std::uint32_t seed, std::uint64_t n, std::uint32_t stream) {
    std::uint64_t x =
        (n + 1) * 0x9E3779B97F4A7C15ull ^ (static_cast<std::uint64_t>(seed) << 32) ^ stream;
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBull;
    x ^= x >> 31;
    return static_cast<double>(x >> 11) / static_cast<double>(1ull << 52) - 1.0;
}

// A display showing value with `decimals` digits after the point (four digits in all).
DisplayContent Digits(double value, int decimals, std::uint32_t function, int exponent) {
    DisplayContent d;
    d.negative = value < 0;
    long count = std::lround(std::fabs(value) * std::pow(10.0, decimals));
    count = std::clamp(count, 0L, 9999L);
    for (int i = 3; i >= 0; --i) {
        d.chars[static_cast<std::size_t>(i)] = static_cast<char>('0' + count % 10);
        count /= 10;
    }
    d.pointAfter = decimals > 0 ? 4 - decimals : 0;
    d.function = function;
    d.exponent = exponent;
    return d;
}

DisplayContent Blank() {
    return DisplayContent{};
}

} // namespace

// One cycle of 240 answers (a minute at four answers a second): DC volts with
// the AC ripple on the sub display, AC volts with the mains frequency, ohms
// ending in an open circuit, a temperature.
FrameContent SimulatedMeter::DisplayAt(std::uint64_t n, const SimulationOptions& options) {
    const std::uint32_t seed = options.seed;
    const std::uint64_t phase = n % 240;
    FrameContent f;
    f.status = options.statusByte;
    // The battery is fine unless lowbattery=N asks for the mark on every Nth answer.
    f.lowBattery = options.lowBatteryEvery > 0 && (n + 1) % options.lowBatteryEvery == 0;
    if (phase < 120) {
        const double volts = 0.8 + 1.2 * std::sin(2 * kPi * static_cast<double>(n) / 100.0) +
                             0.002 * Noise(seed, n, 1);
        f.main = Digits(volts, 3, nFunc_DcV, 0);
        f.sub = Digits(12.5 + 0.8 * Noise(seed, n, 2), 2, nFunc_AcV, -3);
    } else if (phase < 170) {
        f.main = Digits(230.0 + 1.5 * Noise(seed, n, 3), 1, nFunc_AcV, 0);
        f.sub = Digits(50.0 + 0.03 * Noise(seed, n, 4), 2, nFunc_Hz, 0);
    } else if (phase < 210) {
        if (phase < 190) {
            f.main = Digits(4.7 + 0.004 * Noise(seed, n, 5), 3, nFunc_Ohm, 3);
        } else {
            f.main = Blank();
            f.main.chars = {' ', '0', 'L', ' '}; // overload: the meter shows 0L
            f.main.function = nFunc_Ohm;
            f.main.exponent = 6;
        }
        f.sub = Blank();
    } else {
        f.main =
            Digits(23.4 + 0.3 * std::sin(static_cast<double>(n) / 7.0) + 0.05 * Noise(seed, n, 6),
                   1, nFunc_T1C, 0);
        // A temperature shows three digits and its degree letter.
        f.main.chars = {f.main.chars[1], f.main.chars[2], f.main.chars[3], 'C'};
        f.main.pointAfter = 2;
        f.sub = Blank();
    }
    return f;
}

namespace {

class SimulatedDevice final : public HidDevice {
  public:
    explicit SimulatedDevice(std::shared_ptr<SimulatedMeter::State> state)
        : m_state(std::move(state)), m_generation(m_state->generation) {}

    std::uint32_t write(const std::uint8_t* data, std::size_t size, int) override {
        std::lock_guard lock(m_state->mutex);
        if (m_interrupted)
            return kWaitAbandoned;
        if (pulled())
            return kWaitFailed;
        if (size < 4)
            return kWaitCompleted;
        const std::uint8_t c1 = data[2], c2 = data[3];
        if (c1 == 0x82 && c2 == 0x66)
            answerDisplay();
        else if (m_state->logger)
            queue(m_state->logger->answer(c1, c2));
        m_state->changed.notify_all();
        return kWaitCompleted;
    }

    HidReadResult read(std::uint8_t* buffer, std::size_t size, int timeoutMs) override {
        const SimulationOptions& o = m_state->options;
        // Without real time the clock is never asked.
        const bool timed = o.latencyMs > 0;
        const auto deadline =
            timed ? Clock::now() + std::chrono::milliseconds(timeoutMs) : Clock::time_point{};
        std::unique_lock lock(m_state->mutex);
        for (;;) {
            if (m_interrupted)
                return {kWaitAbandoned, 0, false};
            if (pulled())
                return {kWaitFailed, 0, false};
            const auto now = timed ? Clock::now() : Clock::time_point{};
            if (!m_pending.empty() && (!timed || m_pending.front().ready <= now)) {
                const InputReport report = m_pending.front().report;
                m_pending.pop_front();
                const std::size_t n = std::min(size, report.size());
                std::memcpy(buffer, report.data(), n);
                return {kWaitCompleted, n, true};
            }
            // Without real time nothing can arrive while we wait.
            if (!timed || now >= deadline)
                return {kWaitTimeout, 0, false};
            const auto wake =
                m_pending.empty() ? deadline : std::min(deadline, m_pending.front().ready);
            m_state->changed.wait_until(lock, wake);
        }
    }

    void cancel() override {}

    void interrupt() override {
        std::lock_guard lock(m_state->mutex);
        m_interrupted = true;
        m_state->changed.notify_all();
    }

    std::string serialNumber() override { return m_state->serial; }

    HidInterfaceInfo attributes() const override {
        return {kCableVendor, kCableProduct, kSimulatedReleaseNumber, m_state->path,
                m_state->serial};
    }

    static constexpr std::uint16_t kCableVendor = 0x0820;
    static constexpr std::uint16_t kCableProduct = 0x0001;

  private:
    struct Pending {
        InputReport report;
        Clock::time_point ready;
    };

    // Under the state's lock: the cable this device was opened on is gone.
    bool pulled() const { return m_state->unplugged || m_generation != m_state->generation; }

    // Under the state's lock.
    void answerDisplay() {
        const SimulationOptions& o = m_state->options;
        if (!o.answersDisplay)
            return;
        const std::uint64_t answers = m_state->answers;
        if (o.replugAfter > 0 && !m_state->replugged &&
            answers >= static_cast<std::uint64_t>(o.replugAfter)) {
            m_state->replugged = true;
            m_state->unplug(Clock::now() + std::chrono::milliseconds(o.goneMs));
            return;
        }
        if (o.unplugAfter > 0 && answers >= static_cast<std::uint64_t>(o.unplugAfter)) {
            m_state->unplug(Clock::time_point::max());
            return;
        }
        const std::uint64_t n = m_state->answers++;
        const RawFrame raw = EncodeFrame(SimulatedMeter::DisplayAt(n + m_state->offset, o));
        std::vector<InputReport> reports(3);
        for (std::size_t r = 0; r < 3; ++r)
            std::memcpy(reports[r].data(), raw.data() + r * 9, 9);
        if (o.partialEvery > 0 && (n + 1) % static_cast<std::uint64_t>(o.partialEvery) == 0)
            reports.resize(1);
        queue(reports);
    }

    void queue(const std::vector<InputReport>& reports) {
        const int latency = m_state->options.latencyMs;
        const auto ready =
            latency > 0 ? Clock::now() + std::chrono::milliseconds(latency) : Clock::time_point{};
        for (const auto& r : reports)
            m_pending.push_back({r, ready});
    }

    std::shared_ptr<SimulatedMeter::State> m_state;
    const std::uint64_t m_generation; // the state's generation when opened
    std::deque<Pending> m_pending;    // guarded by the state's mutex
    bool m_interrupted = false;       // guarded by the state's mutex
};

} // namespace

std::string SimulatedCablePath(int cable) {
    return cable == 0 ? kSimulatedPath : kSimulatedPath + ("-" + std::to_string(cable + 1));
}

std::string SimulatedCableSerial(int cable) {
    // The units 0x3412 + cable, 0x7856, 0xBC9A, 0xF0DE as UTF-8: three bytes each.
    std::string serial;
    for (std::uint32_t unit :
         {0x3412u + static_cast<std::uint32_t>(cable), 0x7856u, 0xBC9Au, 0xF0DEu}) {
        serial += static_cast<char>(0xE0 | (unit >> 12));
        serial += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        serial += static_cast<char>(0x80 | (unit & 0x3F));
    }
    return serial;
}

SimulatedMeter::SimulatedMeter(SimulationOptions options) : m_options(std::move(options)) {
    for (int cable = 0; cable < std::max(m_options.cables, 1); ++cable) {
        SimulationOptions own = m_options;
        own.seed += static_cast<std::uint32_t>(cable);
        m_states.push_back(std::make_shared<State>(std::move(own), cable));
    }
}

SimulatedMeter::~SimulatedMeter() = default;

int SimulatedMeter::cableAt(const std::string& path) const {
    for (std::size_t i = 0; i < m_states.size(); ++i)
        if (m_states[i]->path == path)
            return static_cast<int>(i);
    return -1;
}

std::vector<HidInterfaceInfo> SimulatedMeter::enumerate() {
    std::vector<HidInterfaceInfo> list;
    if (!m_options.cablePresent)
        return list;
    for (const auto& state : m_states) {
        std::lock_guard lock(state->mutex);
        if (!state->away())
            list.push_back({SimulatedDevice::kCableVendor, SimulatedDevice::kCableProduct,
                            kSimulatedReleaseNumber, state->path, state->serial});
    }
    return list;
}

std::unique_ptr<HidDevice> SimulatedMeter::open(const HidInterfaceInfo& info, HidOpenError* error) {
    const int cable = cableAt(info.path);
    HidOpenError why = HidOpenError::None;
    std::unique_ptr<HidDevice> device;
    if (!m_options.cablePresent || cable < 0) {
        why = HidOpenError::NoSuchInterface;
    } else {
        const auto& state = m_states[static_cast<std::size_t>(cable)];
        std::lock_guard lock(state->mutex);
        if (state->away())
            why = HidOpenError::NoSuchInterface;
        else if (!m_options.openable)
            why = HidOpenError::PermissionDenied;
        else
            device = std::make_unique<SimulatedDevice>(state);
    }
    if (error)
        *error = why;
    return device;
}

std::optional<CableAccessFacts> SimulatedMeter::accessFacts(const HidInterfaceInfo& info) {
    if (m_options.openable || cableAt(info.path) < 0)
        return std::nullopt;
    CableAccessFacts facts;
    facts.node.path = info.path;
    facts.node.found = true;
    facts.node.owner = "root";
    facts.node.group = "root";
    facts.node.mode = 0600;
    facts.node.udevTags.emplace(); // udev saw the node, and no rule tagged it
    facts.rule = SystemRuleFacts({});
    facts.rule.searched = UdevRuleFolders();
    if (CurrentUserFacts().id == 0) {
        facts.user = AccountFacts("nobody");
        if (!facts.user)
            facts.user = UserFacts{65534, "nobody", {65534}, {"nogroup"}, {}, {}};
        facts.user->standsFor = "simulated: root may open any node, so the cable is shown as "
                                "nobody sees it";
    }
    return facts;
}

void SimulatedMeter::setLoggerResponder(std::shared_ptr<LoggerResponder> responder, int cable) {
    const auto& state = m_states.at(static_cast<std::size_t>(cable));
    std::lock_guard lock(state->mutex);
    state->logger = std::move(responder);
}

std::uint64_t SimulatedMeter::answers(int cable) const {
    const auto& state = m_states.at(static_cast<std::size_t>(cable));
    std::lock_guard lock(state->mutex);
    return state->answers;
}

} // namespace ostrel
