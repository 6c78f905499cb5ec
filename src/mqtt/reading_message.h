#pragma once
// The message that carries one reading (or one recorded sample) to an MQTT
// broker: a JSON object with the time, the cable, and per display the value
// as a number in base units, its unit, the coupling, the text as the display
// shows it and whether it shows an overload or an open sensor; and the
// low-battery flag.
//
// {"time":"2026-12-08T11:17:36.519+01:00","cable":"F0DEBC9A78563412",
//  "main":{"value":0.01192,"unit":"V","coupling":"AC","text":"11.92 mV",
//          "overload":false,"openSensor":false},
//  "sub":null,"lowBattery":false}

#include "link/reading.h"
#include "recorder/record.h"

#include <optional>
#include <string>

namespace ostrel {

struct DisplayValue {
    // The number in base units (volts, amperes, ohms, hertz, farads,
    // siemens, percent, degrees, decibels); nothing for an overload, an open
    // sensor or a display that shows no number.
    std::optional<double> value;
    std::string unit; // "V", "A", "Ω", "Hz", "%", "F", "S", "°C", "°F", "dB", "dBm"; "" unknown
    std::string coupling;
    std::string text;
    bool overload = false;
    bool openSensor = false;
};

struct ReadingFacts {
    DisplayValue main;
    std::optional<DisplayValue> sub; // nothing while the sub display is not in use
    bool lowBattery = false;
};

ReadingFacts FactsOfReading(const MeterReading& reading);
// A recorded sample: the stored display texts and codes (the record keeps no
// low-battery flag: it is given).
ReadingFacts FactsOfSample(const RecordPair& sample, bool lowBattery);

// The JSON text of the message.
std::string ReadingPayload(const ReadingFacts& facts, const std::string& time,
                           const std::string& cable);

} // namespace ostrel
