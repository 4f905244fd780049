#pragma once

#include "script/device_session.h"
#include "script/script_parser.h"
#include "script/script_runner.h"
#include "script/test_report.h"
#include "simulator/simulator_thread.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// A simulated device on a pseudo-terminal and a test session on its port, as `vantrolix-cli
// run` has them.
struct SimulatedBench {
    explicit SimulatedBench(int modelRow, MisbehaviourMap faults = {})
    {
        SimulatorOptions options;
        options.misbehave = std::move(faults);
        simulator = std::make_unique<CSimulatorThread>(modelRow, options);
        EXPECT_TRUE(simulator->Started()) << simulator->Error();
        std::string error;
        EXPECT_TRUE(session.Open(simulator->PortName(), error)) << error;
    }

    // Parses, composes for the model and runs the script text.
    void Run(const std::string& text, int modelRow)
    {
        ParsedScript parsed = ParseScript(text, "bench.vxs");
        ASSERT_FALSE(parsed.error) << parsed.error->Text();
        const auto composeError = ComposeScript(parsed.script, modelRow);
        ASSERT_FALSE(composeError) << composeError->Text();
        CScriptRunner(session, report).Run(parsed.script);
    }

    // The outcome of the step on this line (the first, when it ran more than once).
    const StepOutcome& Step(int line) const
    {
        for (const StepOutcome& step : steps)
            if (step.line == line)
                return step;
        static const StepOutcome none{};
        ADD_FAILURE() << "no step on line " << line;
        return none;
    }

    std::unique_ptr<CSimulatorThread> simulator;
    CDeviceSession session;
    std::vector<StepOutcome> steps; // every outcome, as the report handed it on
    CTestReport report{[this](const StepOutcome& step) { steps.push_back(step); }};
};
