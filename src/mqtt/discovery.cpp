#include "mqtt/discovery.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>

namespace ostrel {
namespace {

using Json = nlohmann::ordered_json;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

Json Common(const DiscoveryTopics& topics, const std::string& id, const std::string& part,
            const std::string& name) {
    Json j;
    j["name"] = name;
    j["unique_id"] = id + "_" + part;
    j["object_id"] = "tarvix_" + Lower(topics.cable) + "_" + part;
    j["state_topic"] = topics.state;
    j["availability_topic"] = topics.status;
    j["payload_available"] = "online";
    j["payload_not_available"] = "offline";
    j["device"] = {{"identifiers", Json::array({id})},
                   {"name", "Tarvix multimeter " + topics.cable},
                   {"manufacturer", "Tarvix"},
                   {"model", "Dual-display multimeter"},
                   {"serial_number", topics.cable},
                   {"sw_version", std::string("Ostrel ") + OSTREL_VERSION}};
    return j;
}

Json Display(const DiscoveryTopics& topics, const std::string& id, const std::string& part,
             const std::string& name, const std::string& unit, const std::string& value,
             const std::string& attributes) {
    Json j = Common(topics, id, part, name);
    // A template that gives None leaves the sensor unknown (an overload, an
    // open sensor, a sub display not in use).
    j["value_template"] = value;
    if (!unit.empty())
        j["unit_of_measurement"] = unit;
    j["state_class"] = "measurement";
    j["json_attributes_topic"] = topics.state;
    j["json_attributes_template"] = attributes;
    return j;
}

} // namespace

std::vector<MqttMessage> DiscoveryMessages(const DiscoveryTopics& topics,
                                           const std::string& mainUnit,
                                           const std::string& subUnit) {
    const std::string id = "ostrel_" + Lower(topics.cable);
    const std::string prefix = "homeassistant/";
    Json battery = Common(topics, id, "battery", "Low battery");
    battery["device_class"] = "battery";
    battery["value_template"] = "{{ 'ON' if value_json.lowBattery else 'OFF' }}";
    const std::vector<std::pair<std::string, Json>> configs = {
        {"sensor/" + id + "/main/config",
         Display(topics, id, "main", "Main display", mainUnit, "{{ value_json.main.value }}",
                 "{{ value_json.main | tojson }}")},
        {"sensor/" + id + "/sub/config",
         Display(topics, id, "sub", "Sub display", subUnit,
                 "{{ value_json.sub.value if value_json.sub else None }}",
                 "{{ (value_json.sub or {}) | tojson }}")},
        {"binary_sensor/" + id + "/battery/config", battery},
    };
    std::vector<MqttMessage> messages;
    for (const auto& [topic, config] : configs)
        messages.push_back({prefix + topic, config.dump(), true, false});
    return messages;
}

} // namespace ostrel
