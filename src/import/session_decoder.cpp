#include "import/session_decoder.h"

#include "import/session_codes.h"
#include "link/reading.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

namespace ostrel {
namespace {

constexpr std::size_t kHeaderSize = 6;      // byte 0, L (3 bytes), session count (2 bytes)
constexpr std::size_t kDescriptorSize = 14; // up to the first reading

} // namespace

std::int64_t LoggerAddressOffset(std::uint8_t lo, std::uint8_t mid, std::uint8_t hi) {
    // The division truncates toward zero: hi 0xA0 and 0xA1 are the same bank.
    const std::int64_t bank = (static_cast<std::int64_t>(hi) - 160) / 2;
    return bank * 65536 + static_cast<std::int64_t>(mid) * 256 + lo - 122;
}

namespace {

// The unit and function texts of one display depend only on its function
// and exponent: worked out once per session, not once per reading.
class RecordTexts {
  public:
    RecordTexts(std::uint32_t function, bool isMain)
        : m_function(function), m_functionText(SessionFunctionText(function, isMain)) {}

    std::uint32_t function() const { return m_function; }
    const std::string& functionText() const { return m_functionText; }
    const std::string& prefix(int e) {
        const int i = e - kLowest;
        if (i < 0 || i >= static_cast<int>(m_prefix.size())) {
            m_other = SessionPrefixText(m_function, e);
            return m_other;
        }
        auto& slot = m_prefix[static_cast<std::size_t>(i)];
        if (!slot)
            slot = SessionPrefixText(m_function, e);
        return *slot;
    }

  private:
    static constexpr int kLowest = -9;
    std::uint32_t m_function;
    std::string m_functionText;
    std::array<std::optional<std::string>, 19> m_prefix;
    std::string m_other;
};

TRecord MakeRecord(const LoggerValue& value, int table, const std::string& timeText,
                   RecordTexts& texts, bool* unknownRange) {
    const std::uint32_t function = texts.function();
    const std::optional<int> exponent = RangeExponent(table, value.range);
    if (unknownRange)
        *unknownRange = !exponent;
    const int e = exponent.value_or(0);
    std::string v = SessionValueText(value, function);
    const std::string data = SessionDataText(v, function, e);
    if (IsTemperatureCode(function) && !v.empty())
        v.pop_back();

    TRecord r;
    StoreField(r.valueText, v);
    char exponentText[8];
    StoreField(
        r.exponentText,
        std::string_view(exponentText, std::to_chars(exponentText, exponentText + 8, e).ptr));
    r.function = function;
    StoreField(r.timeText, timeText);
    StoreField(r.dataText, data);
    StoreField(r.unitText, texts.prefix(e));
    StoreField(r.functionText, texts.functionText());
    r.value = SessionValue(v, function, e);
    return r;
}

} // namespace

TRecord MakeSessionRecord(const LoggerValue& value, std::uint32_t function, int table,
                          const std::string& timeText, bool isMain, bool* unknownRange) {
    RecordTexts texts(function, isMain);
    return MakeRecord(value, table, timeText, texts, unknownRange);
}

namespace {

struct UnpackedSession {
    std::uint8_t f = 0, m = 0, g = 0;
    bool dual = false;
    std::vector<LoggerValue> values; // main (and sub) values in reading order
};

} // namespace

SessionDecodeResult DecodeLoggerImage(const std::uint8_t* image, std::size_t size,
                                      const SessionDecodeCallbacks& cb) {
    SessionDecodeResult result;
    auto notice = [&result](int id) {
        if (std::find(result.notices.begin(), result.notices.end(), id) == result.notices.end())
            result.notices.push_back(id);
    };
    if (size < kHeaderSize)
        return result;
    const std::size_t announced = image[4] | (image[5] << 8);
    result.announcedSessions = announced;
    std::size_t wanted = announced;
    if (wanted > kMaxSessions) {
        wanted = kMaxSessions;
        result.sessionsCut += announced - kMaxSessions;
        notice(7133);
    }

    // Unpack pass: follow the chain for the announced sessions, as long as it
    // stays inside the image.
    // Sessions follow one another: a descriptor that points back into what
    // was already read ends the chain, so that no byte is read twice and the
    // readings never outnumber what the image holds.
    std::vector<UnpackedSession> sessions;
    std::uint8_t lo = 0x80, mid = 0x00, hi = 0xA0;
    std::int64_t readUpTo = static_cast<std::int64_t>(kHeaderSize);
    for (std::size_t s = 0; s < wanted; ++s) {
        const std::int64_t d = LoggerAddressOffset(lo, mid, hi);
        if (d < readUpTo) {
            result.sessionsCut += wanted - s;
            notice(d < 0 ? 7132 : 7136);
            break;
        }
        if (static_cast<std::uint64_t>(d) + kDescriptorSize > size) {
            result.sessionsCut += wanted - s;
            notice(7132);
            break;
        }
        const std::uint8_t* desc = image + d;
        UnpackedSession& u = sessions.emplace_back();
        u.f = desc[8];
        u.m = desc[9];
        u.g = desc[10];
        u.dual = (u.g & 0x80) != 0;
        const std::size_t b = desc[11] | (desc[12] << 8) | (std::size_t(desc[13]) << 16);
        const std::size_t width = u.dual ? 6 : 3;
        const std::size_t first = static_cast<std::size_t>(d) + kDescriptorSize;
        std::size_t n = b / width;
        const std::size_t fit = (size - first) / width;
        if (n > fit) {
            result.readingsCut += n - fit;
            notice(7132);
            n = fit;
        }
        if (cb.setRange)
            cb.setRange(n);
        u.values.resize(n * (u.dual ? 2 : 1));
        const std::uint8_t* p = image + first;
        for (std::size_t i = 0; i < u.values.size(); ++i, p += 3) {
            u.values[i] = UnpackLoggerValue(p);
            if (cb.step && (!u.dual || (i & 1)))
                cb.step();
        }
        readUpTo = static_cast<std::int64_t>(first + n * width);
        lo = desc[5];
        mid = desc[6];
        hi = desc[7];
    }

    // Record pass.
    for (auto& u : sessions) {
        SessionList& list = *result.table.addSession();
        const SessionFunction fn = DecodeSessionFunction(u.f, u.m, u.g);
        if (!fn.known) {
            ++result.unknownFunctions;
            notice(7134);
        }
        const double interval = SampleInterval(u.g);
        RecordTexts mainTexts(fn.mainFunction, true);
        RecordTexts subTexts(fn.subFunction, false);
        const std::size_t n = u.values.size() / (u.dual ? 2 : 1);
        if (cb.setRange)
            cb.setRange(n);
        list.reserve(n);
        double t = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (cb.cancelled && cb.cancelled()) {
                result.table.clear();
                result.cancelled = true;
                return result;
            }
            if (i > 0)
                t += interval;
            const std::string time = SessionTimeText(t);
            SessionPair pair;
            bool unknown = false;
            const LoggerValue& mv = u.values[u.dual ? 2 * i : i];
            pair.main = MakeRecord(mv, fn.mainTable, time, mainTexts, &unknown);
            if (unknown)
                ++result.unknownRanges;
            if (u.dual) {
                pair.hasSub = 1;
                pair.sub = std::make_unique<TRecord>(
                    MakeRecord(u.values[2 * i + 1], fn.subTable, time, subTexts, &unknown));
                if (unknown)
                    ++result.unknownRanges;
            }
            list.push_back(std::move(pair));
            if (cb.step)
                cb.step();
        }
        std::vector<LoggerValue>().swap(u.values);
    }
    if (result.unknownRanges > 0)
        notice(7135);
    return result;
}

} // namespace ostrel
