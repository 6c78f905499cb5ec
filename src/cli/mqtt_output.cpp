#include "cli/mqtt_output.h"

#include "base/iso_time.h"
#include "base/string_table.h"
#include "link/cable_selection.h"

#include <fstream>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace ostrel::cli {
namespace {

constexpr int kAddressRefusedText = 9120;
constexpr int kUnreachableText = 9121;
constexpr int kRefusedText = 9122;
constexpr int kWentAwayText = 9123;
constexpr int kDroppingText = 9124;
constexpr int kDroppedText = 9125;
constexpr int kUndeliveredText = 9126;
constexpr int kOpenPasswordText = 9127;

// One line at once, so that the lines of two threads never mix.
void Say(const std::string& line) {
    std::cerr << (line + '\n') << std::flush;
}

} // namespace

void AddMqttOptions(Command& command, MqttOptions& options) {
    CLI::App& app = *command.app;
    app.add_option("--mqtt", options.url,
                   "Also publish each reading as a JSON message to an MQTT broker: "
                   "mqtt://HOST[:PORT]/TOPIC, or mqtts://… for TLS (topic status beside it "
                   "holds online or offline)");
    app.add_option("--mqtt-user", options.user, "User name at the MQTT broker");
    command.input("--mqtt-password-file", options.passwordFile,
                  "File whose first line is the password at the MQTT broker (a password is "
                  "never given on the command line)");
    command.input("--mqtt-cafile", options.caFile,
                  "With mqtts://: trust the certificate authority in this PEM file instead of "
                  "the system's");
    app.add_flag("--mqtt-discovery", options.discovery,
                 "Also publish the retained discovery messages of Home Assistant, so that the "
                 "main and sub display appear there as sensors");
    app.add_option("--mqtt-queue", options.queue,
                   "Messages kept while the broker is away (default 20000); when it is full, the "
                   "oldest reading is dropped for each new one")
        ->check(WholeNumberFromTo(1, 10000000));
}

std::string MqttOutput::prepare() {
    const bool extras = !m_options.user.empty() || !m_options.passwordFile.empty() ||
                        !m_options.caFile.empty() || m_options.discovery;
    if (!wanted())
        return extras ? "--mqtt-user, --mqtt-password-file, --mqtt-cafile and --mqtt-discovery "
                        "need --mqtt (see --help)"
                      : std::string();
    std::string why;
    m_address = ParseMqttAddress(m_options.url, &why);
    if (!m_address)
        return NumberedLine(kErrorCaption, kAddressRefusedText, {m_options.url, why});
    m_user = m_options.user.empty() ? m_address->user : m_options.user;
    if (!m_options.passwordFile.empty()) {
        if (m_user.empty())
            return "--mqtt-password-file needs a user name: --mqtt-user NAME, or NAME@ in the "
                   "address (see --help)";
        std::ifstream in(m_options.passwordFile);
        std::getline(in, m_password);
        if (!m_password.empty() && m_password.back() == '\r')
            m_password.pop_back();
        struct stat file {};
        if (::stat(m_options.passwordFile.c_str(), &file) == 0 && (file.st_mode & 077) != 0)
            Say(NumberedLine(kWarningCaption, kOpenPasswordText, {m_options.passwordFile}));
    }
    if (!m_options.caFile.empty() && !m_address->tls)
        return "--mqtt-cafile is for an mqtts:// address (see --help)";
    return {};
}

bool MqttOutput::start(const std::string& cableSerial) {
    m_cable = SerialDigits(cableSerial);
    const std::string topic = m_address->topic.empty() ? "ostrel/" + m_cable : m_address->topic;
    m_topics = {m_cable, topic, topic + "/status"};
    MqttSettings settings;
    settings.address = *m_address;
    settings.user = m_user;
    settings.password = m_password;
    settings.caFile = m_options.caFile;
    // The serial number names the meter; the process tells two programs on
    // the same cable apart, so that the broker never takes one for the other.
    settings.clientId = "ostrel-" + m_cable + "-" + std::to_string(::getpid());
    settings.statusTopic = m_topics.status;
    settings.queueCapacity = static_cast<std::size_t>(m_options.queue);
    m_publisher = std::make_unique<MqttPublisher>(
        settings, [this](const std::string& what) { notice(what); });
    std::string why;
    if (m_publisher->connect(&why))
        return true;
    const std::string broker = m_publisher->brokerName();
    Say(NumberedLine(kErrorCaption, m_publisher->refusedAtStart() ? kRefusedText : kUnreachableText,
                     {broker, why}));
    m_publisher.reset();
    return false;
}

void MqttOutput::notice(const std::string& what) {
    const std::string broker = m_publisher->brokerName();
    if (what == "lost")
        Say(NumberedLine(kWarningCaption, kWentAwayText,
                         {broker, m_publisher->lastReason(), std::to_string(m_options.queue)}));
    else if (what == "back")
        Say("The MQTT broker " + broker + " is back; the queued messages follow.");
    else if (what == "dropping")
        Say(NumberedLine(kWarningCaption, kDroppingText, {broker}));
}

void MqttOutput::send(const ReadingFacts& facts, std::chrono::system_clock::time_point when) {
    if (!m_publisher)
        return;
    if (m_options.discovery) {
        // The sensors' units follow the meter's function.
        const std::pair<std::string, std::string> units = {facts.main.unit,
                                                           facts.sub ? facts.sub->unit : ""};
        if (m_announcedUnits != units) {
            m_announcedUnits = units;
            std::vector<MqttMessage> discovery =
                DiscoveryMessages(m_topics, units.first, units.second);
            m_publisher->setAnnouncements(discovery);
            for (MqttMessage& message : discovery)
                m_publisher->publish(std::move(message));
        }
    }
    m_publisher->publish({m_topics.state, ReadingPayload(facts, IsoTimestamp(when), m_cable)});
}

bool MqttOutput::finish(const std::function<bool()>& interrupted) {
    if (!m_publisher)
        return true;
    const MqttPublisher::Outcome outcome = m_publisher->finish(interrupted);
    if (outcome.dropped > 0)
        Say(NumberedLine(kErrorCaption, kDroppedText, {std::to_string(outcome.dropped)}));
    if (outcome.undelivered > 0)
        Say(NumberedLine(kErrorCaption, kUndeliveredText,
                         {std::to_string(outcome.undelivered), m_publisher->brokerName()}));
    m_publisher.reset();
    return outcome.dropped == 0 && outcome.undelivered == 0;
}

} // namespace ostrel::cli
