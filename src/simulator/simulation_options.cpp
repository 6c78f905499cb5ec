#include "simulator/simulation_options.h"

#include <charconv>
#include <functional>
#include <limits>
#include <sstream>
#include <vector>

namespace ostrel {
namespace {

struct Profile {
    const char* name;
    std::function<void(SimulationOptions&)> apply;
};

// The profile's N when after=N is not given.
constexpr int kDefaultPartialEvery = 5;
constexpr int kDefaultUnplugAfter = 20;
// How long the replug profile's cable stays away when gone=MS is not given.
constexpr int kDefaultGoneMs = 2000;
// The latency of the logger profile when latency=MS is not given.
constexpr int kLoggerLatencyMs = 5;

const std::vector<Profile>& Profiles() {
    static const std::vector<Profile> profiles = {
        {"default", [](SimulationOptions&) {}},
        {"absent", [](SimulationOptions& o) { o.cablePresent = false; }},
        {"silent", [](SimulationOptions& o) { o.answersDisplay = false; }},
        {"partial",
         [](SimulationOptions& o) {
             o.partialEvery = o.after > 0 ? o.after : kDefaultPartialEvery;
         }},
        {"unplug",
         [](SimulationOptions& o) { o.unplugAfter = o.after > 0 ? o.after : kDefaultUnplugAfter; }},
        {"replug",
         [](SimulationOptions& o) {
             o.replugAfter = o.after > 0 ? o.after : kDefaultUnplugAfter;
             o.goneMs = o.gone > 0 ? o.gone : kDefaultGoneMs;
         }},
        {"nologger", [](SimulationOptions& o) { o.statusByte = 0x82; }},
        {"noaccess", [](SimulationOptions& o) { o.openable = false; }},
        {"logger",
         [](SimulationOptions& o) {
             o.loggerSessions = true;
             // A block exchange is four short reports: answer quickly unless told otherwise.
             if (!o.latencyGiven)
                 o.latencyMs = kLoggerLatencyMs;
         }},
    };
    return profiles;
}

struct Key {
    const char* name;
    // Store value; false with a message when it is refused.
    std::function<bool(SimulationOptions&, const std::string&, std::string&)> set;
    const char* value = "N"; // what the value is, for the help text
};

bool ParseInt(const std::string& text, long long min, long long max, long long& out) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end && out >= min && out <= max;
}

// A key whose value is an integer in [min, max], stored by store.
Key IntegerKey(const char* name, long long min, long long max,
               std::function<void(SimulationOptions&, long long)> store) {
    return {name, [=](SimulationOptions& o, const std::string& value, std::string& error) {
                long long n = 0;
                if (!ParseInt(value, min, max, n)) {
                    error = std::string(name) + "=" + value + ": expected a whole number from " +
                            std::to_string(min) + " to " + std::to_string(max);
                    return false;
                }
                store(o, n);
                return true;
            }};
}

const std::vector<Key>& Keys() {
    static const std::vector<Key> keys = {
        IntegerKey("latency", 0, 60000,
                   [](SimulationOptions& o, long long n) {
                       o.latencyMs = static_cast<int>(n);
                       o.latencyGiven = true;
                   }),
        IntegerKey("after", 1, 1000000,
                   [](SimulationOptions& o, long long n) { o.after = static_cast<int>(n); }),
        IntegerKey("gone", 1, 3600000,
                   [](SimulationOptions& o, long long n) { o.gone = static_cast<int>(n); }),
        IntegerKey(
            "seed", 0, std::numeric_limits<std::uint32_t>::max(),
            [](SimulationOptions& o, long long n) { o.seed = static_cast<std::uint32_t>(n); }),
        IntegerKey("cables", 1, kMaxSimulatedCables,
                   [](SimulationOptions& o, long long n) { o.cables = static_cast<int>(n); }),
        IntegerKey(
            "badsum", 0, 1000,
            [](SimulationOptions& o, long long n) { o.loggerBadChecksums = static_cast<int>(n); }),
        IntegerKey("timeout", 0, 1000,
                   [](SimulationOptions& o, long long n) {
                       o.loggerHeaderTimeouts = static_cast<int>(n);
                   }),
        IntegerKey(
            "lowbattery", 0, 1000000,
            [](SimulationOptions& o, long long n) { o.lowBatteryEvery = static_cast<int>(n); }),
        {"image",
         [](SimulationOptions& o, const std::string& value, std::string& error) {
             if (value.empty()) {
                 error = "image=: expected the path of a raw logger image";
                 return false;
             }
             o.loggerImage = value;
             return true;
         },
         "PATH"},
    };
    return keys;
}

std::string Names(bool profiles) {
    std::string out;
    if (profiles)
        for (const auto& p : Profiles())
            out += (out.empty() ? "" : ", ") + std::string(p.name);
    else
        for (const auto& k : Keys())
            out += (out.empty() ? "" : ", ") + std::string(k.name) + "=" + k.value;
    return out;
}

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, ','))
        parts.push_back(part);
    if (!text.empty() && text.back() == ',')
        parts.emplace_back();
    return parts;
}

} // namespace

std::optional<SimulationOptions> ParseSimulationOptions(const std::string& text,
                                                        std::string* error) {
    auto refuse = [&](const std::string& why) -> std::optional<SimulationOptions> {
        if (error)
            *error = "--simulate: " + why;
        return std::nullopt;
    };
    SimulationOptions options;
    std::vector<std::string> parts = Split(text);
    if (!parts.empty() && parts.front().find('=') == std::string::npos) {
        options.profile = parts.front();
        parts.erase(parts.begin());
    }
    const Profile* profile = nullptr;
    for (const auto& p : Profiles())
        if (options.profile == p.name)
            profile = &p;
    if (!profile)
        return refuse("unknown profile \"" + options.profile + "\" (profiles: " + Names(true) +
                      ")");

    for (const auto& part : parts) {
        const auto eq = part.find('=');
        if (eq == std::string::npos || eq == 0)
            return refuse("\"" + part + "\" is no key=value (keys: " + Names(false) + ")");
        const std::string name = part.substr(0, eq), value = part.substr(eq + 1);
        const Key* key = nullptr;
        for (const auto& k : Keys())
            if (name == k.name)
                key = &k;
        if (!key)
            return refuse("unknown key \"" + name + "\" (keys: " + Names(false) + ")");
        std::string why;
        if (!key->set(options, value, why))
            return refuse(why);
    }
    // Keys first, profile last: a profile may depend on after=N.
    profile->apply(options);
    return options;
}

std::string SimulationSyntaxHelp() {
    return "PROFILE[,key=value...] with PROFILE one of " + Names(true) + " and keys " +
           Names(false);
}

} // namespace ostrel
