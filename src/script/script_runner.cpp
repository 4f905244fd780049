#include "script/script_runner.h"

#include "catalogue/catalogue_tables.h"
#include "catalogue/model_argument.h"
#include "log/log_row.h"
#include "log/printable_text.h"
#include "script/received_rows.h"
#include "script/test_link.h"
#include "script/row_wait.h"
#include "script/script_parser.h"
#include "script/test_report.h"

#include <limits>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kIdentifyWithin = 1000ms;
// Long waits are cut into slices so that a stop is seen soon.
constexpr auto kWaitSlice = 100ms;

std::size_t PlannedSteps(const std::vector<ScriptStep>& steps)
{
    constexpr std::size_t kMost = std::numeric_limits<std::size_t>::max();
    std::size_t total = 0;
    for (const ScriptStep& step : steps) {
        std::size_t count = 1;
        if (step.kind == ScriptStep::Kind::Repeat) {
            const std::size_t body = PlannedSteps(step.body);
            count = body != 0 && step.count > kMost / body ? kMost : body * step.count;
        }
        total = count > kMost - total ? kMost : total + count;
    }
    return total;
}

std::chrono::milliseconds Since(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

} // namespace

void CScriptRunner::Run(const Script& script)
{
    m_report.BeginSuite(script.file);
    RunSteps(script, script.steps, {});
}

void CScriptRunner::RunSteps(const Script& script, const std::vector<ScriptStep>& steps, const std::string& iteration)
{
    for (const ScriptStep& step : steps) {
        if (Stopped())
            return;
        if (step.kind != ScriptStep::Kind::Repeat) {
            RunStep(script, step, iteration);
            continue;
        }
        for (std::size_t i = 1; i <= step.count && !Stopped(); ++i)
            RunSteps(script, step.body, std::to_string(i) + "/" + std::to_string(step.count));
    }
}

void CScriptRunner::RunStep(const Script& script, const ScriptStep& step, const std::string& iteration)
{
    StepOutcome outcome{script.file, step.line, iteration, step.text, true, {}, {}, false, {}, false, {}};
    const auto start = Clock::now();
    switch (step.kind) {
    case ScriptStep::Kind::Send: {
        std::string error;
        outcome.passed = m_session.Send(step.command, error);
        outcome.arrived = outcome.passed ? "sent " + FormatBytes(step.command) : error;
        outcome.testCase = !outcome.passed;
        break;
    }
    case ScriptStep::Kind::Expect: {
        const Expectation& expect = step.expect;
        const WaitResult result = expect.kind == Expectation::Kind::Nothing
            ? WaitForSilence(m_session.Rows(), expect.within, expect.allowErrors, m_stop)
            : WaitForRow(m_session.Rows(), MatcherFor(expect), expect.within, expect.allowErrors, m_stop);
        outcome.passed = result.passed;
        outcome.arrived = result.arrived;
        outcome.at = result.decidedBy;
        outcome.testCase = true;
        break;
    }
    case ScriptStep::Kind::Wait: {
        const auto end = start + step.wait;
        m_session.Rows().Pausing();
        while (!Stopped() && Clock::now() < end)
            std::this_thread::sleep_for(std::min<Clock::duration>(kWaitSlice, end - Clock::now()));
        outcome.arrived = "waited";
        break;
    }
    case ScriptStep::Kind::Repeat:
        return;
    }
    outcome.elapsed = Since(start);
    if (outcome.at == std::chrono::system_clock::time_point{})
        outcome.at = std::chrono::system_clock::now();
    m_report.Add(std::move(outcome));
}

std::size_t PlannedSteps(const Script& script)
{
    return PlannedSteps(script.steps);
}

ScriptsComposed ComposeScripts(std::vector<Script>& scripts, ITestLink& link)
{
    std::optional<int> deviceModel;
    for (Script& script : scripts) {
        int model = script.model ? FindModelArgument(*script.model) : -1;
        if (!script.model && NeedsModel(script)) {
            std::string error;
            if (!deviceModel && !(deviceModel = IdentifyModel(link, error)))
                return {ScriptsComposed::Outcome::NoModel, error + "; name the model with a model line in " + script.file};
            model = *deviceModel;
        }
        if (const auto composeError = ComposeScript(script, model))
            return {ScriptsComposed::Outcome::ScriptError, composeError->Text()};
    }
    return {};
}

std::optional<int> IdentifyModel(ITestLink& session, std::string& error)
{
    if (!session.Send(CountedBytes{MessageType::kQuery, kDeviceIdVariable}, error))
        return std::nullopt;
    const auto isDeviceId = [](const ArrivedRow& row) { return ReportedDeviceName(row.payload).has_value(); };
    const WaitResult answer = WaitForRow(session.Rows(), isDeviceId, kIdentifyWithin, true);
    if (!answer.passed) {
        error = "the device did not answer the Device ID query within 1000 ms (" + answer.arrived + ")";
        return std::nullopt;
    }
    const std::string name = *ReportedDeviceName(answer.payload);
    const int model = FindModelArgument(name);
    if (model < 0) {
        const std::string shown = DeviceText(name);
        error = "the device names itself \"" + shown + "\": " + UnknownModelText(shown);
    }
    return model < 0 ? std::nullopt : std::optional<int>(model);
}
