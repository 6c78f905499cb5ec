#pragma once
// What the simulated meter does, from the text of --simulate[=PROFILE[,key=value…]].
// Profiles and keys are rows of two tables in simulation_options.cpp; a new
// profile or key is one more row there (and a field here).

#include <cstdint>
#include <optional>
#include <string>

namespace ostrel {

struct SimulationOptions {
    std::string profile = "default";

    // Set by the profile.
    bool cablePresent = true;       // absent: no adapter cable on the bus
    bool answersDisplay = true;     // silent: the cable is there, the meter never answers
    int partialEvery = 0;           // partial: every Nth answer stops after its first report
    int unplugAfter = 0;            // unplug: the cable vanishes after N answers (0: never)
    int replugAfter = 0;            // replug: the cable vanishes after N answers (0: never) …
    int goneMs = 0;                 // … for this many milliseconds of real time, then comes back
    std::uint8_t statusByte = 0x52; // the meter's status byte; 0x52: logger memory readable
    bool loggerSessions = false;    // logger: demo sessions in the logger memory (else empty)
    bool openable = true; // noaccess: the cables are there, but this user may not open them

    // Set by keys.
    int latencyMs = 250;          // latency=MS: from request to answer; 0: no real time at all
    int after = 0;                // after=N: the N of partial, unplug, replug (0: their own)
    int gone = 0;                 // gone=MS: the time away of replug (0: its own)
    std::uint32_t seed = 1;       // seed=N: the noise on the simulated values
    bool latencyGiven = false;    // latency= was given (the logger profile has its own default)
    std::string loggerImage;      // image=PATH: a raw logger image to serve
    int loggerBadChecksums = 0;   // badsum=N: the first N answers of each block have a bad checksum
    int loggerHeaderTimeouts = 0; // timeout=N: the first N header requests get no answer
    int lowBatteryEvery = 0;      // lowbattery=N: every Nth answer shows low battery (0: never)
    int cables = 1;               // cables=N: adapter cables, each with its own meter
};

// The most cables a simulation presents (the first 20 HID interfaces are
// looked at for a cable).
inline constexpr int kMaxSimulatedCables = 16;

// Parse "PROFILE[,key=value…]" ("" is the default profile; a text that starts
// with a key uses the default profile). On refusal: nullopt and a message
// naming what was wrong and what is accepted.
std::optional<SimulationOptions> ParseSimulationOptions(const std::string& text,
                                                        std::string* error);

// One line naming the profiles and keys, for help texts.
std::string SimulationSyntaxHelp();

} // namespace ostrel
