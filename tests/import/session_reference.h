#pragma once
// The records of logger readings by the text rules alone, one string at a
// time: what the quicker ways of forming them must give byte for byte.

#include "import/session_codes.h"
#include "import/session_reading.h"
#include "recorder/record.h"

#include <string>

namespace ostrel {

inline TRecord ReferenceRecord(const LoggerValue& value, std::uint32_t function, int table,
                               bool isMain) {
    const int e = RangeExponent(table, value.range).value_or(0);
    std::string v = SessionValueText(value, function);
    const std::string data = SessionDataText(v, function, e);
    if (IsTemperatureCode(function) && !v.empty())
        v.pop_back();
    TRecord r;
    StoreField(r.valueText, v);
    StoreField(r.exponentText, std::to_string(e));
    r.function = function;
    StoreField(r.dataText, data);
    StoreField(r.unitText, SessionPrefixText(function, e));
    StoreField(r.functionText, SessionFunctionText(function, isMain));
    r.value = SessionValue(v, function, e);
    return r;
}

} // namespace ostrel
