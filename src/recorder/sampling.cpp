#include "recorder/sampling.h"

#include "recorder/sample_conversion.h"

#include <mutex>

namespace ostrel {
namespace {

void CopyDisplay(const DisplayReading& from, DisplayReading& to) {
    to.negative = from.negative;
    to.valueText = from.valueText;
    to.exponentText = from.exponentText;
    to.function = from.function;
    to.couplingText = from.couplingText;
    to.valueField = from.valueField;
    to.firstLabelField = from.firstLabelField;
    to.secondLabelField = from.secondLabelField;
}

} // namespace

MeterReading RecorderSnapshot(const MeterReading& published) {
    MeterReading snapshot;
    CopyDisplay(published.main, snapshot.main);
    CopyDisplay(published.sub, snapshot.sub);
    snapshot.lowBattery = published.lowBattery;
    return snapshot;
}

MeterReading TakeRecorderSnapshot(AcquisitionState& state) {
    std::lock_guard lock(state.readingLock);
    return RecorderSnapshot(state.reading);
}

std::optional<RecordPair> SampleOf(const MeterReading& snapshot, std::string_view timeText) {
    return ConvertSample(snapshot, timeText);
}

std::optional<RecordPair> SampleFromFrame(const RawFrame& frame, std::string_view timeText) {
    return SampleOf(RecorderSnapshot(DecodeFrame(frame)), timeText);
}

} // namespace ostrel
