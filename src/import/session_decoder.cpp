#include "import/session_decoder.h"

#include "import/large_lists.h"
#include "import/session_codes.h"
#include "import/session_record_maker.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <map>
#include <system_error>
#include <thread>
#include <type_traits>

namespace ostrel {
namespace {

constexpr std::size_t kHeaderSize = 6;      // byte 0, L (3 bytes), session count (2 bytes)
constexpr std::size_t kDescriptorSize = 14; // up to the first reading

void AddNotice(std::vector<int>& notices, int id) {
    if (std::find(notices.begin(), notices.end(), id) == notices.end())
        notices.push_back(id);
}

// The byte ranges of the image already read, [start, end), none overlapping.
class ReadRanges {
  public:
    void add(std::size_t start, std::size_t end) {
        if (end > start)
            m_ranges.emplace(start, end);
    }
    // Whether [start, end) touches a range already read.
    bool overlaps(std::size_t start, std::size_t end) const { return limit(start, end) < end; }
    // Where [start, end) first meets a range already read (end when nowhere).
    std::size_t limit(std::size_t start, std::size_t end) const {
        auto next = m_ranges.upper_bound(start);
        if (next != m_ranges.begin() && std::prev(next)->second > start)
            return start; // start lies inside a range
        return next != m_ranges.end() ? std::min(end, next->first) : end;
    }

  private:
    std::map<std::size_t, std::size_t> m_ranges;
};

} // namespace

std::int64_t LoggerAddressOffset(std::uint8_t lo, std::uint8_t mid, std::uint8_t hi) {
    // The division truncates toward zero: hi 0xA0 and 0xA1 are the same bank.
    const std::int64_t bank = (static_cast<std::int64_t>(hi) - 160) / 2;
    return bank * 65536 + static_cast<std::int64_t>(mid) * 256 + lo - 122;
}

LoggerChain WalkLoggerChain(const std::uint8_t* image, std::size_t size) {
    LoggerChain chain;
    if (size < kHeaderSize)
        return chain;
    const std::size_t announced = image[4] | (image[5] << 8);
    chain.announcedSessions = announced;
    std::size_t wanted = announced;
    if (wanted > kMaxSessions) {
        wanted = kMaxSessions;
        chain.sessionsCut += announced - kMaxSessions;
        AddNotice(chain.notices, 7133);
    }

    // A meter whose memory wraps or reuses freed space stores its sessions in
    // any order: the chain decides the order, never the addresses.
    ReadRanges read;
    read.add(0, kHeaderSize);
    std::uint8_t lo = 0x80, mid = 0x00, hi = 0xA0;
    for (std::size_t s = 0; s < wanted; ++s) {
        const std::int64_t d = LoggerAddressOffset(lo, mid, hi);
        if (d < 0 || static_cast<std::uint64_t>(d) + kDescriptorSize > size) {
            chain.sessionsCut += wanted - s;
            AddNotice(chain.notices, 7132);
            break;
        }
        const auto at = static_cast<std::size_t>(d);
        if (read.overlaps(at, at + kDescriptorSize)) {
            chain.sessionsCut += wanted - s;
            AddNotice(chain.notices, 7136);
            break;
        }
        const std::uint8_t* desc = image + at;
        LoggerSessionSpan span;
        span.descriptor = at;
        span.f = desc[8];
        span.m = desc[9];
        span.g = desc[10];
        span.dual = (span.g & 0x80) != 0;
        span.first = at + kDescriptorSize;
        const std::size_t width = span.dual ? 6 : 3;
        const std::size_t b = desc[11] | (desc[12] << 8) | (std::size_t(desc[13]) << 16);
        const std::size_t announcedReadings = b / width;
        std::size_t n = std::min(announcedReadings, (size - span.first) / width);
        if (n < announcedReadings)
            AddNotice(chain.notices, 7132);
        read.add(at, span.first);
        const std::size_t free = read.limit(span.first, span.first + n * width);
        if (free < span.first + n * width) {
            n = (free - span.first) / width;
            AddNotice(chain.notices, 7137);
        }
        chain.readingsCut += announcedReadings - n;
        span.readings = n;
        read.add(span.first, span.first + n * width);
        chain.sessions.push_back(span);
        lo = desc[5];
        mid = desc[6];
        hi = desc[7];
    }
    return chain;
}

namespace {

// Sessions shorter than this are decoded on the calling thread alone.
constexpr std::size_t kPartedSession = std::size_t{1} << 18;

// One stretch of a session's readings, decoded by one thread.
struct SessionPart {
    std::size_t begin = 0, end = 0;
    double startTime = 0; // time of the reading at begin
    std::size_t unknownRanges = 0;
};

// The records of one session, into its list in the table (shared out between
// threads when it is long) or, reading by reading, to a sink.
class SessionRecordPass {
  public:
    SessionRecordPass(const std::uint8_t* image, const LoggerSessionSpan& span, SessionList* list,
                      SessionSink* sink)
        : m_image(image), m_span(span), m_list(list), m_sink(sink),
          m_fn(DecodeSessionFunction(span.f, span.m, span.g)), m_interval(SampleInterval(span.g)),
          m_main(m_fn.mainFunction, m_fn.mainTable, true),
          m_sub(m_fn.subFunction, m_fn.subTable, false) {}

    bool knownFunction() const { return m_fn.known; }

    // Decode every reading; the calling thread takes the first part and
    // reports. False when cancelled (the list is then incomplete).
    bool run(std::size_t session, std::size_t sessions, const SessionDecodeCallbacks& cb,
             std::size_t* unknownRanges) {
        const std::size_t n = m_span.readings;
        if (m_list) {
            ReserveLarge(*m_list, n);
            m_list->resize(n);
        }
        const unsigned parts = m_list && n >= kPartedSession ? LargeListThreads() : 1;
        std::vector<SessionPart> part(parts);
        // The time of each part's first reading, from the same running sum
        // the reading before it ends with.
        double t = 0;
        for (unsigned k = 0; k < parts; ++k) {
            part[k].begin = n * k / parts;
            part[k].end = n * (k + 1) / parts;
            if (k > 0)
                for (std::size_t i = part[k - 1].begin; i < part[k].begin; ++i)
                    if (i > 0)
                        t += m_interval;
            part[k].startTime = k > 0 && part[k].begin > 0 ? t + m_interval : 0;
        }
        std::vector<std::thread> helpers;
        for (unsigned k = 1; k < parts; ++k) {
            try {
                helpers.emplace_back([this, &part, k] { decode(part[k], nullptr); });
            } catch (const std::system_error&) {
                decode(part[k], nullptr); // no thread to be had: here, then
            }
        }
        auto report = [&](std::size_t) {
            if (cb.cancelled && cb.cancelled())
                m_stop = true;
            else if (cb.progress)
                cb.progress(session, sessions, m_done.load(std::memory_order_relaxed), n);
        };
        decode(part[0], report);
        for (auto& h : helpers)
            h.join();
        for (const auto& p : part)
            *unknownRanges += p.unknownRanges;
        return !m_stop;
    }

  private:
    // Decode one part; report (on the calling thread only) every
    // kDecodeProgressStep readings.
    template <class Report> void decode(SessionPart& part, Report report) {
        const std::size_t width = m_span.dual ? 6 : 3;
        const std::uint8_t* p = m_image + m_span.first + part.begin * width;
        double t = part.startTime;
        SessionClock clock;
        TRecord main, sub; // for a sink: every field is filled anew for each reading
        std::size_t counted = part.begin;
        for (std::size_t i = part.begin; i < part.end; ++i) {
            if (i > part.begin)
                t += m_interval; // a running sum, as the meter's clock adds up
            if ((i - part.begin) % kDecodeProgressStep == 0 && i > part.begin) {
                m_done.fetch_add(i - counted, std::memory_order_relaxed);
                counted = i;
                if constexpr (!std::is_same_v<Report, std::nullptr_t>)
                    report(i);
                if (m_stop.load(std::memory_order_relaxed))
                    return;
            }
            const TimeField time = clock.field(t);
            if (m_list) {
                SessionPair& pair = (*m_list)[i];
                if (m_span.dual) {
                    pair.hasSub = 1;
                    pair.sub = std::make_unique<TRecord>();
                }
                part.unknownRanges += fill(p, time, pair.main, pair.sub.get());
            } else {
                part.unknownRanges += fill(p, time, main, m_span.dual ? &sub : nullptr);
                m_sink->reading(main, m_span.dual ? &sub : nullptr);
            }
            p += m_span.dual ? 6 : 3;
        }
        m_done.fetch_add(part.end - counted, std::memory_order_relaxed);
    }

    // The records of the reading at p; returns how many have a range code
    // the tables do not list.
    int fill(const std::uint8_t* p, const TimeField& time, TRecord& main, TRecord* sub) const {
        int unknown = m_main.fill(main, UnpackLoggerValue(p), time) ? 0 : 1;
        if (sub)
            unknown += m_sub.fill(*sub, UnpackLoggerValue(p + 3), time) ? 0 : 1;
        return unknown;
    }

    const std::uint8_t* m_image;
    const LoggerSessionSpan& m_span;
    SessionList* m_list;
    SessionSink* m_sink;
    const SessionFunction m_fn;
    const double m_interval;
    const SessionRecordMaker m_main;
    const SessionRecordMaker m_sub;
    std::atomic<std::size_t> m_done{0};
    std::atomic<bool> m_stop{false};
};

// Into the table (sink null) or to the sink.
SessionDecodeResult Decode(const std::uint8_t* image, std::size_t size,
                           const SessionDecodeCallbacks& cb, SessionSink* sink) {
    SessionDecodeResult result;
    LoggerChain chain = WalkLoggerChain(image, size);
    result.announcedSessions = chain.announcedSessions;
    result.readingsCut = chain.readingsCut;
    result.sessionsCut = chain.sessionsCut;
    result.notices = std::move(chain.notices);
    auto cancel = [&result] {
        result.table.clear();
        result.cancelled = true;
        return std::move(result);
    };

    const std::size_t sessions = chain.sessions.size();
    if (sink)
        sink->begin(sessions);
    for (std::size_t s = 0; s < sessions; ++s) {
        if (cb.cancelled && cb.cancelled())
            return cancel();
        const LoggerSessionSpan& span = chain.sessions[s];
        if (sink)
            sink->beginSession(s, span.readings);
        SessionRecordPass pass(image, span, sink ? nullptr : result.table.addSession(), sink);
        if (!pass.knownFunction()) {
            ++result.unknownFunctions;
            AddNotice(result.notices, 7134);
        }
        if (cb.progress)
            cb.progress(s, sessions, 0, span.readings);
        if (!pass.run(s, sessions, cb, &result.unknownRanges))
            return cancel();
        if (cb.progress)
            cb.progress(s, sessions, span.readings, span.readings);
    }
    if (result.unknownRanges > 0)
        AddNotice(result.notices, 7135);
    return result;
}

} // namespace

SessionDecodeResult DecodeLoggerImage(const std::uint8_t* image, std::size_t size,
                                      const SessionDecodeCallbacks& cb) {
    return Decode(image, size, cb, nullptr);
}

SessionDecodeResult DecodeLoggerImage(const std::uint8_t* image, std::size_t size,
                                      SessionSink& sink, const SessionDecodeCallbacks& cb) {
    return Decode(image, size, cb, &sink);
}

} // namespace ostrel
