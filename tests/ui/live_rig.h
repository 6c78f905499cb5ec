#pragma once
// The live windows over one acquisition state, linked, with their real update
// threads: a reading published here reaches the digital meter first, then the
// analog meter and the comparator (while they show).

#include "displays/ui/analog_meter_form.h"
#include "displays/ui/comparator_form.h"
#include "displays/ui/digital_meter_form.h"

#include <QWidget>

#include <memory>
#include <string>

namespace ostrel::testing {

// The main display of a published reading.
struct MainDisplay {
    MainDisplay(std::string value, std::int32_t function = 0x6, bool negative = false,
                std::string exponent = "0", std::string first = "", std::string second = "V")
        : value(std::move(value)), function(function), negative(negative),
          exponent(std::move(exponent)), first(std::move(first)), second(std::move(second)) {}
    std::string value;
    std::int32_t function;
    bool negative;
    std::string exponent;
    std::string first;
    std::string second;
};

inline void Publish(LiveState& state, const MainDisplay& main) {
    {
        std::lock_guard lock(state.readingLock);
        state.reading = MeterReading{};
        state.reading.main.valueText = main.value;
        SetField(state.reading.main.valueField, main.value);
        state.reading.main.exponentText = main.exponent;
        state.reading.main.function = main.function;
        state.reading.main.negative = main.negative ? 1 : 0;
        SetField(state.reading.main.firstLabelField, main.first);
        SetField(state.reading.main.secondLabelField, main.second);
    }
    state.newReadingEvent.set();
}

struct LiveRig {
    explicit LiveRig(bool showDigital = true) {
        mainWindow.resize(800, 60);
        state.setLinked(true);
        digital = std::make_unique<TDigitalMeterForm>(state, &mainWindow);
        analog = std::make_unique<TAnalogMeterForm>(state, nullptr, above());
        comparator = std::make_unique<TComparatorForm>(state, 2.0, 1.0, nullptr, above());
        if (showDigital)
            digital->show();
    }
    // The windows made so far, which a window made next places itself below
    // (as the start-up hands them on).
    LiveWindows above() { return {&mainWindow, digital.get(), analog.get()}; }
    ~LiveRig() {
        digital->stopUpdateThread();
        analog->stopUpdateThread();
        comparator->stopUpdateThread();
    }
    LiveState state;
    QWidget mainWindow;
    std::unique_ptr<TDigitalMeterForm> digital;
    std::unique_ptr<TAnalogMeterForm> analog;
    std::unique_ptr<TComparatorForm> comparator;
};

} // namespace ostrel::testing
