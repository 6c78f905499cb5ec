#include "import/session_list.h"

#include "import/session_codes.h"
#include "recorder/recorder_math.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string_view>

namespace ostrel {
namespace {

static_assert(sizeof(TRecord) == kTRecordSize, "a TRecord compares as its 76 bytes");

// Byte for byte, the value's bits included (-0 is not 0, a NaN equals itself).
bool SameBytes(const TRecord& a, const TRecord& b) {
    return std::memcmp(&a, &b, sizeof(TRecord)) == 0;
}

// The sum after steps more additions of d to t (step is index k), as
// one addition after the other rounds it. Within one binade [2^e, 2^(e+1))
// every double is a multiple of its unit u = 2^(e − 52), so t + d rounds to
// t + inc with the same inc for every t there, unless d is an odd multiple
// of u / 2 (a tie, which goes to the even neighbour and so depends on t).
// Away from ties, j steps that stay inside the binade are t + j × inc
// exactly, one multiplication in units of u.
double AddRepeatedly(double t, double d, std::size_t steps) {
    if (!(d > 0) || !std::isfinite(d)) {
        for (; steps > 0; --steps)
            t += d;
        return t;
    }
    int dExponent = 0;
    const double dMantissa = std::frexp(d, &dExponent);
    const auto dUnits = static_cast<std::uint64_t>(std::ldexp(dMantissa, 53));
    const int dLowest = dExponent - 53 + std::countr_zero(dUnits); // d's lowest bit: 2^dLowest
    constexpr std::uint64_t kBinadeEnd = std::uint64_t{1} << 53;   // 2^(e+1) in units of u
    while (steps > 0) {
        int e = 0; // t in [2^(e−1), 2^e)
        std::frexp(t, &e);
        const double next = t + d;
        int nextE = 0;
        std::frexp(next, &nextE);
        --steps;
        if (t < std::numeric_limits<double>::min() || nextE != e || dLowest == e - 54) {
            t = next; // zero or tiny, into the next binade, or a tie: one step
            continue;
        }
        const auto units = static_cast<std::uint64_t>(std::ldexp(t, 53 - e));
        const auto inc = static_cast<std::uint64_t>(std::ldexp(next - t, 53 - e));
        const auto at = units + inc; // next, in units of u
        const std::uint64_t more = std::min<std::uint64_t>(steps, (kBinadeEnd - 1 - at) / inc);
        t = std::ldexp(static_cast<double>(at + more * inc), e - 53);
        steps -= more;
    }
    return t;
}

} // namespace

std::vector<double> RunningSums(double interval, std::size_t n, std::size_t every) {
    std::vector<double> sums;
    if (n == 0 || every == 0)
        return sums;
    sums.reserve((n - 1) / every + 1);
    double t = 0;
    sums.push_back(t);
    for (std::size_t k = every; k < n; k += every)
        sums.push_back(t = AddRepeatedly(t, interval, every));
    return sums;
}

SessionList::SessionList(const std::uint8_t* codes, std::size_t n, Form form,
                         std::shared_ptr<const void> owner)
    : m_form(std::move(form)), m_codes(codes), m_owner(std::move(owner)), m_size(n), m_timed(true) {
    // The time of a reading is the running sum of the interval, as the
    // meter's clock adds it up; every kCheckpoint-th sum is kept, so that a
    // time anywhere costs a few dozen additions at most.
    m_checkpoints = RunningSums(m_form.interval, n, kCheckpoint);
    m_lastTime = n > 0 ? timeAt(n - 1) : 0;
}

LoggerValue SessionList::code(std::size_t i, bool sub) const {
    return UnpackLoggerValue(codes() + i * width() + (sub ? 3 : 0));
}

const SessionPair* SessionList::stored(std::size_t i) const {
    if (m_stored.empty())
        return nullptr;
    const auto it =
        std::lower_bound(m_stored.begin(), m_stored.end(), i,
                         [](const StoredPair& p, std::size_t k) { return p.index < k; });
    return it != m_stored.end() && it->index == i ? &it->pair : nullptr;
}

double SessionList::timeAt(std::size_t i) const {
    if (m_checkpoints.empty())
        return 0;
    const std::size_t k = std::min(i / kCheckpoint, m_checkpoints.size() - 1);
    double t = m_checkpoints[k];
    for (std::size_t j = k * kCheckpoint; j < i; ++j)
        t += m_form.interval;
    return t;
}

bool SessionList::hasSub(std::size_t i) const {
    if (const SessionPair* p = stored(i))
        return p->hasSub != 0;
    return m_form.dual;
}

float SessionList::value(std::size_t i, bool sub) const {
    if (const SessionPair* p = stored(i))
        return sub ? (p->hasSub ? p->sub->value : 0.0f) : p->main.value;
    if (sub && !m_form.dual)
        return 0.0f;
    return (sub ? m_form.sub : m_form.main)->value(code(i, sub));
}

void SessionList::chosenValues(std::size_t from, std::size_t n, bool sub, float* out) const {
    const bool readingSub = sub && m_form.dual;
    const SessionRecordMaker& maker = *(readingSub ? m_form.sub : m_form.main);
    const std::size_t w = width();
    const std::uint8_t* p = codes() + from * w + (readingSub ? 3 : 0);
    for (std::size_t k = 0; k < n; ++k, p += w)
        out[k] = maker.value(UnpackLoggerValue(p));
    // Pairs kept as they came have their own numbers.
    auto it = std::lower_bound(m_stored.begin(), m_stored.end(), from,
                               [](const StoredPair& p, std::size_t k) { return p.index < k; });
    for (; it != m_stored.end() && it->index < from + n; ++it) {
        const SessionPair& pair = it->pair;
        out[it->index - from] = sub && pair.hasSub ? pair.sub->value : pair.main.value;
    }
}

SessionList::CountValues SessionList::countValues(bool sub) const {
    CountValues counts;
    const SessionRecordMaker* maker = (sub && m_form.dual ? m_form.sub : m_form.main).get();
    if (maker)
        for (int k = 0; k < 16; ++k)
            counts[static_cast<std::size_t>(k)] = maker->countValues(k);
    return counts;
}

SessionList::Extremes SessionList::chosenExtremes(std::size_t from, std::size_t n, bool sub,
                                                  const CountValues& counts) const {
    Extremes e;
    const auto kept =
        std::lower_bound(m_stored.begin(), m_stored.end(), from,
                         [](const StoredPair& p, std::size_t k) { return p.index < k; });
    if (kept != m_stored.end() && kept->index < from + n) {
        // Pairs kept as they came have their own numbers: take them all.
        std::vector<float> values(n);
        chosenValues(from, n, sub, values.data());
        const auto [smallest, largest] = BlockExtremes(values);
        e.smallest = static_cast<std::size_t>(smallest);
        e.largest = static_cast<std::size_t>(largest);
        e.smallestValue = values[e.smallest];
        e.largestValue = values[e.largest];
        return e;
    }
    // The same numbers as chosenValues(), and the same comparisons as
    // BlockExtremes(), without a buffer between them; a count's number is
    // looked up where its range has a table.
    const bool readingSub = sub && m_form.dual;
    const SessionRecordMaker& maker = *(readingSub ? m_form.sub : m_form.main);
    const std::size_t w = width();
    const std::uint8_t* p = codes() + from * w + (readingSub ? 3 : 0);
    // The tables by range code, null where the number is worked out.
    const float* tables[16];
    for (std::size_t k = 0; k < 16; ++k)
        tables[k] = counts[k].size() == 10000 ? counts[k].data() : nullptr;
    const auto number = [&](const std::uint8_t* at) {
        const unsigned raw = at[1] | (at[2] << 8);
        const float* table = tables[at[0] & 0x0F];
        if ((at[0] & 0x40) != 0 || raw > 9999 || !table) // overload, a long count, no table
            return maker.value(UnpackLoggerValue(at));
        const float magnitude = table[raw];
        return (at[0] & 0x80) != 0 ? -magnitude : magnitude;
    };
    float largest = number(p);
    float smallest = largest;
    p += w;
    for (std::size_t k = 1; k < n; ++k, p += w) {
        const float v = number(p);
        if (v > largest) {
            largest = v;
            e.largest = k;
        }
        if (v < smallest) {
            smallest = v;
            e.smallest = k;
        }
    }
    e.largestValue = largest;
    e.smallestValue = smallest;
    return e;
}

TimeField SessionList::timeText(std::size_t i) const {
    if (const SessionPair* p = stored(i))
        return p->main.timeText;
    return SessionTimeField(timeAt(i));
}

void SessionList::record(std::size_t i, bool sub, TRecord& out) const {
    if (const SessionPair* p = stored(i)) {
        out = sub ? (p->hasSub ? *p->sub : TRecord{}) : p->main;
        return;
    }
    if (sub && !m_form.dual) {
        out = TRecord{};
        return;
    }
    (sub ? m_form.sub : m_form.main)->fill(out, code(i, sub), SessionTimeField(timeAt(i)));
}

SessionPair SessionList::operator[](std::size_t i) const {
    SessionPair pair;
    pair.hasSub = hasSub(i) ? 1 : 0;
    record(i, false, pair.main);
    if (pair.hasSub)
        record(i, true, pair.sub.emplace());
    return pair;
}

SessionPair SessionList::at(std::size_t i) const {
    if (i >= m_size)
        throw std::out_of_range("session pair");
    return (*this)[i];
}

std::size_t SessionList::heldBytes() const {
    std::size_t bytes = m_size * width() + m_checkpoints.capacity() * sizeof(double) +
                        m_stored.capacity() * sizeof(StoredPair);
    return bytes + (m_codes ? 0 : m_own.capacity() - m_size * width());
}

// --- appending ----------------------------------------------------------------

void SessionList::reserve(std::size_t n) {
    // The width is known once the first pair has come.
    m_reserved = n;
    if (n > m_size && m_size > 0)
        m_own.reserve(n * width());
    m_checkpoints.reserve(n / kCheckpoint + 1);
}

void SessionList::push_back(const SessionPair& pair) {
    static const TRecord kEmpty;
    append(pair.main, pair.hasSub ? (pair.sub ? &*pair.sub : &kEmpty) : nullptr);
}

void SessionList::formFrom(const TRecord& main, const TRecord* sub) {
    m_form.dual = sub != nullptr;
    m_form.interval = 0;
    m_form.main = std::make_shared<SessionRecordMaker>(main.function, true);
    m_form.sub = sub ? std::make_shared<SessionRecordMaker>(sub->function, false) : nullptr;
    m_timed = false;
}

bool SessionList::encode(const TRecord& record, SessionRecordMaker& maker, LoggerValue& value) {
    // The value text: "OL" or "-OL", the "----" of a temperature, or a count
    // "d.ddd" (five digits: "d.dddd") with an optional minus.
    std::string_view text = FieldView(record.valueText);
    value = LoggerValue{};
    if (text == "----") {
        value.flags = 0x4;
    } else {
        if (!text.empty() && text.front() == '-') {
            value.flags = 0x8;
            text.remove_prefix(1);
        }
        if (text == "OL") {
            value.flags |= 0x4;
        } else {
            if (text.size() < 5 || text.size() > 6 || text[1] != '.')
                return false;
            unsigned raw = 0;
            for (std::size_t k = 0; k < text.size(); ++k) {
                if (k == 1)
                    continue;
                if (text[k] < '0' || text[k] > '9')
                    return false;
                raw = raw * 10 + static_cast<unsigned>(text[k] - '0');
            }
            if (raw > 0xFFFF)
                return false;
            value.raw = static_cast<std::uint16_t>(raw);
        }
    }
    const std::string_view exponent = FieldView(record.exponentText);
    int e = 0;
    const auto [end, ec] = std::from_chars(exponent.data(), exponent.data() + exponent.size(), e);
    if (ec != std::errc() || end != exponent.data() + exponent.size() || e < -99 || e > 99)
        return false;
    const int range = maker.addExponent(e);
    if (range < 0)
        return false;
    value.range = static_cast<std::uint8_t>(range);
    return true;
}

void SessionList::store(const TRecord& main, const TRecord* sub) {
    StoredPair kept{m_size, {}};
    kept.pair.hasSub = sub ? 1 : 0;
    kept.pair.main = main;
    if (sub)
        kept.pair.sub = *sub;
    m_stored.push_back(std::move(kept));
}

void SessionList::append(const TRecord& main, const TRecord* sub) {
    if (m_codes) {
        // Readings of an image are never appended to; start an own copy.
        m_own.assign(m_codes, m_codes + m_size * width());
        m_codes = nullptr;
        m_owner.reset();
    }
    const std::size_t i = m_size;
    if (i == 0) {
        formFrom(main, sub);
        m_own.reserve(m_reserved * width());
    }
    // Makers shared with a copy of this list are copied before they change.
    if (m_form.main.use_count() > 1)
        m_form.main = std::make_shared<SessionRecordMaker>(*m_form.main);
    if (m_form.sub && m_form.sub.use_count() > 1)
        m_form.sub = std::make_shared<SessionRecordMaker>(*m_form.sub);

    // The time: 0 for the first pair; the second one's tells the interval.
    double t = 0;
    if (i == 1) {
        const std::string_view time = FieldView(main.timeText);
        for (std::uint8_t g = 0; g < 16 && !m_timed; ++g) {
            if (FieldView(SessionTimeField(SampleInterval(g))) == time) {
                m_form.interval = SampleInterval(g);
                m_timed = true;
            }
        }
    }
    if (i > 0)
        t = m_lastTime + m_form.interval;
    if (i % kCheckpoint == 0)
        m_checkpoints.push_back(t);
    m_lastTime = t;

    // Kept as a reading when the form makes the same records of it again.
    std::uint8_t bytes[6] = {};
    const TimeField time = i == 0 || m_timed ? m_appendClock.field(t) : TimeField{};
    const auto reading = [&](const TRecord& record, SessionRecordMaker& maker, std::uint8_t* at) {
        LoggerValue value;
        if (record.function != maker.function() || !encode(record, maker, value))
            return false;
        TRecord made;
        maker.fill(made, value, time);
        PackLoggerValue(value, at);
        return SameBytes(made, record);
    };
    if (!((i == 0 || m_timed) && (sub != nullptr) == m_form.dual &&
          reading(main, *m_form.main, bytes) && (!sub || reading(*sub, *m_form.sub, bytes + 3)))) {
        std::memset(bytes, 0, sizeof bytes);
        store(main, sub);
    }
    m_own.insert(m_own.end(), bytes, bytes + width());
    ++m_size;
}

// --- reading in order ------------------------------------------------------------

SessionList::Reader::Reader(const SessionList& list, std::size_t from) : m_list(list), m_next(0) {
    skipTo(from);
}

void SessionList::Reader::skipTo(std::size_t i) {
    const SessionList& list = m_list;
    if (i >= m_next && i - m_next <= kCheckpoint) {
        // Near: the running sum goes on.
        for (; m_next < i; ++m_next)
            m_time += list.m_form.interval;
    } else {
        m_next = i;
        m_time = i < list.m_size ? list.timeAt(i) : 0;
        m_stored = 0;
    }
    m_stored = static_cast<std::size_t>(
        std::lower_bound(list.m_stored.begin() +
                             static_cast<std::ptrdiff_t>(std::min(m_stored, list.m_stored.size())),
                         list.m_stored.end(), i,
                         [](const StoredPair& p, std::size_t k) { return p.index < k; }) -
        list.m_stored.begin());
}

bool SessionList::Reader::next() {
    const SessionList& list = m_list;
    if (m_next >= list.m_size)
        return false;
    m_position = m_next++;
    const double t = m_time;
    m_time += list.m_form.interval;
    if (m_stored < list.m_stored.size() && list.m_stored[m_stored].index == m_position) {
        const SessionPair& kept = list.m_stored[m_stored++].pair;
        m_mainRecord = &kept.main;
        m_subRecord = kept.hasSub ? &*kept.sub : nullptr;
        return true;
    }
    const TimeField time = m_clock.field(t);
    const std::uint8_t* p = list.codes() + m_position * list.width();
    list.m_form.main->fill(m_main, UnpackLoggerValue(p), time);
    m_mainRecord = &m_main;
    m_subRecord = nullptr;
    if (list.m_form.dual) {
        list.m_form.sub->fill(m_sub, UnpackLoggerValue(p + 3), time);
        m_subRecord = &m_sub;
    }
    return true;
}

} // namespace ostrel
