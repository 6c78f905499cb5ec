// ostrel-cli read --mqtt and record --mqtt against a real mosquitto broker on
// 127.0.0.1: every message as a subscriber sees it, the retained status and
// the last will, the discovery messages, a user with a password file, and a
// broker that goes away in the middle of a run and comes back.
#include "broker_rig.h"

#include "recorder/record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>

namespace ostrel {
namespace {

using nlohmann::json;
using test::Broker;
using test::CliDir;
using test::CliRun;
using test::kBrokerWait;
using test::kNoBroker;
using test::Lines;
using test::ReadText;
using test::Received;
using test::RunCli;
using test::Subscriber;
using test::WaitUntil;

constexpr const char* kFirstCable = "F0DEBC9A78563412";
// A sample takes at least this much room in a record file or its journal.
constexpr std::uintmax_t kSampleBytes = 76;

// ostrel-cli in the background, its output, errors and exit status in files of dir.
class BackgroundCli {
  public:
    BackgroundCli(const CliDir& dir, const std::string& arguments) : m_dir(dir) {
        test::StartInBackground("cd " + dir.path().string() + " && { " + OSTREL_CLI + " " +
                                arguments + " >out 2>err & echo $! >pid; wait $!; echo $? >rc; }");
    }
    std::string out() const { return ReadText(m_dir / "out"); }
    std::string err() const { return ReadText(m_dir / "err"); }
    // The size of the journal of record -o r.g53.
    std::uintmax_t journalSize() const {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(m_dir / "r.g53.TMP", ec);
        return ec ? 0 : size;
    }
    // Whether it ended within the time given.
    bool ended(std::chrono::milliseconds limit = std::chrono::seconds(90)) const {
        return WaitUntil([this] { return !ReadText(m_dir / "rc").empty(); }, limit);
    }
    int status() const { return std::stoi(ReadText(m_dir / "rc")); }
    void kill(int signal) const {
        ASSERT_TRUE(WaitUntil([this] { return !ReadText(m_dir / "pid").empty(); }, kBrokerWait));
        ::kill(std::stoi(ReadText(m_dir / "pid")), signal);
    }

  private:
    const CliDir& m_dir;
};

std::vector<std::string> Payloads(const std::vector<Received>& messages) {
    std::vector<std::string> out;
    for (const Received& m : messages)
        out.push_back(m.payload);
    return out;
}

// The readings in the order they first came: QoS 1 may bring a message twice
// when the broker went away before it acknowledged it.
std::vector<json> FirstComings(const std::vector<Received>& messages) {
    std::set<std::string> seen;
    std::vector<json> out;
    for (const Received& m : messages)
        if (seen.insert(m.payload).second)
            out.push_back(m.json());
    return out;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? ""
                                      : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A display of a message against what the same reading's --format json line
// says of it: the value field and exponent, the unit label, the coupling.
void ExpectDisplayMatches(const json& message, const json& printed) {
    const std::string field = Trimmed(printed["valueField"]);
    const std::string text = message["text"];
    EXPECT_EQ(text.rfind(field, 0), 0u) << text << " / " << field;
    EXPECT_EQ(message["coupling"], printed["couplingText"]);
    const bool overload = field.find('L') != std::string::npos;
    EXPECT_EQ(message["overload"], overload);
    EXPECT_EQ(message["openSensor"], false);
    std::string number = field;
    std::string unit;
    if (!number.empty() && (number.back() == 'C' || number.back() == 'F')) {
        unit = number.back() == 'C' ? "\u00B0C" : "\u00B0F";
        number.pop_back();
    } else {
        const std::string label = printed["unitText"];
        unit = label == "W" ? "\u03A9" : label;
    }
    EXPECT_EQ(message["unit"], unit) << printed.dump();
    if (overload) {
        EXPECT_TRUE(message["value"].is_null());
    } else {
        const double expected =
            std::stod(number) * std::pow(10.0, std::stoi(std::string(printed["exponentText"])));
        EXPECT_NEAR(message["value"].get<double>(), expected, std::fabs(expected) * 1e-9);
    }
}

// A message of record --mqtt carries the sample the record file holds at the same place.
void ExpectSample(const json& message, const RecordPair& stored) {
    const std::string field = Trimmed(std::string(FieldView(stored.main.dataText)));
    EXPECT_EQ(message["main"]["text"].get<std::string>().rfind(field, 0), 0u) << message.dump();
    if (!message["main"]["overload"]) {
        const double value = message["main"]["value"];
        EXPECT_NEAR(value, stored.main.value, std::max(1e-3, std::fabs(value) * 1e-6));
    }
    EXPECT_EQ(message["sub"].is_null(), stored.hasSub == 0);
}

TEST(MqttBrokerCli, ReadPublishesEachReadingAsPrintedWithStatusAndDiscovery) {
    Broker broker;
    ASSERT_TRUE(broker.running()) << test::kNoBroker;
    Subscriber subscriber(broker.port(), "#");
    ASSERT_TRUE(subscriber.subscribed());
    CliDir dir;
    // 300 readings go through every function of the simulated meter: DC and AC
    // volts with a sub display, ohms up to an overload, a temperature; the
    // battery mark comes and goes.
    const CliRun run =
        RunCli(dir, "read --simulate=latency=0,lowbattery=7 --count 300 --format json --mqtt " +
                        broker.url("lab/meter") + " --mqtt-discovery");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> printed = Lines(run.out);
    ASSERT_EQ(printed.size(), 300u);

    ASSERT_TRUE(subscriber.await("lab/meter", printed.size()));
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto status = subscriber.on("lab/meter/status");
            return !status.empty() && status.back().payload == "offline";
        },
        kBrokerWait));
    const std::vector<Received> readings = subscriber.on("lab/meter");
    ASSERT_EQ(readings.size(), printed.size()); // each one once
    std::set<std::string> units;
    std::set<bool> lowBattery;
    for (std::size_t i = 0; i < printed.size(); ++i) {
        SCOPED_TRACE("reading " + std::to_string(i));
        const json message = readings[i].json();
        const json line = json::parse(printed[i]);
        std::vector<std::string> keys;
        for (const auto& item : message.items())
            keys.push_back(item.key());
        EXPECT_EQ(keys, (std::vector<std::string>{"cable", "lowBattery", "main", "sub", "time"}));
        EXPECT_EQ(message["time"], line["time"]);
        EXPECT_EQ(message["cable"], kFirstCable);
        EXPECT_EQ(message["lowBattery"], line["lowBattery"] == 1);
        EXPECT_FALSE(readings[i].retained);
        ExpectDisplayMatches(message["main"], line["main"]);
        if (line["sub"]["function"] == 0)
            EXPECT_TRUE(message["sub"].is_null());
        else
            ExpectDisplayMatches(message["sub"], line["sub"]);
        units.insert(message["main"]["unit"].get<std::string>());
        lowBattery.insert(message["lowBattery"].get<bool>());
    }
    EXPECT_EQ(units, (std::set<std::string>{"V", "\u03A9", "\u00B0C"}));
    EXPECT_EQ(lowBattery.size(), 2u);

    // The status says online before the first reading, offline after the last.
    const std::vector<Received> all = subscriber.messages();
    std::vector<std::string> statuses = Payloads(subscriber.on("lab/meter/status"));
    EXPECT_EQ(statuses, (std::vector<std::string>{"online", "offline"}));
    EXPECT_EQ(all.front().topic, "lab/meter/status");

    // A newcomer sees what was kept: offline, and the sensors as the last
    // reading's function describes them (the units follow the function).
    Subscriber late(broker.port(), "#");
    const std::string device = std::string("ostrel_") + "f0debc9a78563412";
    const std::string mainConfig = "homeassistant/sensor/" + device + "/main/config";
    const std::string subConfig = "homeassistant/sensor/" + device + "/sub/config";
    const std::string batteryConfig = "homeassistant/binary_sensor/" + device + "/battery/config";
    ASSERT_TRUE(WaitUntil(
        [&] {
            return !late.on("lab/meter/status").empty() && !late.on(mainConfig).empty() &&
                   !late.on(subConfig).empty() && !late.on(batteryConfig).empty();
        },
        kBrokerWait));
    EXPECT_EQ(late.on("lab/meter/status").back().payload, "offline");
    EXPECT_TRUE(late.on("lab/meter").empty()); // readings are never retained
    const json last = readings.back().json();
    for (const std::string& topic : {mainConfig, subConfig, batteryConfig}) {
        SCOPED_TRACE(topic);
        const Received config = late.on(topic).back();
        EXPECT_TRUE(config.retained);
        const json c = config.json();
        EXPECT_EQ(c["state_topic"], "lab/meter");
        EXPECT_EQ(c["availability_topic"], "lab/meter/status");
        EXPECT_EQ(c["device"]["serial_number"], kFirstCable);
    }
    EXPECT_EQ(late.on(mainConfig).back().json()["unit_of_measurement"], last["main"]["unit"]);
    const json subSensor = late.on(subConfig).back().json();
    if (last["sub"].is_null())
        EXPECT_FALSE(subSensor.contains("unit_of_measurement"));
    else
        EXPECT_EQ(subSensor["unit_of_measurement"], last["sub"]["unit"]);
}

TEST(MqttBrokerCli, RecordPublishesEachKeptSampleAndTheWillSaysOfflineWhenItDies) {
    Broker broker;
    ASSERT_TRUE(broker.running()) << kNoBroker;
    Subscriber subscriber(broker.port(), "rec/#");
    ASSERT_TRUE(subscriber.subscribed());
    CliDir dir;
    const CliRun run = RunCli(dir, "record --simulate=latency=0 --interval 0.01 --count 40 "
                                   "-o r.g53 --mqtt " +
                                       broker.url("rec"));
    ASSERT_EQ(run.status, 0) << run.err;
    const SampleBuffer stored = test::Load(dir / "r.g53");
    ASSERT_EQ(stored.size(), 40u);
    ASSERT_TRUE(subscriber.await("rec", stored.size()));
    const std::vector<Received> samples = subscriber.on("rec");
    ASSERT_EQ(samples.size(), stored.size());
    std::string previous;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        SCOPED_TRACE("sample " + std::to_string(i));
        const json message = samples[i].json();
        ExpectSample(message, stored[i]);
        EXPECT_GE(message["time"].get<std::string>(), previous);
        previous = message["time"];
    }

    // A run that dies leaves its last will: offline, retained.
    CliDir second;
    BackgroundCli killed(second, "record --simulate --interval 0.1 -o k.g53 --mqtt " +
                                     broker.url("rec/killed"));
    ASSERT_TRUE(subscriber.await("rec/killed", 1));
    ASSERT_TRUE(subscriber.await("rec/killed/status", 1));
    EXPECT_EQ(subscriber.on("rec/killed/status").front().payload, "online");
    killed.kill(SIGKILL);
    ASSERT_TRUE(killed.ended());
    ASSERT_TRUE(subscriber.await("rec/killed/status", 2));
    EXPECT_EQ(subscriber.on("rec/killed/status")[1].payload, "offline");
    Subscriber late(broker.port(), "rec/killed/status");
    ASSERT_TRUE(late.await("rec/killed/status", 1));
    EXPECT_EQ(late.on("rec/killed/status").front().payload, "offline");
    EXPECT_TRUE(late.on("rec/killed/status").front().retained);
}

TEST(MqttBrokerCli, AUserWithAPasswordFileGetsInOthersAreRefused) {
    CliDir dir;
    ASSERT_EQ(std::system(("mosquitto_passwd -c -b " + (dir / "passwd") + " meter s3cret").c_str()),
              0)
        << "mosquitto_passwd (package mosquitto) is missing";
    Broker broker("allow_anonymous false\npassword_file " + (dir / "passwd") + "\n");
    ASSERT_TRUE(broker.running()) << kNoBroker;
    Subscriber subscriber(broker.port(), "lab/#", "meter", "s3cret");
    ASSERT_TRUE(subscriber.subscribed());

    test::WriteText(dir / "right", "s3cret\n");
    test::WriteText(dir / "wrong", "secret\n");
    std::filesystem::permissions(dir / "right", std::filesystem::perms::owner_read);
    std::filesystem::permissions(dir / "wrong", std::filesystem::perms::owner_read);
    const std::string read = "read --simulate=latency=0 --count 3 --mqtt " + broker.url("lab/m");
    CliRun run = RunCli(dir, read + " --mqtt-user meter --mqtt-password-file right");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(subscriber.await("lab/m", 3));

    // A wrong password, or none, is refused before any reading is taken.
    for (const std::string& who :
         {std::string(" --mqtt-user meter --mqtt-password-file wrong"), std::string()}) {
        run = RunCli(dir, read + who);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("Error[E9122]: The MQTT broker 127.0.0.1:" +
                                    std::to_string(broker.port()) + " refused the connection: ",
                                0),
                  0u)
            << run.err;
    }
    EXPECT_EQ(subscriber.on("lab/m").size(), 3u);
}

// A recording of 200 samples, 20 a second; the broker goes away after the
// tenth message and comes back once 25 more samples were taken meanwhile.
struct Outage {
    Broker broker;
    CliDir dir;
    std::unique_ptr<Subscriber> subscriber;
    std::unique_ptr<BackgroundCli> run;

    void go(const std::string& more) {
        ASSERT_TRUE(broker.running()) << kNoBroker;
        subscriber = std::make_unique<Subscriber>(broker.port(), "lab/#");
        ASSERT_TRUE(subscriber->subscribed());
        run = std::make_unique<BackgroundCli>(
            dir, "record --simulate=latency=5 --interval 0.05 --count 200 -o r.g53 --mqtt " +
                     broker.url("lab/meter") + more);
        ASSERT_TRUE(subscriber->await("lab/meter", 10));
        broker.stop();
        const std::uintmax_t before = run->journalSize();
        ASSERT_TRUE(WaitUntil(
            [&] {
                return run->err().find("Warning[W9123]: The MQTT broker") != std::string::npos &&
                       run->journalSize() >= before + 25 * kSampleBytes;
            },
            kBrokerWait))
            << run->err();
        ASSERT_TRUE(broker.start()) << broker.log();
        ASSERT_TRUE(run->ended());
    }
};

TEST(MqttBrokerCli, MessagesQueuedWhileTheBrokerIsAwayArriveWhenItIsBack) {
    Outage outage;
    outage.go("");
    EXPECT_EQ(outage.run->status(), 0) << outage.run->err();
    const std::string err = outage.run->err();
    EXPECT_NE(err.find("is back; the queued messages follow."), std::string::npos) << err;
    const SampleBuffer stored = test::Load(outage.dir / "r.g53");
    ASSERT_EQ(stored.size(), 200u);
    ASSERT_TRUE(outage.subscriber->await("lab/meter", stored.size()));
    // Every sample, in order, whatever came twice.
    const std::vector<json> samples = FirstComings(outage.subscriber->on("lab/meter"));
    ASSERT_EQ(samples.size(), stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        SCOPED_TRACE("sample " + std::to_string(i));
        ExpectSample(samples[i], stored[i]);
    }
    ASSERT_TRUE(WaitUntil(
        [&] { return Payloads(outage.subscriber->on("lab/meter/status")).back() == "offline"; },
        kBrokerWait));
    // Online at the start, offline while away (the last will, which the
    // stopping broker publishes and the subscriber may get again as retained
    // when it subscribes anew), online again once back, offline at the end.
    std::vector<std::string> status = Payloads(outage.subscriber->on("lab/meter/status"));
    status.erase(std::unique(status.begin(), status.end()), status.end());
    EXPECT_EQ(status, (std::vector<std::string>{"online", "offline", "online", "offline"}));
}

TEST(MqttBrokerCli, AFullQueueDropsTheOldestReadingsAndSaysHowMany) {
    Outage outage;
    outage.go(" --mqtt-queue 5");
    EXPECT_EQ(outage.run->status(), 2);
    const std::string err = outage.run->err();
    EXPECT_NE(err.find("Warning[W9124]: The MQTT queue is full"), std::string::npos) << err;
    const std::string told = "Error[E9125]: ";
    const auto at = err.find(told);
    ASSERT_NE(at, std::string::npos) << err;
    const std::size_t dropped = std::stoul(err.substr(at + told.size()));
    EXPECT_GE(dropped, 20u);

    // What was not dropped arrived, the newest last: the drops and the
    // arrivals make up the recording.
    const SampleBuffer stored = test::Load(outage.dir / "r.g53");
    ASSERT_EQ(stored.size(), 200u);
    ASSERT_TRUE(outage.subscriber->await("lab/meter", stored.size() - dropped));
    const std::vector<json> samples = FirstComings(outage.subscriber->on("lab/meter"));
    EXPECT_EQ(samples.size() + dropped, stored.size());
    ExpectSample(samples.back(), stored.back());
}

} // namespace
} // namespace ostrel
