#pragma once

#include "script/junit_report.h"
#include "script/received_rows.h"
#include "script/script.h"
#include "script/test_link.h"
#include "script/test_report.h"

#include <QTemporaryDir>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// What the window is asked to run on its port.
struct ScriptJob {
    enum class Kind { Script, Sweep };
    Kind kind = Kind::Script;
    std::string path;     // Script: the .vxs file
    int modelRow = -1;    // Sweep: the model, or -1 to ask the device for its Device ID
    bool setValues = false;
};

// One run of a script or the sweep on the window's port, on a thread of its own (the runner waits
// for answers; the UI thread never does). It is the same runner the console tool drives, talking
// through the window's port: its sends go out through `send` (which logs and records them as the
// window's own), and the rows the window's receive worker hands to Rows() are the ones its
// expects wait on. Step outcomes queue for the UI thread in order; the queue is bounded, so a run
// that outpaces the window waits for it rather than filling memory.
class CScriptSession : private ITestLink {
public:
    using Sender = std::function<bool(const CountedBytes& payload, std::string& error)>;
    struct Finished {
        int status = 0;       // as the console tool's: 0 all passed, 1 failed or stopped, 2 script error
        std::string error;    // why the run could not start or go on, "FILE:LINE: REASON" for a script
        std::string summary;  // "N passed, N failed" and the failed subjects
    };
    struct Callbacks {
        std::function<void()> outcomesReady;          // from the run's thread: TakeOutcomes has more
        std::function<void(std::size_t)> planned;     // from the run's thread: steps the run will take
        std::function<void(const Finished&)> finished; // from the run's thread, last
    };
    static constexpr std::size_t kMostQueued = 10'000;

    CScriptSession(Sender send, Callbacks callbacks);
    // Stops the run and waits for its thread.
    ~CScriptSession() override;
    CScriptSession(const CScriptSession&) = delete;
    CScriptSession& operator=(const CScriptSession&) = delete;

    void Start(ScriptJob job);
    // The run ends after the step under way.
    void Stop();
    // The rows the window receives while the run goes on.
    IRowSink& RowSink() { return m_rows; }
    std::vector<StepOutcome> TakeOutcomes();
    // The JUnit report of the run, in place once the run has finished; empty when none could be
    // started.
    const std::string& ReportPath() const { return m_reportPath; }

private:
    bool Send(const CountedBytes& payload, std::string& error) override { return m_send(payload, error); }
    CReceivedRows& Rows() override { return m_rows; }

    void Run(const ScriptJob& job);
    // Prepares the run of a script: 0 when it can go on, otherwise its status, the reason given.
    int PrepareScript(const ScriptJob& job, std::vector<Script>& scripts, Finished& finished);
    void Queue(const StepOutcome& outcome);

    Sender m_send;
    Callbacks m_callbacks;
    CReceivedRows m_rows;
    CTestReport m_report;
    CJUnitReport m_junit;
    QTemporaryDir m_reportFolder;
    std::string m_reportPath;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_taken;
    std::deque<StepOutcome> m_queued;
    std::thread m_thread;
};
