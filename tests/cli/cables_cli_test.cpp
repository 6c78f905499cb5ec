// Several adapter cables at once: ostrel-cli info lists them, --device picks
// one on every device command, two recordings run side by side, and a cable
// this user may not open is explained by the cable doctor.
#include "recorder/record_file.h"

#include "cli_run.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using test::CliDir;
using test::CliRun;
using test::Lines;
using test::RunCli;

constexpr const char* kFirst = "F0DEBC9A78563412";
constexpr const char* kSecond = "F0DEBC9A78563413";

TEST(CliCables, InfoListsEveryCableAndDeviceChoosesOne) {
    CliDir dir;
    CliRun run = RunCli(dir, "info --simulate=cables=3");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{
                                  "PATH                      SERIAL            FIRMWARE  OPENS",
                                  "simulated:tarvix-cable    F0DEBC9A78563412  01.05     yes",
                                  "simulated:tarvix-cable-2  F0DEBC9A78563413  01.05     yes",
                                  "simulated:tarvix-cable-3  F0DEBC9A78563414  01.05     yes"}));

    // The second cable's meter shows AC volts where the first one's shows DC
    // volts: by serial number or by path, each command reaches the one named.
    auto mainCoupling = [&](const std::string& device) {
        const CliRun read = RunCli(dir, "read --simulate=cables=2,latency=5 --count 1 --format "
                                        "json --device " +
                                            device);
        EXPECT_EQ(read.status, 0) << read.err;
        return read.status == 0 ? nlohmann::json::parse(read.out)["main"]["couplingText"] : "";
    };
    EXPECT_EQ(mainCoupling(kFirst), "DC");
    EXPECT_EQ(mainCoupling(kSecond), "AC");
    EXPECT_EQ(mainCoupling("simulated:tarvix-cable-2"), "AC");
    EXPECT_EQ(mainCoupling("simulated:tarvix-cable"), "DC");
    run = RunCli(dir, std::string("info --simulate=cables=2 --device ") + kSecond);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(std::string("Cable SN : ") + kSecond), std::string::npos) << run.out;

    // A device that names no cable: a clear message and exit status 2, on
    // every device command, before anything is written.
    for (const std::string command :
         {"info", "read --count 1", "record --count 1 -o r.g53", "download -o d.slr"}) {
        run = RunCli(dir, command + " --simulate=cables=2,latency=0 --device F0DEBC9A78563499");
        EXPECT_EQ(run.status, 2) << command;
        EXPECT_EQ(run.err, "Error[E9102]: No adapter cable is F0DEBC9A78563499; ostrel-cli info "
                           "lists the cables by device path and serial number.\n")
            << command;
        EXPECT_EQ(run.out, "") << command;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "r.g53"));
    EXPECT_FALSE(std::filesystem::exists(dir / "r.g53.TMP"));
    EXPECT_FALSE(std::filesystem::exists(dir / "d.slr"));
}

TEST(CliCables, TwoRecordingsOnTwoCablesRunSideBySide) {
    CliDir dir;
    const std::string record = std::string(OSTREL_CLI) +
                               " record --simulate=cables=2,latency=10 --interval 0.02 --count 10";
    const std::string both = "cd " + dir.path().string() + " && { " + record + " --device " +
                             kFirst + " -o a.g53 >a.out 2>a.err & " + record + " --device " +
                             kSecond + " -o b.g53 >b.out 2>b.err & wait; }";
    ASSERT_EQ(std::system(("bash -c '" + both + "'").c_str()), 0);
    EXPECT_EQ(test::ReadText(dir / "a.err").find("Error"), std::string::npos);
    EXPECT_EQ(test::ReadText(dir / "b.err").find("Error"), std::string::npos);
    const SampleBuffer a = test::Load(dir / "a.g53");
    const SampleBuffer b = test::Load(dir / "b.g53");
    ASSERT_EQ(a.size(), 10u);
    ASSERT_EQ(b.size(), 10u);
    // Each file holds its own meter: the first shows DC volts, the second AC
    // volts, for the first 120 answers (10 samples take about 20).
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(FieldView(a[i].main.modeText), "DC") << i;
        EXPECT_EQ(FieldView(b[i].main.modeText), "AC") << i;
    }
}

TEST(CliCables, TheDoctorExplainsACableThisUserMayNotOpen) {
    CliDir dir;
    CliRun run = RunCli(dir, "info --simulate=noaccess");
    EXPECT_EQ(run.status, 2);
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_GE(lines.size(), 9u) << run.out;
    EXPECT_EQ(lines[0], "Error[E9104]: The adapter cable simulated:tarvix-cable is plugged in, "
                        "but this user may not open it.");
    // Which node, whose, with which mode; who the user is; whether the rule is
    // there; and the commands that open the node, one a line.
    EXPECT_EQ(lines[1].rfind("  node:      simulated:tarvix-cable, owner root, group root, mode "
                             "0600 (rw-------)",
                             0),
              0u)
        << lines[1];
    EXPECT_EQ(lines[2].rfind("  user:      nobody (uid 65534), groups nogroup", 0), 0u) << lines[2];
    EXPECT_EQ(lines[3].rfind("  udev rule: not installed (looked for 70-tarvix-cable.rules in "
                             "/etc/udev/rules.d",
                             0),
              0u)
        << lines[3];
    EXPECT_NE(
        run.out.find("\nTo open it, run:\n  echo 'KERNEL==\"hidraw*\", SUBSYSTEM==\"hidraw\", "
                     "ATTRS{idVendor}==\"0820\", ATTRS{idProduct}==\"0001\", "
                     "TAG+=\"uaccess\"' | sudo tee /etc/udev/rules.d/70-tarvix-cable.rules\n"
                     "  sudo udevadm control --reload-rules\n"
                     "  sudo udevadm trigger --subsystem-match=hidraw\n"),
        std::string::npos)
        << run.out;

    // The other commands point to the doctor.
    run = RunCli(dir, "read --simulate=noaccess,latency=0 --count 1");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Error[E9015]: USB adapter cable not found.\nThe adapter cable is plugged "
                       "in, but this user may not open it. ostrel-cli info says why and gives the "
                       "commands that open it.\n");
}

} // namespace
} // namespace ostrel
