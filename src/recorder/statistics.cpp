#include "recorder/statistics.h"

#include "base/number_format.h"
#include "recorder/sample_conversion.h"

#include <cmath>
#include <cstdio>

namespace ostrel {
namespace {

constexpr std::int64_t kDayMs = 24 * 3600 * 1000;

class TextCursor {
  public:
    explicit TextCursor(std::string_view text) : m_text(text) {}
    void skipBlanks() {
        while (m_at < m_text.size() && m_text[m_at] == ' ')
            ++m_at;
    }
    bool take(char c) {
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    // Up to maxDigits decimal digits (at least one); their count in *digits.
    bool number(std::int64_t& value, std::size_t maxDigits, std::size_t* digits = nullptr) {
        const std::size_t from = m_at;
        value = 0;
        while (m_at < m_text.size() && m_at - from < maxDigits && m_text[m_at] >= '0' &&
               m_text[m_at] <= '9')
            value = value * 10 + (m_text[m_at++] - '0');
        if (digits)
            *digits = m_at - from;
        return m_at > from;
    }
    // Exactly two digits below 60.
    bool sexagesimal(std::int64_t& value) {
        std::size_t digits = 0;
        return number(value, 2, &digits) && digits == 2 && value < 60;
    }
    // ".d…" as milliseconds (digits past the third are dropped).
    bool fraction(std::int64_t& ms) {
        ms = 0;
        if (!take('.'))
            return true;
        std::int64_t value = 0;
        std::size_t digits = 0;
        if (!number(value, 9, &digits))
            return false;
        for (; digits < 3; ++digits)
            value *= 10;
        for (; digits > 3; --digits)
            value /= 10;
        ms = value;
        return true;
    }
    bool atEnd() const { return m_at == m_text.size(); }

  private:
    std::string_view m_text;
    std::size_t m_at = 0;
};

} // namespace

std::optional<std::int64_t> TimeTextMilliseconds(std::string_view text) {
    TextCursor c(text);
    std::int64_t hours = 0, minutes = 0, seconds = 0, ms = 0;
    c.skipBlanks();
    if (!c.number(hours, 6) || !c.take(':') || !c.sexagesimal(minutes))
        return std::nullopt;
    if (c.take(':')) { // time of day
        if (hours >= 24 || !c.sexagesimal(seconds) || !c.fraction(ms) || !c.atEnd())
            return std::nullopt;
    } else if (c.take('\'')) { // time since the session's start
        c.skipBlanks();
        std::size_t digits = 0;
        if (!c.number(seconds, 2, &digits) || seconds >= 60 || !c.fraction(ms) || !c.take('"') ||
            !c.atEnd())
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    return ((hours * 60 + minutes) * 60 + seconds) * 1000 + ms;
}

bool IsSubstituteValue(const TRecord& record) {
    std::string_view text = FieldView(record.valueText);
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    double number = 0;
    return !ParseDecimal(text, number) || !std::isfinite(record.value);
}

std::optional<std::int64_t> SampleClock::place(std::string_view timeText) {
    const auto ms = TimeTextMilliseconds(timeText);
    if (!ms)
        return std::nullopt;
    std::int64_t at = *ms + m_dayOffset;
    // Earlier than the one before: the next day (or as many days as it
    // takes, for times since a session's start that run backwards).
    if (m_previous && at < *m_previous) {
        const std::int64_t days = (*m_previous - at + kDayMs - 1) / kDayMs;
        m_dayOffset += days * kDayMs;
        at += days * kDayMs;
    }
    m_previous = at;
    return at;
}

void DisplayAccumulator::add(const TRecord& record, std::string_view timeText,
                             std::optional<std::int64_t> atMs) {
    if (atMs) {
        if (!m_firstMs)
            m_firstMs = atMs;
        m_lastMs = atMs;
    }
    if (!m_function)
        m_function = record.function;
    else if (*m_function != record.function)
        m_mixed = true;
    if (IsSubstituteValue(record)) {
        ++m_overloads;
        return;
    }
    const float value = record.value;
    ++m_count;
    const double x = value;
    const double delta = x - m_mean;
    m_mean += delta / static_cast<double>(m_count);
    m_m2 += delta * (x - m_mean);
    // The first of equal extremes keeps its time.
    if (m_count == 1 || value < m_min) {
        m_min = value;
        m_minTime = timeText;
    }
    if (m_count == 1 || value > m_max) {
        m_max = value;
        m_maxTime = timeText;
    }
}

DisplayStatistics DisplayAccumulator::result() const {
    DisplayStatistics s;
    s.count = m_count;
    s.overloads = m_overloads;
    s.mixedFunctions = m_mixed;
    if (m_count > 0) {
        s.mean = m_mean;
        s.min = m_min;
        s.max = m_max;
        s.minTime = m_minTime;
        s.maxTime = m_maxTime;
    }
    if (m_count > 1)
        s.stddev = std::sqrt(m_m2 / static_cast<double>(m_count - 1));
    if (m_firstMs)
        s.span = static_cast<double>(*m_lastMs - *m_firstMs) / 1000.0;
    return s;
}

void SampleStatistics::add(const TRecord& main, const TRecord* sub) {
    ++m_samples;
    const std::string_view time = FieldView(main.timeText);
    const auto at = m_clock.place(time);
    m_main.add(main, time, at);
    if (sub)
        m_sub.add(*sub, time, at);
}

SampleStatistics StatisticsOf(const SampleBuffer& buffer, std::size_t first, std::size_t last) {
    SampleStatistics statistics;
    last = std::min(last, buffer.size());
    for (std::size_t i = first; i < last; ++i)
        statistics.add(buffer[i]);
    return statistics;
}

namespace {

std::string Figure(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", value);
    return text;
}

std::string Extreme(const std::optional<float>& value, const std::string& time) {
    if (!value)
        return {};
    const auto first = time.find_first_not_of(' ');
    return FormatShortest(*value) + "  " + (first == std::string::npos ? "" : time.substr(first));
}

} // namespace

StatisticsRow StatisticsRowOf(const DisplayStatistics& s) {
    StatisticsRow row;
    row.figures = {std::to_string(s.count),
                   s.mean ? Figure(*s.mean) : std::string(),
                   s.stddev ? Figure(*s.stddev) : std::string(),
                   Extreme(s.min, s.minTime),
                   Extreme(s.max, s.maxTime),
                   s.span ? Figure(*s.span) + " s" : std::string(),
                   std::to_string(s.overloads)};
    row.mixedFunctions = s.mixedFunctions;
    return row;
}

StatisticsRun StatisticsRunOf(std::string name, const SampleStatistics& statistics) {
    return {std::move(name), StatisticsRowOf(statistics.main().result()),
            StatisticsRowOf(statistics.sub().result())};
}

} // namespace ostrel
