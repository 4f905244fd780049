// A script run for the window, on its own thread, with a sender that stands for the port.
#include "app/script_session.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>

namespace {

std::string WriteScript(const QTemporaryDir& dir, const QByteArray& text)
{
    const QString path = dir.filePath("run.vxs");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return path.toStdString();
}

} // namespace

// A window that falls behind holds the run up rather than have its steps pile up; they come in
// the order they ran, none lost.
TEST(ScriptSession, StepsWaitForTheWindowInOrderAndBounded)
{
    QTemporaryDir dir;
    const std::string path = WriteScript(dir, "repeat 25000\nsend 20 20\nend\n");
    std::atomic<std::size_t> sends{0};
    std::atomic<bool> done{false};
    std::atomic<int> status{-1};
    CScriptSession session([&](const CountedBytes&, std::string&) { ++sends; return true; },
                           {{}, {}, [&](const CScriptSession::Finished& f) { status = f.status; done = true; }});
    session.Start({ScriptJob::Kind::Script, path, -1, false});

    // Nobody takes the steps: the run stops at the bound, having sent one more it cannot report.
    ASSERT_TRUE(QTest::qWaitFor([&] { return sends.load() >= CScriptSession::kMostQueued + 1; }, 30000));
    std::vector<StepOutcome> taken = session.TakeOutcomes();
    EXPECT_EQ(taken.size(), CScriptSession::kMostQueued);
    EXPECT_FALSE(done);

    std::size_t round = 0;
    bool inOrder = true;
    const auto check = [&](const std::vector<StepOutcome>& outcomes) {
        for (const StepOutcome& outcome : outcomes)
            inOrder = inOrder && outcome.iteration == std::to_string(++round) + "/25000";
    };
    check(taken);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        check(session.TakeOutcomes());
        return done.load();
    }, 30000));
    check(session.TakeOutcomes());
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(round, 25000u);
    EXPECT_EQ(status, 0);
}

// A script that cannot be read or is wrong ends the run before anything is sent, with the
// console tool's status and words.
TEST(ScriptSession, AScriptThatCannotRunSendsNothing)
{
    QTemporaryDir dir;
    for (const auto& [path, reason] : std::vector<std::pair<std::string, std::string>>{
             {WriteScript(dir, "send 20 20\nfrobnicate\n"), ":2: "},
             {dir.filePath("missing.vxs").toStdString(), "cannot read "}}) {
        std::atomic<bool> sent{false};
        std::atomic<bool> done{false};
        CScriptSession::Finished finished;
        CScriptSession session([&](const CountedBytes&, std::string&) { sent = true; return true; },
                               {{}, {}, [&](const CScriptSession::Finished& f) { finished = f; done = true; }});
        session.Start({ScriptJob::Kind::Script, path, -1, false});
        ASSERT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 30000));
        EXPECT_EQ(finished.status, 2) << path;
        EXPECT_NE(finished.error.find(reason), std::string::npos) << finished.error;
        EXPECT_FALSE(sent);
    }
}
