#pragma once
// --mqtt on read and record: each reading (each sample) also goes to an MQTT
// broker as one JSON message (mqtt/reading_message.h). The options are checked
// and the broker connected before the link starts polling; the files and the
// standard output of the command stay what they are without --mqtt. What the
// broker does meanwhile (went away, back, a full queue) is said on standard
// error; at the end, how many messages were dropped or not delivered, which
// makes the exit status 2.

#include "cli/command.h"
#include "mqtt/mqtt_publisher.h"
#include "mqtt/reading_message.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ostrel::cli {

struct MqttOptions {
    std::string url; // empty: no --mqtt
    std::string user;
    std::string passwordFile;
    std::string caFile;
    bool discovery = false;
    long queue = 20000;
};

// --mqtt, --mqtt-user, --mqtt-password-file, --mqtt-cafile, --mqtt-discovery,
// --mqtt-queue. The files are inputs of the command: checked before it runs.
void AddMqttOptions(Command& command, MqttOptions& options);

class MqttOutput {
  public:
    explicit MqttOutput(const MqttOptions& options) : m_options(options) {}

    // Whether --mqtt was given.
    bool wanted() const { return !m_options.url.empty(); }
    // Check the options and read the password: the message (one line), or empty.
    std::string prepare();
    // Connect for the cable with this serial-number string. False, with the
    // message on standard error, when the broker cannot be reached or refuses.
    bool start(const std::string& cableSerial);
    // One reading or sample, taken at `when`.
    void send(const ReadingFacts& facts, std::chrono::system_clock::time_point when);
    // Deliver what waits (interrupted: a second Ctrl+C ends the wait) and
    // disconnect; false, with the counts on standard error, when messages were
    // dropped or not delivered.
    bool finish(const std::function<bool()>& interrupted);

  private:
    void notice(const std::string& what);

    const MqttOptions& m_options;
    std::optional<MqttAddress> m_address;
    std::string m_user;
    std::string m_password;
    std::string m_cable; // the 16 digits of the serial number
    DiscoveryTopics m_topics;
    std::optional<std::pair<std::string, std::string>> m_announcedUnits;
    std::unique_ptr<MqttPublisher> m_publisher;
};

} // namespace ostrel::cli
