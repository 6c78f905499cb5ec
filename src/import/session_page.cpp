#include "import/session_page.h"

#include "link/reading.h"

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
    const SessionPair& pair = list[row];
    switch (column) {
    case kColumnNo:
        return std::to_string(row + 1);
    case kColumnTime:
        return std::string(FieldView(pair.main.timeText));
    case kColumnMain:
        return SessionReadingText(pair.main);
    case kColumnSub:
        return pair.hasSub && pair.sub ? SessionReadingText(*pair.sub) : std::string();
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

bool HasSub(const SessionPair& pair) {
    return pair.hasSub && pair.sub;
}

// The value of the chosen display (the main one where the pair has no sub record).
float ChosenValue(const SessionPair& pair, bool sub) {
    return sub && HasSub(pair) ? pair.sub->value : pair.main.value;
}

// Account for reading r in the extremes of one display.
template <class Value>
void Track(Extremes& extremes, const SessionList& list, std::int64_t r, Value value) {
    const auto& at = [&](int position) { return value(list[static_cast<std::size_t>(position)]); };
    TrackExtremes(extremes, static_cast<int>(r), value(list[static_cast<std::size_t>(r)]),
                  at(extremes.maxIndex), at(extremes.minIndex));
}

float MainValue(const SessionPair& pair) {
    return pair.main.value;
}
// A pair without a sub record (a session file may mix them) counts as 0.
float SubValue(const SessionPair& pair) {
    return HasSub(pair) ? pair.sub->value : 0.0f;
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
        for (std::size_t r = 0; r < n; ++r) {
            const SessionPair& pair = list[r];
            const auto position = static_cast<std::int64_t>(r);
            Track(plot.mainExtremes, list, position, MainValue);
            plot.mainEnabled = true;
            if (HasSub(pair)) {
                plot.subEnabled = true;
                plot.subExtremesShown = true;
                Track(plot.subExtremes, list, position, SubValue);
            } else {
                // A reading without a sub record: Main-Data is chosen from here on.
                plot.subChosen = false;
                plot.subEnabled = false;
            }
            const float v = ChosenValue(pair, plot.subChosen);
            ScaleY(plot.range, v, r == 0);
            plot.values.push_back(v);
        }
        return plot;
    }

    // The choices as the first pair allows them.
    plot.mainEnabled = true;
    plot.subEnabled = HasSub(list.front());
    if (!plot.subEnabled)
        plot.subChosen = false;
    std::vector<float> chosen(n);
    for (std::size_t r = 0; r < n; ++r)
        chosen[r] = ChosenValue(list[r], plot.subChosen);
    plot.positions = Decimate(chosen, 0, 0).positions;
    std::vector<float>().swap(chosen);
    plot.values.reserve(plot.positions.size());
    for (std::size_t j = 0; j < plot.positions.size(); ++j) {
        const std::int64_t r = plot.positions[j];
        const SessionPair& pair = list[static_cast<std::size_t>(r)];
        Track(plot.mainExtremes, list, r, MainValue);
        if (HasSub(pair)) {
            plot.subExtremesShown = true;
            Track(plot.subExtremes, list, r, SubValue);
        }
        const float v = ChosenValue(pair, plot.subChosen);
        ScaleY(plot.range, v, j == 0);
        plot.values.push_back(v);
    }
    return plot;
}

} // namespace ostrel
