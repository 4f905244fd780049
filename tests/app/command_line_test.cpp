#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {
CommandLineParse Parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "vantrolix");
    return ParseCommandLine(args);
}
} // namespace

TEST(CommandLine, PortAndSimulatedModel)
{
    const CommandLineParse none = Parse({});
    EXPECT_TRUE(none.run);
    EXPECT_FALSE(none.options.port);
    EXPECT_FALSE(none.options.simulateModel);

    EXPECT_EQ(Parse({"--simulate"}).options.simulateModel, "Elmora");
    EXPECT_EQ(Parse({"--simulate", "Brisolt"}).options.simulateModel, "Brisolt");
    EXPECT_EQ(Parse({"--simulate=Orlin Birch"}).options.simulateModel, "Orlin Birch");
    EXPECT_EQ(Parse({"--simulate", "elmora"}).options.simulateModel, "elmora"); // any letter case

    const CommandLineParse port = Parse({"--port", "/dev/ttyUSB1"});
    EXPECT_TRUE(port.run);
    EXPECT_EQ(port.options.port, "/dev/ttyUSB1");
    EXPECT_FALSE(port.options.simulateModel);

    const CommandLineParse open = Parse({"--open", "capture.tsv"});
    EXPECT_TRUE(open.run);
    EXPECT_EQ(open.options.openFile, "capture.tsv");
    EXPECT_FALSE(open.options.port);

    const CommandLineParse rig = Parse({"--simulate", "Fenlow", "--run-script", "check.vxs", "--exit-when-done"});
    EXPECT_TRUE(rig.run);
    EXPECT_EQ(rig.options.runScript, "check.vxs");
    EXPECT_TRUE(rig.options.exitWhenDone);
    EXPECT_FALSE(Parse({"--run-script", "check.vxs"}).options.exitWhenDone);

    const CommandLineParse watch = Parse({"--watch-controller", "/dev/ttyUSB0", "--watch-device", "/dev/ttyUSB1"});
    EXPECT_TRUE(watch.run);
    EXPECT_EQ(watch.options.watchController, "/dev/ttyUSB0");
    EXPECT_EQ(watch.options.watchDevice, "/dev/ttyUSB1");
    EXPECT_FALSE(watch.options.passThrough);
    EXPECT_TRUE(Parse({"--watch-controller", "A", "--watch-device", "B", "--pass-through"}).options.passThrough);
}

TEST(CommandLine, BadArgumentsGiveTheUsageAndExitCode2)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--bogus"}, {"stray"}, {"--port"}, {"--port", ""}, {"--simulate", "A", "B"},
             {"--simulate", "--port", "/dev/ttyUSB1"}, {"--simulate", "Nomodel"}, {"--open"}, {"--open", ""},
             {"--open", "a.tsv", "--port", "COM1"}, {"--open", "a.tsv", "--simulate"}, {"--run-script"},
             {"--run-script", ""}, {"--exit-when-done"}, {"--run-script", "a.vxs", "--open", "a.tsv"},
             // A watch needs both its ports, two of them, and no other port for the run.
             {"--watch-controller", "A"}, {"--watch-device", "B"}, {"--pass-through"},
             {"--watch-controller", "A", "--watch-device", "A"}, {"--watch-controller", "", "--watch-device", "B"},
             {"--watch-controller", "A", "--watch-device", "B", "--port", "C"},
             {"--watch-controller", "A", "--watch-device", "B", "--simulate"}}) {
        const CommandLineParse r = Parse(args);
        EXPECT_FALSE(r.run) << args.front();
        EXPECT_EQ(r.exitCode, 2) << args.front();
        EXPECT_NE(r.message.find("--simulate"), std::string::npos) << args.front();
    }
    const CommandLineParse help = Parse({"--help"});
    EXPECT_FALSE(help.run);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.message.find("--port"), std::string::npos);
}
