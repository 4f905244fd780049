#include "app/script_session.h"

#include "catalogue/catalogue_tables.h"
#include "script/conformance_sweep.h"
#include "script/script_file.h"
#include "script/script_parser.h"
#include "script/script_runner.h"

CScriptSession::CScriptSession(Sender send, Callbacks callbacks)
    : m_send(std::move(send)), m_callbacks(std::move(callbacks))
{
    m_report.Listen({{}, [this](const StepOutcome& outcome) { Queue(outcome); }});
}

CScriptSession::~CScriptSession()
{
    Stop();
    if (m_thread.joinable())
        m_thread.join();
}

void CScriptSession::Start(ScriptJob job)
{
    std::string error;
    if (m_reportFolder.isValid()) {
        const std::string path = m_reportFolder.filePath("report.xml").toStdString();
        if (m_junit.Open(path, error)) {
            m_junit.Follow(m_report);
            m_reportPath = path;
        }
    }
    m_thread = std::thread([this, job = std::move(job)] { Run(job); });
}

void CScriptSession::Stop()
{
    m_stop = true;
    const std::lock_guard lock(m_mutex);
    m_taken.notify_all();
}

std::vector<StepOutcome> CScriptSession::TakeOutcomes()
{
    std::vector<StepOutcome> taken;
    {
        const std::lock_guard lock(m_mutex);
        taken.assign(std::make_move_iterator(m_queued.begin()), std::make_move_iterator(m_queued.end()));
        m_queued.clear();
    }
    m_taken.notify_all();
    return taken;
}

void CScriptSession::Queue(const StepOutcome& outcome)
{
    bool wasEmpty = false;
    {
        std::unique_lock lock(m_mutex);
        // A stopped run's last outcomes may be dropped rather than wait for a window that is closing.
        m_taken.wait(lock, [this] { return m_queued.size() < kMostQueued || m_stop; });
        if (m_queued.size() >= kMostQueued)
            return;
        wasEmpty = m_queued.empty();
        m_queued.push_back(outcome);
    }
    if (wasEmpty && m_callbacks.outcomesReady)
        m_callbacks.outcomesReady();
}

int CScriptSession::PrepareScript(const ScriptJob& job, std::vector<Script>& scripts, Finished& finished)
{
    const auto text = ReadScriptFile(job.path, finished.error, &m_stop);
    if (!text)
        return finished.error.empty() ? 1 : 2;
    ParsedScript parsed = ParseScript(*text, job.path);
    if (parsed.error) {
        finished.error = parsed.error->Text();
        return 2;
    }
    scripts.push_back(std::move(parsed.script));
    const ScriptsComposed composed = ComposeScripts(scripts, *this);
    finished.error = composed.error;
    switch (composed.outcome) {
    case ScriptsComposed::Outcome::Ready:
        return 0;
    case ScriptsComposed::Outcome::NoModel:
        m_report.AddError(job.path, composed.error);
        return 1;
    case ScriptsComposed::Outcome::ScriptError:
        break;
    }
    return 2;
}

void CScriptSession::Run(const ScriptJob& job)
{
    Finished finished;
    if (job.kind == ScriptJob::Kind::Script) {
        std::vector<Script> scripts;
        finished.status = PrepareScript(job, scripts, finished);
        if (finished.status == 0) {
            if (m_callbacks.planned)
                m_callbacks.planned(PlannedSteps(scripts.front()));
            CScriptRunner runner(*this, m_report);
            runner.SetStopFlag(&m_stop);
            runner.Run(scripts.front());
        }
    } else {
        int model = job.modelRow;
        if (model < 0) {
            const auto named = IdentifyModel(*this, finished.error);
            model = named ? *named : -1;
        }
        if (model < 0) {
            finished.error += "; choose the model in the Build Command window";
            m_report.AddError("sweep", finished.error);
            finished.status = 1;
        } else {
            if (m_callbacks.planned)
                m_callbacks.planned(SweepSteps(model, job.setValues));
            RunSweep(*this, model, job.setValues, m_report, &m_stop);
        }
    }
    if (finished.status == 0) {
        finished.status = m_report.Failed() == 0 ? 0 : 1;
        if (m_stop) {
            finished.status = 1;
            finished.error = "stopped before the end";
            m_report.AddError(job.path.empty() ? "sweep" : job.path, "stopped before the end (Stop in the window)");
        }
        finished.summary = FormatSummary(m_report);
    }
    // A stop before the first step (while the file was read, or the device asked its model) ends
    // the run as a stop at any later moment does.
    if (m_stop && finished.error.empty()) {
        finished.status = 1;
        finished.error = "stopped before the end";
    }
    if (m_junit.IsOpen()) {
        std::string error;
        if (!m_junit.Finish(error))
            m_reportPath.clear();
    }
    if (m_callbacks.finished)
        m_callbacks.finished(finished);
}
