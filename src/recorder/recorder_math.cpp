#include "recorder/recorder_math.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace ostrel {

void ScaleY(YRange& range, float v, bool firstSample) {
    if (!std::isfinite(v))
        return;
    constexpr double k = 1.0 / 1.33;
    const float top = static_cast<float>(std::fabs(v) * 1.33);
    const float high = top == 0.0f ? 1.0f : top;
    const float low = top == 0.0f ? -1.0f : -top;
    if (firstSample) {
        range.max = high;
        range.min = low;
        return;
    }
    if (!(k * range.max > v))
        range.max = high;
    if (v <= k * range.min)
        range.min = low;
}

void TrackExtremes(Extremes& extremes, int position, float v, float valueAtMax, float valueAtMin) {
    if (position == 0) {
        extremes.maxIndex = 0;
        extremes.minIndex = 0;
        return;
    }
    if (v >= valueAtMax) {
        extremes.maxIndex = position;
    } else if (v <= valueAtMin) {
        extremes.minIndex = position;
    }
}

void AccountSample(const SampleBuffer& buffer, std::size_t position, YRange& range,
                   Extremes& extremes) {
    const float v = buffer[position].main.value;
    ScaleY(range, v, position == 0);
    // Positions beyond the int range would only occur past 300 GB of samples.
    TrackExtremes(extremes, static_cast<int>(std::min<std::size_t>(position, INT32_MAX)), v,
                  buffer[static_cast<std::size_t>(extremes.maxIndex)].main.value,
                  buffer[static_cast<std::size_t>(extremes.minIndex)].main.value);
}

void ScanBuffer(const SampleBuffer& buffer, YRange& range, Extremes& extremes) {
    range = YRange{};
    extremes = Extremes{};
    for (std::size_t i = 0; i < buffer.size(); ++i)
        AccountSample(buffer, i, range, extremes);
}

int LastPageFor(std::int64_t count, int pointsPerPage) {
    if (count <= 0 || pointsPerPage <= 0)
        return 1;
    return static_cast<int>((count - 1) / pointsPerPage + 1);
}

PageLayout LayoutPage(std::int64_t count, int pointsPerPage, int lastPage, int viewedPage) {
    PageLayout layout;
    const std::int64_t p = pointsPerPage;
    const std::int64_t a = count - std::int64_t(lastPage - viewedPage) * p;
    if (p <= 0)
        return layout;
    if (a >= p) {
        layout.firstPosition = count - std::int64_t(lastPage - viewedPage + 1) * p;
        layout.filledPoints = pointsPerPage;
        // A page beyond the newest sample (viewed > last) would run past the
        // buffer: keep only the positions that exist.
        if (layout.firstPosition + p > count) {
            layout.filledPoints =
                static_cast<int>(std::max<std::int64_t>(0, count - layout.firstPosition));
        }
        return layout;
    }
    const std::int64_t filled = std::max<std::int64_t>(0, a);
    layout.blankPoints = static_cast<int>(p - filled);
    layout.firstPosition = 0;
    layout.filledPoints = static_cast<int>(filled);
    return layout;
}

std::int64_t PointPosition(int point, std::int64_t count, int pointsPerPage, int lastPage,
                           int viewedPage) {
    if (point < 0 || point >= pointsPerPage)
        return -1;
    const std::int64_t pos =
        point + count - std::int64_t(pointsPerPage) * (lastPage - viewedPage + 1);
    if (pos < 0 || pos >= count)
        return -1;
    return pos;
}

std::vector<GraphPoint> FillPage(const SampleBuffer& buffer, int pointsPerPage, int lastPage,
                                 int viewedPage) {
    std::vector<GraphPoint> points(static_cast<std::size_t>(std::max(0, pointsPerPage)));
    const PageLayout layout =
        LayoutPage(static_cast<std::int64_t>(buffer.size()), pointsPerPage, lastPage, viewedPage);
    for (int i = 0; i < layout.filledPoints; ++i) {
        const RecordPair& pair = buffer[static_cast<std::size_t>(layout.firstPosition + i)];
        GraphPoint& point = points[static_cast<std::size_t>(layout.blankPoints + i)];
        point.y = pair.main.value;
        point.label = std::string(FieldView(pair.main.timeText));
    }
    return points;
}

Decimation Decimate(std::span<const float> values, std::int64_t maxPosition,
                    std::int64_t minPosition) {
    Decimation d;
    std::int64_t n = static_cast<std::int64_t>(values.size());
    const std::int64_t step = std::max<std::int64_t>(1, n / kDecimationBlocks);
    d.oneToOne = step == 1;
    if (d.oneToOne) {
        d.maxPoint = maxPosition;
        d.minPoint = minPosition;
        return d;
    }
    if (n % step == 1)
        --n;
    d.positions.reserve(static_cast<std::size_t>((n / step + 1) * 2));
    bool maxFound = false;
    bool minFound = false;
    const auto append = [&](std::int64_t position) {
        d.positions.push_back(position);
        const auto index = static_cast<std::int64_t>(d.positions.size()) - 1;
        if (position == maxPosition) {
            d.maxPoint = index;
            maxFound = true;
        }
        if (position == minPosition) {
            d.minPoint = index;
            minFound = true;
        }
    };
    for (std::int64_t b = 0; b < n; b += step) {
        const auto [smallest, largest] = BlockExtremes(values.subspan(
            static_cast<std::size_t>(b), static_cast<std::size_t>(std::min(step, n - b))));
        append(b + std::min(smallest, largest));
        append(b + std::max(smallest, largest));
    }
    // The sample may be hidden behind an equal value earlier in its block: use
    // that value's point. Else (the dropped last sample) the nearest plotted point.
    const auto nearest = [&](std::int64_t position) {
        const std::int64_t block = position / step;
        if (position >= 0 && position < n) {
            const float v = values[static_cast<std::size_t>(position)];
            for (const std::int64_t k : {2 * block, 2 * block + 1})
                if (values[static_cast<std::size_t>(d.positions[static_cast<std::size_t>(k)])] == v)
                    return k;
        }
        const auto it = std::lower_bound(d.positions.begin(), d.positions.end(), position);
        if (it == d.positions.end())
            return static_cast<std::int64_t>(d.positions.size()) - 1;
        if (it == d.positions.begin())
            return std::int64_t{0};
        const auto after = it - d.positions.begin();
        return (*it - position) < (position - *(it - 1)) ? after : after - 1;
    };
    if (!maxFound && !d.positions.empty())
        d.maxPoint = nearest(maxPosition);
    if (!minFound && !d.positions.empty())
        d.minPoint = nearest(minPosition);
    return d;
}

BlockExtremesResult BlockExtremes(std::span<const float> block) {
    // The extremes so far are kept beside their positions, so that a step
    // reads one value, not the extremes again through their positions.
    BlockExtremesResult r;
    float largest = block[0];
    float smallest = block[0];
    for (std::size_t i = 1; i < block.size(); ++i) {
        const float v = block[i];
        if (v > largest) {
            largest = v;
            r.largest = static_cast<std::int64_t>(i);
        }
        if (v < smallest) {
            smallest = v;
            r.smallest = static_cast<std::int64_t>(i);
        }
    }
    return r;
}

std::vector<float> MainValues(const SampleBuffer& buffer) {
    std::vector<float> values;
    values.reserve(buffer.size());
    for (const RecordPair& pair : buffer)
        values.push_back(pair.main.value);
    return values;
}

} // namespace ostrel
