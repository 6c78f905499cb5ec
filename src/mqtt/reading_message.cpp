#include "mqtt/reading_message.h"

#include "recorder/sample_conversion.h"

#include <nlohmann/json.hpp>

namespace ostrel {
namespace {

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

bool IsDecibel(std::uint32_t code) {
    return code == nFunc_dB || code == nFunc_dBm_Ohm;
}

bool IsTemperature(std::uint32_t code) {
    return (code & (nFunc_T1 | nFunc_T2 | 0x20 | 0x40)) != 0 && (code & ~0xC060u) == 0;
}

// The base unit of a function; a temperature's comes from the degree letter
// the display shows.
std::string BaseUnit(std::uint32_t code, std::string_view labels, char degreeLetter) {
    switch (code) {
    case nFunc_V:
    case nFunc_Dx:
    case nFunc_AcV:
    case nFunc_DcV:
    case nFunc_AcDcV:
    case nFunc_AcV6:
    case nFunc_DcV6:
        return "V";
    case nFunc_AcA:
    case nFunc_DcA:
    case nFunc_AcDcA:
        return "A";
    case nFunc_Ohm:
    case nFunc_Conti:
    case nFunc_dBm_Ohm:
        return "\u03A9";
    case nFunc_dB:
        return std::string(labels); // "dB", or "dBm" with the prefix m
    case nFunc_Hz:
        return "Hz";
    case nFunc_Duty:
    case nFunc_Pct4_20mA:
        return "%";
    case nFunc_Cx:
        return "F";
    case nFunc_S:
        return "S";
    default:
        break;
    }
    if (IsTemperature(code)) {
        const bool fahrenheit = degreeLetter ? degreeLetter == 'F' : (code & 0x40) != 0;
        return fahrenheit ? "\u00B0F" : "\u00B0C";
    }
    return {};
}

// One display from what it shows: the value field, the exponent, the function
// code, the two labels and the coupling.
DisplayValue Display(std::string_view shown, std::string_view exponentText, std::uint32_t function,
                     std::string_view first, std::string_view second, std::string_view coupling) {
    DisplayValue d;
    const std::uint32_t code = function & kFunctionMask;
    std::string number = Trimmed(shown);
    const std::string labels = LabelText(code, first, second, true);
    d.text = labels.empty() ? number : number + " " + labels;
    d.coupling = Trimmed(coupling);
    char letter = 0;
    if (IsTemperature(code) && !number.empty() && (number.back() == 'C' || number.back() == 'F')) {
        letter = number.back();
        number.pop_back();
    }
    d.unit = BaseUnit(code, LabelText(code, first, second, false), letter);
    if (number.find('L') != std::string::npos) {
        d.overload = true;
    } else if (number == "---" || number == "----") {
        d.openSensor = true;
    } else {
        const std::string scaled = IsDecibel(code) ? number : number + "E" + Trimmed(exponentText);
        double value = 0;
        if (!number.empty() && ParseDecimal(scaled, value))
            d.value = value;
    }
    return d;
}

nlohmann::ordered_json DisplayJson(const DisplayValue& d) {
    nlohmann::ordered_json j;
    j["value"] = d.value ? nlohmann::ordered_json(*d.value) : nlohmann::ordered_json(nullptr);
    j["unit"] = d.unit;
    j["coupling"] = d.coupling;
    j["text"] = d.text;
    j["overload"] = d.overload;
    j["openSensor"] = d.openSensor;
    return j;
}

} // namespace

ReadingFacts FactsOfReading(const MeterReading& r) {
    ReadingFacts facts;
    auto display = [](const DisplayReading& d) {
        return Display(FieldText(d.valueField), d.exponentText,
                       static_cast<std::uint32_t>(d.function), FieldText(d.firstLabelField),
                       FieldText(d.secondLabelField), d.couplingText);
    };
    facts.main = display(r.main);
    if ((static_cast<std::uint32_t>(r.sub.function) & kFunctionMask) != 0)
        facts.sub = display(r.sub);
    facts.lowBattery = r.lowBattery != 0;
    return facts;
}

ReadingFacts FactsOfSample(const RecordPair& sample, bool lowBattery) {
    ReadingFacts facts;
    auto display = [](const TBRecord& d) {
        return Display(FieldView(d.dataText), FieldView(d.exponentText), d.function,
                       FieldView(d.unitText), FieldView(d.functionText), FieldView(d.modeText));
    };
    facts.main = display(sample.main);
    if (sample.hasSub)
        facts.sub = display(sample.sub);
    facts.lowBattery = lowBattery;
    return facts;
}

std::string ReadingPayload(const ReadingFacts& facts, const std::string& time,
                           const std::string& cable) {
    nlohmann::ordered_json j;
    j["time"] = time;
    j["cable"] = cable;
    j["main"] = DisplayJson(facts.main);
    j["sub"] = facts.sub ? DisplayJson(*facts.sub) : nlohmann::ordered_json(nullptr);
    j["lowBattery"] = facts.lowBattery;
    // Texts come from the meter's segments; never let a stray byte stop a message.
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace ostrel
