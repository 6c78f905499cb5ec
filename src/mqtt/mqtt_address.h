#pragma once
// Where readings go: mqtt://HOST[:PORT]/TOPIC, or mqtts://… for TLS. The port
// defaults to 1883 (8883 with TLS); a user name may come before the host
// (mqtt://USER@HOST/TOPIC), a password never: it would show in the process
// list and the shell's history. The topic may be percent-encoded; an empty
// one is left to the caller (ostrel/<serial number>).

#include <optional>
#include <string>

namespace ostrel {

struct MqttAddress {
    bool tls = false;
    std::string host;
    int port = 1883;
    std::string topic; // empty: not given
    std::string user;  // empty: not given
};

// nothing, with why (a short reason), for an address that is none of the above.
std::optional<MqttAddress> ParseMqttAddress(const std::string& url, std::string* why);

// Whether a topic may be published to: not empty, no wildcard (+ #), no NUL,
// valid UTF-8, at most 65535 bytes.
bool IsPublishTopic(const std::string& topic);

} // namespace ostrel
