#pragma once
// Publishes messages to an MQTT broker through libmosquitto, at QoS 1, in the
// order they are given, without ever holding up the one who gives them.
//
// The messages wait in a queue of bounded length; at most `window` of them are
// handed to libmosquitto at a time and not yet acknowledged by the broker.
// When the broker goes away, the handed-over ones stay with libmosquitto,
// which sends them again once the connection is back, and the queue keeps the
// rest; a full queue drops its oldest reading for each new one, and the drops
// are counted. A thread of its own keeps the connection: it answers the
// broker, and after a loss connects again after 0.5, 1, 2, 4 … seconds, at
// most 30 seconds apart, the pauses starting again at 0.5 s once a connection
// holds.
//
// The status topic holds "online" (retained) while the publisher is
// connected; the broker puts "offline" there (the last will) when the
// connection breaks off, and finish() puts it there itself. After every
// connection the announcements (the status, discovery messages) go out
// before the queue.

#include "mqtt/discovery.h"
#include "mqtt/mqtt_address.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct mosquitto;

namespace ostrel {

struct MqttSettings {
    MqttAddress address;
    std::string user;     // "" none
    std::string password; // with a user only
    std::string caFile;   // with TLS: trust this instead of the system's authorities
    std::string clientId;
    std::string statusTopic;
    std::size_t queueCapacity = 20000;
    int window = 100;
    int keepAliveSeconds = 30;
    std::chrono::milliseconds connectTimeout{10000};
    // At the end: how long to wait for an acknowledgement before the rest is
    // given up.
    std::chrono::milliseconds stallTimeout{10000};
};

class MqttPublisher {
  public:
    // What the publisher has to tell the user while it runs (the broker went
    // away, came back, the queue dropped messages); called from its thread.
    using Notice = std::function<void(const std::string&)>;

    MqttPublisher(MqttSettings settings, Notice notice);
    // Ends at once: whatever was not yet acknowledged is lost.
    ~MqttPublisher();
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    // Connect and wait for the broker's answer. False with the reason in why:
    // the broker could not be reached, refused the connection, or did not
    // answer within the connect time-out.
    bool connect(std::string* why);

    // Queue a message; returns at once.
    void publish(MqttMessage message);
    // The messages sent first after each connection, besides the status.
    void setAnnouncements(std::vector<MqttMessage> messages);

    struct Outcome {
        std::uint64_t acknowledged = 0; // messages the broker took (announcements included)
        std::uint64_t dropped = 0;      // readings a full queue dropped
        std::uint64_t undelivered = 0;  // messages still waiting when the end came
    };
    // Wait until every message is acknowledged (or none was for the stall
    // time-out, or interrupted() says so), put "offline" on the status topic,
    // disconnect. Called once.
    Outcome finish(const std::function<bool()>& interrupted);

    // The broker as "HOST:PORT", for messages.
    std::string brokerName() const;
    // connect() failed because the broker refused the connection (a wrong
    // password, no permission), not because it could not be reached.
    bool refusedAtStart() const;
    // Why the broker went away or was refused last.
    std::string lastReason() const;

  private:
    static void OnConnect(mosquitto*, void* self, int rc);
    static void OnDisconnect(mosquitto*, void* self, int rc);
    static void OnPublish(mosquitto*, void* self, int mid);

    void networkLoop();
    void pump();
    bool takeNext(MqttMessage& message);

    const MqttSettings m_settings;
    const Notice m_notice;
    mosquitto* m_client = nullptr;

    std::mutex m_sendMutex; // held while a message goes from the queue to libmosquitto

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<MqttMessage> m_queue;          // guarded by m_mutex
    std::vector<MqttMessage> m_announcements; // guarded by m_mutex
    bool m_announcing = false;                // the status and announcements go out first
    std::size_t m_announceNext = 0;           // 0: the status; then announcement n - 1
    int m_inflight = 0;                       // handed over, not acknowledged
    bool m_connected = false;                 // a connection the broker accepted
    bool m_everConnected = false;
    bool m_outage = false;       // lost after a connection, not back yet
    bool m_droppingTold = false; // the drops of this outage were told
    int m_lastResult = 0;        // the last connect or disconnect result
    bool m_refused = false;      // the last connection was refused by the broker
    bool m_refusedAtStart = false;
    std::string m_lastReason;
    int m_failures = 0; // connection attempts failed in a row
    bool m_stop = false;
    std::uint64_t m_acknowledged = 0;
    std::uint64_t m_dropped = 0;
    std::thread m_network;
};

} // namespace ostrel
