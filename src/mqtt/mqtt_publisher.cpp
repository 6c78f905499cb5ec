#include "mqtt/mqtt_publisher.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace ostrel {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kFirstPause = std::chrono::milliseconds(500);
constexpr auto kLongestPause = std::chrono::seconds(30);
// How long the end waits for the broker to take "offline".
constexpr auto kOfflineWait = std::chrono::seconds(2);
// How often the end looks whether it was interrupted.
constexpr auto kInterruptCheck = std::chrono::milliseconds(100);

void InitLibraryOnce() {
    static const int done = [] { return mosquitto_lib_init(); }();
    (void)done;
}

std::string WithoutStop(std::string text) {
    while (!text.empty() && text.back() == '.')
        text.pop_back();
    return text;
}

std::string ResultText(int rc, int savedErrno) {
    return rc == MOSQ_ERR_ERRNO ? std::strerror(savedErrno) : WithoutStop(mosquitto_strerror(rc));
}

std::string RefusalText(int rc) {
    return WithoutStop(mosquitto_connack_string(rc));
}

} // namespace

MqttPublisher::MqttPublisher(MqttSettings settings, Notice notice)
    : m_settings(std::move(settings)), m_notice(std::move(notice)) {
    InitLibraryOnce();
    m_client = mosquitto_new(m_settings.clientId.c_str(), true, this);
    if (!m_client)
        return;
    mosquitto_threaded_set(m_client, true);
    mosquitto_connect_callback_set(m_client, &MqttPublisher::OnConnect);
    mosquitto_disconnect_callback_set(m_client, &MqttPublisher::OnDisconnect);
    mosquitto_publish_callback_set(m_client, &MqttPublisher::OnPublish);
    mosquitto_max_inflight_messages_set(m_client, static_cast<unsigned>(m_settings.window));
    static const char kOffline[] = "offline";
    mosquitto_will_set(m_client, m_settings.statusTopic.c_str(), sizeof kOffline - 1, kOffline, 1,
                       true);
    if (!m_settings.user.empty())
        mosquitto_username_pw_set(m_client, m_settings.user.c_str(),
                                  m_settings.password.empty() ? nullptr
                                                              : m_settings.password.c_str());
}

MqttPublisher::~MqttPublisher() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_client)
        mosquitto_disconnect(m_client);
    if (m_network.joinable())
        m_network.join();
    if (m_client)
        mosquitto_destroy(m_client);
}

std::string MqttPublisher::brokerName() const {
    const std::string& host = m_settings.address.host;
    const bool ipv6 = host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(m_settings.address.port);
}

bool MqttPublisher::connect(std::string* why) {
    auto fail = [why](const std::string& reason) {
        if (why)
            *why = reason;
        return false;
    };
    if (!m_client)
        return fail("the MQTT library could not set up a client");
    if (m_settings.address.tls) {
        const int rc = m_settings.caFile.empty()
                           ? mosquitto_int_option(m_client, MOSQ_OPT_TLS_USE_OS_CERTS, 1)
                           : mosquitto_tls_set(m_client, m_settings.caFile.c_str(), nullptr,
                                               nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS)
            return fail("TLS: " + ResultText(rc, errno));
    }
    const int rc = mosquitto_connect_async(m_client, m_settings.address.host.c_str(),
                                           m_settings.address.port, m_settings.keepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS)
        return fail(ResultText(rc, errno));
    m_network = std::thread([this] { networkLoop(); });
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, m_settings.connectTimeout,
                       [this] { return m_connected || m_refused || m_failures > 0; });
    if (m_connected)
        return true;
    std::string reason;
    if (m_refused)
        reason = RefusalText(m_lastResult);
    else if (m_failures > 0)
        reason = m_lastReason;
    else
        reason = "no answer within " +
                 std::to_string(
                     std::chrono::duration_cast<std::chrono::seconds>(m_settings.connectTimeout)
                         .count()) +
                 " seconds";
    m_refusedAtStart = m_refused;
    m_stop = true;
    lock.unlock();
    m_changed.notify_all();
    mosquitto_disconnect(m_client);
    m_network.join();
    return fail(reason);
}

bool MqttPublisher::refusedAtStart() const {
    std::lock_guard lock(m_mutex);
    return m_refusedAtStart;
}

std::string MqttPublisher::lastReason() const {
    std::lock_guard lock(m_mutex);
    return m_lastReason;
}

void MqttPublisher::setAnnouncements(std::vector<MqttMessage> messages) {
    std::lock_guard lock(m_mutex);
    m_announcements = std::move(messages);
}

void MqttPublisher::publish(MqttMessage message) {
    bool tellDropping = false;
    {
        std::lock_guard lock(m_mutex);
        if (message.reading && m_queue.size() >= m_settings.queueCapacity) {
            // The oldest reading makes room; the other messages are never dropped.
            const auto oldest = std::find_if(m_queue.begin(), m_queue.end(),
                                             [](const MqttMessage& m) { return m.reading; });
            if (oldest != m_queue.end()) {
                m_queue.erase(oldest);
                ++m_dropped;
                tellDropping = !m_droppingTold;
                m_droppingTold = true;
            }
        }
        m_queue.push_back(std::move(message));
    }
    if (tellDropping && m_notice)
        m_notice("dropping");
    pump();
}

bool MqttPublisher::takeNext(MqttMessage& message) {
    std::lock_guard lock(m_mutex);
    if (!m_connected || m_stop || m_inflight >= m_settings.window)
        return false;
    // After a connection: the status, then the announcements, counted from
    // the front, so that announcements set meanwhile never make one be skipped.
    if (m_announcing && m_announceNext > m_announcements.size())
        m_announcing = false;
    if (m_announcing) {
        message = m_announceNext == 0 ? MqttMessage{m_settings.statusTopic, "online", true, false}
                                      : m_announcements[m_announceNext - 1];
        ++m_announceNext;
    } else if (!m_queue.empty()) {
        message = std::move(m_queue.front());
        m_queue.pop_front();
    } else {
        return false;
    }
    ++m_inflight;
    return true;
}

void MqttPublisher::pump() {
    // One at a time from the queue to libmosquitto, so that the order holds
    // whichever thread hands them over.
    std::lock_guard send(m_sendMutex);
    MqttMessage message;
    while (takeNext(message)) {
        const int rc = mosquitto_publish(m_client, nullptr, message.topic.c_str(),
                                         static_cast<int>(message.payload.size()),
                                         message.payload.data(), 1, message.retain);
        // Without a connection libmosquitto keeps the message and sends it
        // once connected again; anything else refused it for good.
        if (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_NO_CONN) {
            std::lock_guard lock(m_mutex);
            --m_inflight;
            ++m_dropped;
        }
    }
}

void MqttPublisher::OnConnect(mosquitto*, void* self, int rc) {
    auto& p = *static_cast<MqttPublisher*>(self);
    bool back = false;
    {
        std::lock_guard lock(p.m_mutex);
        p.m_lastResult = rc;
        if (rc == 0) {
            p.m_connected = true;
            p.m_refused = false;
            p.m_failures = 0;
            p.m_announcing = true;
            p.m_announceNext = 0;
            back = p.m_outage;
            p.m_outage = false;
        } else {
            p.m_refused = true;
            p.m_lastReason = RefusalText(rc);
        }
    }
    p.m_changed.notify_all();
    if (back && p.m_notice)
        p.m_notice("back");
}

void MqttPublisher::OnDisconnect(mosquitto*, void* self, int rc) {
    auto& p = *static_cast<MqttPublisher*>(self);
    bool lost = false;
    {
        std::lock_guard lock(p.m_mutex);
        lost = p.m_connected && rc != 0 && !p.m_stop;
        p.m_connected = false;
        if (lost) {
            p.m_outage = true;
            p.m_droppingTold = false;
            p.m_lastReason = ResultText(rc, errno);
        }
    }
    p.m_changed.notify_all();
    if (lost && p.m_notice)
        p.m_notice("lost");
}

void MqttPublisher::OnPublish(mosquitto*, void* self, int) {
    auto& p = *static_cast<MqttPublisher*>(self);
    {
        std::lock_guard lock(p.m_mutex);
        if (p.m_inflight > 0)
            --p.m_inflight;
        ++p.m_acknowledged;
    }
    p.m_changed.notify_all();
}

void MqttPublisher::networkLoop() {
    const int waitMs = std::max(1, m_settings.keepAliveSeconds / 3) * 1000;
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_stop)
                break;
        }
        int rc = MOSQ_ERR_SUCCESS;
        if (mosquitto_socket(m_client) < 0)
            rc = mosquitto_reconnect_async(m_client);
        if (rc == MOSQ_ERR_SUCCESS)
            rc = mosquitto_loop(m_client, waitMs, 1);
        const int savedErrno = errno;
        pump();
        if (rc == MOSQ_ERR_SUCCESS)
            continue;
        // The attempt failed or the connection broke: pause, longer each time.
        std::unique_lock lock(m_mutex);
        if (m_stop)
            return;
        if (!m_refused)
            m_lastReason = ResultText(rc, savedErrno);
        ++m_failures;
        m_connected = false;
        const auto pause = std::min<Clock::duration>(
            kFirstPause * (1LL << std::min(m_failures - 1, 10)), kLongestPause);
        m_changed.notify_all();
        m_changed.wait_for(lock, pause, [this] { return m_stop; });
    }
    // libmosquitto leaves the writing to this loop: the goodbye that follows
    // the stop goes out here, so that the broker closes the connection
    // cleanly and keeps the last will to itself.
    const auto end = Clock::now() + kOfflineWait;
    while (mosquitto_socket(m_client) >= 0 && Clock::now() < end &&
           mosquitto_loop(m_client, static_cast<int>(kInterruptCheck.count()), 1) ==
               MOSQ_ERR_SUCCESS) {
    }
}

MqttPublisher::Outcome MqttPublisher::finish(const std::function<bool()>& interrupted) {
    Outcome outcome;
    std::unique_lock lock(m_mutex);
    auto done = [this] {
        return m_queue.empty() && m_inflight == 0 &&
               !(m_announcing && m_announceNext <= m_announcements.size());
    };
    auto lastProgress = Clock::now();
    std::uint64_t seen = m_acknowledged;
    while (!done() && !(interrupted && interrupted())) {
        if (m_acknowledged != seen) {
            seen = m_acknowledged;
            lastProgress = Clock::now();
        }
        if (Clock::now() - lastProgress >= m_settings.stallTimeout)
            break;
        m_changed.wait_for(lock, kInterruptCheck);
    }
    outcome.undelivered = m_queue.size() + static_cast<std::uint64_t>(m_inflight);
    if (m_connected) {
        lock.unlock();
        publish({m_settings.statusTopic, "offline", true, false});
        lock.lock();
        m_changed.wait_for(lock, kOfflineWait, done);
    }
    outcome.acknowledged = m_acknowledged;
    outcome.dropped = m_dropped;
    m_stop = true;
    lock.unlock();
    m_changed.notify_all();
    mosquitto_disconnect(m_client);
    if (m_network.joinable())
        m_network.join();
    return outcome;
}

} // namespace ostrel
