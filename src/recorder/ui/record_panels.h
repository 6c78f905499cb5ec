#pragma once
// The data, unit and function panels of a sample's main record as the
// recorder's windows show them: Arial, centred; a temperature's degree unit
// in the "Symbol" typeface right against the number; resistance units in
// "Symbol", so that "W" shows as the ohm sign.

#include "recorder/record.h"

class QLabel;

namespace ostrel {

void ShowRecordPanels(const TBRecord& record, QLabel* data, QLabel* unit, QLabel* function);

} // namespace ostrel
