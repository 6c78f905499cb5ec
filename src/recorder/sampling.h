#pragma once
// The recorder's sampling path, one function for every caller: the recorder
// window's logger tick and manual click, the headless recording of the command
// line, and the conversion of a capture of raw display frames. A sample is the
// recorder's snapshot of both displays turned into a RecordPair by
// ConvertSample, so the three can never drift apart.

#include "link/acquisition_state.h"
#include "link/frame_codec.h"
#include "link/reading.h"
#include "recorder/record.h"

#include <optional>
#include <string_view>

namespace ostrel {

// What the recorder copies of a published reading: per display negative,
// valueText, exponentText, function (masked), couplingText, valueField,
// firstLabelField and secondLabelField; and lowBattery. Everything else is
// left empty.
MeterReading RecorderSnapshot(const MeterReading& published);

// The snapshot of the reading published in state, taken under readingLock
// (held only for the copy).
MeterReading TakeRecorderSnapshot(AcquisitionState& state);

// The sample of a snapshot at timeText, or nothing when ConvertSample refuses
// the reading (then nothing may be stored).
std::optional<RecordPair> SampleOf(const MeterReading& snapshot, std::string_view timeText);

// The sample of one raw display answer, exactly as the recorder would take it
// had the frame been the published reading.
std::optional<RecordPair> SampleFromFrame(const RawFrame& frame, std::string_view timeText);

} // namespace ostrel
