#pragma once
// The retained discovery messages that Home Assistant reads from its prefix
// "homeassistant/": a sensor for the meter's main display and one for its sub
// display, and a binary sensor for the low-battery mark, all of one device
// named after the cable's serial number, each following the readings topic
// and available while the status topic says "online". A display's unit is
// part of its sensor's description: when the meter changes its function the
// messages are sent again with the new units.

#include <string>
#include <vector>

namespace ostrel {

struct MqttMessage {
    std::string topic;
    std::string payload;
    bool retain = false;
    bool reading = true; // a reading may be dropped from a full queue; the others never are
};

struct DiscoveryTopics {
    std::string cable;  // the 16 digits of the serial number
    std::string state;  // where the readings go
    std::string status; // the retained "online" / "offline"
};

// The messages; a unit that is empty leaves the sensor without one.
std::vector<MqttMessage> DiscoveryMessages(const DiscoveryTopics& topics,
                                           const std::string& mainUnit, const std::string& subUnit);

} // namespace ostrel
