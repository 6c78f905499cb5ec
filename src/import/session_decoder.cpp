#include "import/session_decoder.h"

#include "import/session_codes.h"
#include "import/session_record_maker.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <map>

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

// The list of one session, over the image's bytes.
SessionList MakeSessionList(const std::uint8_t* image, const LoggerSessionSpan& span,
                            const SessionFunction& fn, std::shared_ptr<const void> owner) {
    SessionList::Form form;
    form.dual = span.dual;
    form.interval = SampleInterval(span.g);
    form.main = std::make_shared<SessionRecordMaker>(fn.mainFunction, fn.mainTable, true);
    if (span.dual)
        form.sub = std::make_shared<SessionRecordMaker>(fn.subFunction, fn.subTable, false);
    return SessionList(image + span.first, span.readings, std::move(form), std::move(owner));
}

// The readings of a session whose range code the tables do not list, counted
// in steps of kDecodeProgressStep readings; after each step step(to) says
// whether to go on.
template <class Step>
bool CountUnknownRanges(const std::uint8_t* codes, const LoggerSessionSpan& span,
                        const SessionFunction& fn, std::size_t* unknown, Step step) {
    // Bit k set: range code k is not listed.
    unsigned mainUnknown = 0, subUnknown = 0;
    for (unsigned k = 0; k < 16; ++k) {
        mainUnknown |= RangeExponent(fn.mainTable, static_cast<int>(k)) ? 0u : 1u << k;
        subUnknown |= RangeExponent(fn.subTable, static_cast<int>(k)) ? 0u : 1u << k;
    }
    if (!span.dual)
        subUnknown = 0;
    const std::size_t width = span.dual ? 6 : 3;
    for (std::size_t from = 0; from < span.readings; from += kDecodeProgressStep) {
        const std::size_t to = std::min(span.readings, from + kDecodeProgressStep);
        if (mainUnknown != 0 || subUnknown != 0) {
            std::size_t count = 0;
            const std::uint8_t* p = codes + from * width;
            for (std::size_t i = from; i < to; ++i, p += width)
                count += ((mainUnknown >> (p[0] & 0x0F)) & 1u) +
                         ((subUnknown >> (p[width - 3] & 0x0F)) & 1u);
            *unknown += count;
        }
        if (!step(to))
            return false;
    }
    return true;
}

SessionDecodeResult Decode(const std::uint8_t* image, std::size_t size,
                           const SessionDecodeCallbacks& cb,
                           const std::shared_ptr<const void>& owner) {
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
    for (std::size_t s = 0; s < sessions; ++s) {
        if (cb.cancelled && cb.cancelled())
            return cancel();
        const LoggerSessionSpan& span = chain.sessions[s];
        const SessionFunction fn = DecodeSessionFunction(span.f, span.m, span.g);
        if (!fn.known) {
            ++result.unknownFunctions;
            AddNotice(result.notices, 7134);
        }
        SessionList list = MakeSessionList(image, span, fn, owner);
        if (cb.progress)
            cb.progress(s, sessions, 0, span.readings);
        const bool done = CountUnknownRanges(image + span.first, span, fn, &result.unknownRanges,
                                             [&](std::size_t to) {
                                                 if (to == span.readings)
                                                     return true;
                                                 if (cb.cancelled && cb.cancelled())
                                                     return false;
                                                 if (cb.progress)
                                                     cb.progress(s, sessions, to, span.readings);
                                                 return true;
                                             });
        if (!done)
            return cancel();
        *result.table.addSession() = std::move(list);
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
    return DecodeLoggerImage(std::make_shared<const std::vector<std::uint8_t>>(image, image + size),
                             cb);
}

SessionDecodeResult DecodeLoggerImage(std::shared_ptr<const std::vector<std::uint8_t>> image,
                                      const SessionDecodeCallbacks& cb) {
    const std::uint8_t* bytes = image->data();
    const std::size_t size = image->size();
    return Decode(bytes, size, cb, std::move(image));
}

} // namespace ostrel
