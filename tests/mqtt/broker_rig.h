#pragma once
// A real mosquitto broker for the tests, on 127.0.0.1 at a port that was free
// (other test runs share the machine), with its configuration, log and
// persistent sessions in a scratch folder: stop() and start() again keep the
// port and the sessions, as a broker that restarts does. And a subscriber
// (libmosquitto, a session that outlives its connections) that collects every
// message it gets.

#include "../cli/cli_run.h"

#include <mosquitto.h>
#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <netinet/in.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace ostrel::test {

// Waits on a loaded machine are long: they end as soon as what they wait for
// happens.
inline constexpr std::chrono::seconds kBrokerWait{30};

inline int FreePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &size) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

inline bool Accepts(int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(s);
    return ok;
}

// The broker program: on the PATH, or where Debian puts it (/usr/sbin is not
// on every user's PATH). Empty when it is not installed.
inline std::string BrokerProgram() {
    std::string dirs = std::getenv("PATH") ? std::getenv("PATH") : "";
    dirs += ":/usr/sbin:/usr/local/sbin";
    std::istringstream list(dirs);
    for (std::string dir; std::getline(list, dir, ':');)
        if (!dir.empty() && ::access((dir + "/mosquitto").c_str(), X_OK) == 0)
            return dir + "/mosquitto";
    return {};
}

inline constexpr const char* kNoBroker =
    "the mosquitto broker is not installed (tools/setup-deps installs it) or did not start";

class Broker {
  public:
    // extra: more lines of the listener's configuration (TLS, passwords).
    explicit Broker(const std::string& extra = "allow_anonymous true\n") : m_extra(extra) {
        for (int attempt = 0; attempt < 5 && m_pid <= 0 && !m_program.empty(); ++attempt) {
            m_port = FreePort();
            start();
        }
    }
    ~Broker() { stop(); }
    Broker(const Broker&) = delete;
    Broker& operator=(const Broker&) = delete;

    bool running() const { return m_pid > 0; }
    int port() const { return m_port; }
    std::string url(const std::string& topic, const std::string& scheme = "mqtt") const {
        return scheme + "://127.0.0.1:" + std::to_string(m_port) + "/" + topic;
    }
    std::string operator/(const std::string& name) const { return m_dir / name; }
    std::string log() const { return ReadText(m_dir / "broker.log"); }

    // Starts the broker; whether it accepts connections in time.
    bool start() {
        // As root the broker would become the user "mosquitto", who may not
        // read the scratch folder.
        WriteText(m_dir / "broker.conf", std::string(::geteuid() == 0 ? "user root\n" : "") +
                                             "persistence true\npersistence_location " +
                                             m_dir.path().string() + "/\nlog_dest file " +
                                             (m_dir / "broker.log") +
                                             "\nlog_type all\nmax_queued_messages 0\nlistener " +
                                             std::to_string(m_port) + " 127.0.0.1\n" + m_extra);
        const std::string config = m_dir / "broker.conf";
        const char* argv[] = {m_program.c_str(), "-c", config.c_str(), nullptr};
        // What it says on its own (a warning about root) goes beside its log.
        const std::string output = m_dir / "broker.out";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const bool spawned =
            !m_program.empty() && ::posix_spawn(&m_pid, m_program.c_str(), &actions, nullptr,
                                                const_cast<char**>(argv), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        if (!spawned) {
            m_pid = -1;
            return false;
        }
        if (WaitUntil([this] { return Accepts(m_port) || exited(); }, kBrokerWait) && !exited())
            return true;
        stop();
        return false;
    }

    // Ends the broker as its service manager does (SIGTERM: it saves its sessions).
    void stop() {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

  private:
    bool exited() { return ::waitpid(m_pid, nullptr, WNOHANG) == m_pid && ((m_pid = -1), true); }

    const std::string m_program = BrokerProgram();
    ScratchDir m_dir;
    std::string m_extra;
    int m_port = 0;
    pid_t m_pid = -1;
};

struct Received {
    std::string topic;
    std::string payload;
    bool retained = false;
    nlohmann::json json() const { return nlohmann::json::parse(payload); }
};

// Subscribes to a topic filter at QoS 1 in a session the broker keeps while it
// is away, reconnecting by itself.
class Subscriber {
  public:
    Subscriber(int port, std::string filter, const std::string& user = {},
               const std::string& password = {})
        : m_filter(std::move(filter)) {
        mosquitto_lib_init();
        const std::string id = "ostrel-test-" + std::to_string(::getpid()) + "-" +
                               std::to_string(reinterpret_cast<std::uintptr_t>(this));
        m_client = mosquitto_new(id.c_str(), false, this);
        mosquitto_connect_callback_set(m_client, [](mosquitto* c, void* self, int rc) {
            if (rc == 0)
                mosquitto_subscribe(c, nullptr, static_cast<Subscriber*>(self)->m_filter.c_str(),
                                    1);
        });
        mosquitto_subscribe_callback_set(m_client,
                                         [](mosquitto*, void* self, int, int, const int*) {
                                             auto& s = *static_cast<Subscriber*>(self);
                                             std::lock_guard lock(s.m_mutex);
                                             s.m_subscribed = true;
                                         });
        mosquitto_message_callback_set(
            m_client, [](mosquitto*, void* self, const mosquitto_message* m) {
                auto& s = *static_cast<Subscriber*>(self);
                std::lock_guard lock(s.m_mutex);
                s.m_messages.push_back({m->topic,
                                        std::string(static_cast<const char*>(m->payload),
                                                    static_cast<std::size_t>(m->payloadlen)),
                                        m->retain});
            });
        if (!user.empty())
            mosquitto_username_pw_set(m_client, user.c_str(), password.c_str());
        mosquitto_reconnect_delay_set(m_client, 1, 1, false);
        mosquitto_connect(m_client, "127.0.0.1", port, 30);
        mosquitto_loop_start(m_client);
        WaitUntil(
            [this] {
                std::lock_guard lock(m_mutex);
                return m_subscribed;
            },
            kBrokerWait);
    }
    ~Subscriber() {
        mosquitto_disconnect(m_client);
        mosquitto_loop_stop(m_client, false);
        mosquitto_destroy(m_client);
    }
    Subscriber(const Subscriber&) = delete;
    Subscriber& operator=(const Subscriber&) = delete;

    bool subscribed() {
        std::lock_guard lock(m_mutex);
        return m_subscribed;
    }
    std::vector<Received> messages() {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }
    // The messages on one topic.
    std::vector<Received> on(const std::string& topic) {
        std::vector<Received> out;
        for (Received& m : messages())
            if (m.topic == topic)
                out.push_back(std::move(m));
        return out;
    }
    // Whether `count` messages came on topic in time.
    bool await(const std::string& topic, std::size_t count) {
        return WaitUntil([&] { return on(topic).size() >= count; }, kBrokerWait);
    }

  private:
    std::string m_filter;
    mosquitto* m_client = nullptr;
    std::mutex m_mutex;
    std::vector<Received> m_messages;
    bool m_subscribed = false;
};

} // namespace ostrel::test
