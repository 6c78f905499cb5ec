#include "import/session_page.h"

#include "link/reading.h"

#include <atomic>
#include <system_error>
#include <thread>

namespace ostrel {

std::string SessionReadingText(const TRecord& record) {
    std::string text(FieldView(record.dataText));
    text += FieldView(record.unitText);
    if (record.function == nFunc_Ohm || record.function == nFunc_Conti)
        text += " Ohm";
    else
        text += FieldView(record.functionText);
    return text;
}

std::string SessionCellText(const SessionList& list, std::size_t row, int column) {
    if (row >= list.size())
        return {};
    switch (column) {
    case kColumnNo:
        return std::to_string(row + 1);
    case kColumnTime:
        return std::string(FieldView(list.timeText(row)));
    case kColumnMain:
    case kColumnSub: {
        const bool sub = column == kColumnSub;
        if (sub && !list.hasSub(row))
            return {};
        TRecord record;
        list.record(row, sub, record);
        return SessionReadingText(record);
    }
    default:
        return {};
    }
}

std::int64_t SessionPagePlot::readingAt(std::int64_t point) const {
    if (point < 0 || point >= static_cast<std::int64_t>(points()))
        return -1;
    return oneToOne ? point : positions[static_cast<std::size_t>(point)];
}

namespace {

// Account for reading r in the extremes of one display (a pair without a sub
// record counts as 0 on the sub side).
void Track(Extremes& extremes, const SessionList& list, std::int64_t r, bool sub) {
    const auto at = [&](std::int64_t position) {
        return list.value(static_cast<std::size_t>(position), sub);
    };
    TrackExtremes(extremes, static_cast<int>(r), at(r), at(extremes.maxIndex),
                  at(extremes.minIndex));
}

// The plotted points of a long session: the first smallest and the first
// largest reading of each block of step readings, in increasing order, with
// their values and time texts. A last reading left over alone is dropped.
// Every reading's value is worked out, so a helper thread takes blocks too,
// a few dozen at a time, as long as some are left: on a busy machine, where
// it may start late, this thread simply does more of them.
void DecimatedPoints(const SessionList& list, bool sub, SessionPagePlot& plot) {
    auto n = static_cast<std::int64_t>(list.size());
    const std::int64_t step = std::max<std::int64_t>(1, n / kDecimationBlocks);
    if (n % step == 1)
        --n;
    const auto blocks = static_cast<std::size_t>((n + step - 1) / step);
    plot.positions.resize(2 * blocks);
    plot.values.resize(2 * blocks);
    plot.labels.resize(2 * blocks);
    constexpr std::size_t kTake = 64;
    std::atomic<std::size_t> next{0};
    const SessionList::CountValues counts = list.countValues(sub);
    const auto decimate = [&] {
        for (std::size_t first; (first = next.fetch_add(kTake)) < blocks;) {
            for (std::size_t k = first; k < std::min(blocks, first + kTake); ++k) {
                const auto b = static_cast<std::int64_t>(k) * step;
                const auto length = static_cast<std::size_t>(std::min(step, n - b));
                const SessionList::Extremes e =
                    list.chosenExtremes(static_cast<std::size_t>(b), length, sub, counts);
                // In increasing order of position (both the same when they coincide).
                const bool smallestFirst = e.smallest <= e.largest;
                const std::size_t at[2] = {smallestFirst ? e.smallest : e.largest,
                                           smallestFirst ? e.largest : e.smallest};
                const float value[2] = {smallestFirst ? e.smallestValue : e.largestValue,
                                        smallestFirst ? e.largestValue : e.smallestValue};
                for (std::size_t j = 0; j < 2; ++j) {
                    plot.positions[2 * k + j] = b + static_cast<std::int64_t>(at[j]);
                    plot.values[2 * k + j] = value[j];
                    plot.labels[2 * k + j] =
                        list.timeText(static_cast<std::size_t>(plot.positions[2 * k + j]));
                }
            }
        }
    };
    std::thread helper;
    try {
        helper = std::thread(decimate);
    } catch (const std::system_error&) {
        // no helper to be had: this thread does them all
    }
    decimate();
    if (helper.joinable())
        helper.join();
}

} // namespace

SessionPagePlot PlotSessionPage(const SessionList& list, bool subChosen, YRange range) {
    SessionPagePlot plot;
    plot.range = range;
    plot.subChosen = subChosen;
    const std::size_t n = list.size();
    if (n == 0)
        return plot;

    plot.oneToOne = n < kOneToOneLimit;
    if (plot.oneToOne) {
        plot.values.reserve(n);
        plot.labels.reserve(n);
        for (SessionList::Reader pair(list); pair.next();) {
            const std::size_t r = pair.position();
            const auto position = static_cast<std::int64_t>(r);
            Track(plot.mainExtremes, list, position, false);
            plot.mainEnabled = true;
            if (pair.sub()) {
                plot.subEnabled = true;
                plot.subExtremesShown = true;
                Track(plot.subExtremes, list, position, true);
            } else {
                // A reading without a sub record: Main-Data is chosen from here on.
                plot.subChosen = false;
                plot.subEnabled = false;
            }
            const float v = plot.subChosen && pair.sub() ? pair.sub()->value : pair.main().value;
            ScaleY(plot.range, v, r == 0);
            plot.values.push_back(v);
            plot.labels.push_back(pair.main().timeText);
        }
        return plot;
    }

    // The choices as the first pair allows them.
    plot.mainEnabled = true;
    plot.subEnabled = list.hasSub(0);
    if (!plot.subEnabled)
        plot.subChosen = false;
    DecimatedPoints(list, plot.subChosen, plot);
    for (std::size_t j = 0; j < plot.positions.size(); ++j) {
        const std::int64_t r = plot.positions[j];
        Track(plot.mainExtremes, list, r, false);
        if (list.hasSub(static_cast<std::size_t>(r))) {
            plot.subExtremesShown = true;
            Track(plot.subExtremes, list, r, true);
        }
        ScaleY(plot.range, plot.values[j], j == 0);
    }
    return plot;
}

} // namespace ostrel
