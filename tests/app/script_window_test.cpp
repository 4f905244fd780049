// Test scripts and the conformance sweep run from the main window on a simulated device: the
// window's log and session record carry their traffic, the results pane reads as the console
// tool's output, Stop, script errors, the sends the user cannot make meanwhile, and the program
// run by a rig with --run-script and --exit-when-done.
#include "main_window_fixture.h"

#include "app/script_pane.h"
#include "app/sweep_dlg.h"
#include "app/vantrolix_dlg_ids.h"
#include "builder/build_command_dlg.h"
#include "catalogue/catalogue_lookup.h"
#include "catalogue/catalogue_tables.h"
#include "log/session_reader.h"
#include "script/conformance_sweep.h"
#include "simulator/simulator_thread.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QSettings>
#include <QTreeWidget>

#include <algorithm>
#include <fstream>

namespace {

const QString kExamples = QStringLiteral(VANTROLIX_EXAMPLES);
constexpr int kWaitMs = 60000;

// The console line without its time, which differs from run to run.
QString WithoutTime(const QString& line)
{
    return line.section('\t', 0, -2);
}

QStringList Lines(const QString& text)
{
    return text.split('\n', Qt::SkipEmptyParts);
}

class ScriptWindowTest : public MainWindowTest {
protected:
    // The window on a simulated device of this model, recording into the test's folder.
    void StartOn(const char* model, MisbehaviourMap faults = {})
    {
        SimulatorOptions options;
        options.misbehave = std::move(faults);
        simulator = std::make_unique<CSimulatorThread>(FindModel(model), options);
        ASSERT_TRUE(simulator->Started()) << simulator->Error();
        {
            QSettings config(SettingsFile(), QSettings::IniFormat);
            config.setValue("Session/Folder", settings.filePath("sessions"));
            config.setValue("Log/ShowSentCommands", true);
        }
        Start(simulator->PortName());
        // The start-up Device ID query's answer is in the log before a script begins.
        ASSERT_TRUE(WaitForRows(3));
    }

    // The sent rows in the log (the device's own rows, radio text on FM, come at any time).
    std::size_t SentRows()
    {
        dlg->ProcessReceivedRows();
        const std::vector<SessionRow> rows = dlg->Log()->ShownRows();
        return static_cast<std::size_t>(std::count_if(rows.begin(), rows.end(), [](const SessionRow& row) {
            return row.direction == RowDirection::Sent;
        }));
    }

    static int FindModel(const char* name)
    {
        for (std::size_t row = 0; row < kModelCount; ++row)
            if (std::string(ModelName(static_cast<int>(row))) == name)
                return static_cast<int>(row);
        ADD_FAILURE() << "no model " << name;
        return 0;
    }

    CScriptPane& Pane() const { return *dlg->ScriptPane(); }

    // Starts the job and waits for its end.
    bool RunToEnd(ScriptJob job)
    {
        finished.reset();
        if (!dlg->StartScriptJob(std::move(job)))
            return false;
        return QTest::qWaitFor([&] { return !dlg->IsScriptRunning(); }, kWaitMs);
    }
    bool RunScript(const QString& path)
    {
        return RunToEnd({ScriptJob::Kind::Script, path.toStdString(), -1, false});
    }

    QString WriteScript(const QString& name, const QString& text)
    {
        const QString path = settings.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        return path;
    }

    QStringList PaneResults() const
    {
        QStringList results;
        for (int i = 0; i < Pane().Steps()->topLevelItemCount(); ++i)
            results << Pane().Steps()->topLevelItem(i)->text(0);
        return results;
    }

    // What `vantrolix-cli run` prints for the script, on a simulated device of its own.
    QStringList ConsoleLines(const QString& script, const char* model, int& status)
    {
        CSimulatorThread console(FindModel(model), SimulatorOptions{});
        EXPECT_TRUE(console.Started());
        QProcess cli;
        cli.start(VANTROLIX_CLI_PATH, {"run", script, "--port", QString::fromStdString(console.PortName())});
        EXPECT_TRUE(cli.waitForFinished(kWaitMs));
        status = cli.exitCode();
        return Lines(QString::fromUtf8(cli.readAllStandardOutput()));
    }

    std::unique_ptr<CSimulatorThread> simulator;
    std::optional<CScriptSession::Finished> finished;
};

TEST_F(ScriptWindowTest, AnExampleRunsAsInTheConsoleWithItsTrafficInTheLogAndTheRecord)
{
    StartOn("Fenlow");
    const QString script = kExamples + "/tuner_fenlow.vxs";
    ASSERT_TRUE(RunScript(script));
    EXPECT_TRUE(Pane().isVisible());
    EXPECT_FALSE(PaneResults().contains("FAIL")) << Pane().CopyText().toStdString();

    // Ctrl+C in the pane gives the console tool's lines, the summary last.
    Pane().Steps()->setFocus();
    Pane().Steps()->clearSelection();
    QTest::keyClick(Pane().Steps(), Qt::Key_C, Qt::ControlModifier);
    const QStringList copied = Lines(QApplication::clipboard()->text());
    int status = -1;
    const QStringList console = ConsoleLines(script, "Fenlow", status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(copied.size(), console.size()) << copied.join('\n').toStdString();
    for (int i = 0; i + 1 < copied.size(); ++i)
        EXPECT_EQ(WithoutTime(copied[i]), WithoutTime(console[i]));
    EXPECT_EQ(copied.back(), console.back());
    EXPECT_EQ(Pane().Status()->text(), console.back());

    // Every send of the script is a sent row in the log and in the record, its answer after it.
    dlg->ProcessReceivedRows();
    const std::vector<SessionRow> shown = dlg->Log()->ShownRows();
    const auto sentQueries = std::count_if(shown.begin(), shown.end(), [](const SessionRow& row) {
        return row.direction == RowDirection::Sent && row.description == "Set Tuner Band = FM";
    });
    EXPECT_EQ(sentQueries, 1);
    const auto answer = std::find_if(shown.begin(), shown.end(), [](const SessionRow& row) {
        return row.description == "Value Tuner Band = FM";
    });
    EXPECT_NE(answer, shown.end());
    const std::string record = dlg->SessionFile();
    dlg->reject();
    std::ifstream in(record, std::ios::binary);
    std::vector<SessionRow> recorded;
    ReadSession(in, {[&](SessionRow&& row) { recorded.push_back(std::move(row)); }, [](SessionProblem&&) {}});
    const auto sends = std::count_if(shown.begin(), shown.end(), [](const SessionRow& row) { return row.direction == RowDirection::Sent; });
    EXPECT_EQ(std::count_if(recorded.begin(), recorded.end(),
                            [](const SessionRow& row) { return row.direction == RowDirection::Sent; }),
              sends);
    EXPECT_GE(sends, 8); // the start-up query and the script's seven sends
}

TEST_F(ScriptWindowTest, AFailingRunShowsItsFailuresInRedAndDoubleClickFindsTheRowInTheLog)
{
    StartOn("Fenlow", {{23, Misbehaviour::WrongValue}});
    ASSERT_TRUE(RunScript(kExamples + "/tuner_fenlow.vxs"));
    const QStringList results = PaneResults();
    ASSERT_EQ(results.count("FAIL"), 1) << Pane().CopyText().toStdString();
    QTreeWidgetItem* failed = Pane().Steps()->topLevelItem(static_cast<int>(results.indexOf("FAIL")));
    EXPECT_TRUE(failed->text(2).startsWith("expect Value Volume = -30 dB"));
    EXPECT_NE(failed->foreground(0).color(), Pane().Steps()->topLevelItem(0)->foreground(0).color());
    EXPECT_TRUE(Pane().Status()->text().startsWith("17 passed, 1 failed"));

    // Every row of the run in the log first: on a slow machine the log may not have taken them all
    // when the run's last result comes.
    dlg->ProcessReceivedRows();
    // A passed expect: the log row it matched.
    QTreeWidgetItem* passed = Pane().Steps()->topLevelItem(static_cast<int>(results.indexOf("ok", 1)));
    ASSERT_TRUE(passed->text(2).startsWith("expect Value Device ID = Fenlow"));
    emit Pane().Steps()->itemActivated(passed, 0);
    const CGridCellRange selected = Grid().GetSelectedCellRange();
    EXPECT_EQ(Cell(selected.minRow, 3), "Value Device ID = Fenlow");
    // The failed one: the rows that came while it waited, its wrong answer among them.
    emit Pane().Steps()->itemActivated(failed, 0);
    const CGridCellRange around = Grid().GetSelectedCellRange();
    ASSERT_GE(around.minRow, 1);
    bool sawAnswer = false;
    for (int row = around.minRow; row <= around.maxRow; ++row)
        sawAnswer = sawAnswer || Cell(row, 3).startsWith("Value Volume");
    EXPECT_TRUE(sawAnswer);
}

TEST_F(ScriptWindowTest, StopEndsARepeatAfterTheStepUnderWayAndSendsAreOffMeanwhile)
{
    StartOn("Fenlow");
    const QString script = WriteScript("soak.vxs", "model Fenlow\n"
                                                   "repeat 100000\n"
                                                   "  send query volume\n"
                                                   "  expect /Value Volume = .*/\n"
                                                   "end\n");
    ASSERT_TRUE(dlg->StartScriptJob({ScriptJob::Kind::Script, script.toStdString(), -1, false}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Pane().Steps()->topLevelItemCount() >= 20; }, kWaitMs));

    // The user's sends would come between the script's steps.
    EXPECT_FALSE(Button(IDC_SEND)->isEnabled());
    EXPECT_FALSE(dlg->Builder()->Control(IDC_SEND)->isEnabled());
    EXPECT_FALSE(Button(IDC_SEND)->toolTip().isEmpty());
    Edit(IDC_COMMAND_DATA)->setText("20 20");
    Button(IDC_SEND)->click();
    dlg->Builder()->Control(IDC_SEND)->setFocus();
    qobject_cast<QPushButton*>(dlg->Builder()->Control(IDC_SEND))->click();
    QTest::keyClick(Edit(IDC_COMMAND_DATA), Qt::Key_Return);
    dlg->Transmit();
    EXPECT_TRUE(Pane().Progress()->format().contains("of 200000 steps"));

    // Escape in the pane stops the run; the window stays.
    Pane().Steps()->setFocus();
    QTest::keyClick(Pane().Steps(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg->IsScriptRunning(); }, kWaitMs));
    EXPECT_TRUE(dlg->isVisible());
    // Far from its 200,000 steps; the last line says it was stopped (an expect under way when the
    // stop came may have failed as stopped).
    EXPECT_LT(Pane().Steps()->topLevelItemCount(), 100000);
    EXPECT_EQ(PaneResults().back(), "ERROR");
    EXPECT_LE(PaneResults().count("FAIL"), 1);
    EXPECT_TRUE(Pane().Status()->text().startsWith("stopped before the end"));
    // None of those went out: the start-up query is the only Device ID query in the log.
    dlg->ProcessReceivedRows();
    const std::vector<SessionRow> shown = dlg->Log()->ShownRows();
    EXPECT_EQ(std::count_if(shown.begin(), shown.end(),
                            [](const SessionRow& row) {
                                return row.direction == RowDirection::Sent && row.description == "Query Device ID";
                            }),
              1);

    EXPECT_TRUE(Button(IDC_SEND)->isEnabled());
    EXPECT_TRUE(dlg->Builder()->Control(IDC_SEND)->isEnabled());
}

TEST_F(ScriptWindowTest, SetupWhileAScriptRunsOffersToStopItAndLeavesThePortAlone)
{
    StartOn("Fenlow");
    const QString script = WriteScript("long.vxs", "wait 60000 ms\n");
    ASSERT_TRUE(dlg->StartScriptJob({ScriptJob::Kind::Script, script.toStdString(), -1, false}));
    const QString port = Edit(IDC_PORT)->text();
    const auto answer = [](QMessageBox::StandardButton button) {
        OnNextModal([button](QDialog& box) {
            auto* question = qobject_cast<QMessageBox*>(&box);
            ASSERT_NE(question, nullptr) << "Setup opened without asking";
            question->button(button)->click();
        });
    };
    answer(QMessageBox::No);
    Button(IDC_SETUP)->click();
    EXPECT_TRUE(dlg->IsScriptRunning());
    answer(QMessageBox::Yes);
    Button(IDC_SETUP)->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg->IsScriptRunning(); }, kWaitMs));
    EXPECT_EQ(Edit(IDC_PORT)->text(), port);
    EXPECT_TRUE(Pane().Status()->text().startsWith("stopped before the end")) << Pane().Status()->text().toStdString();
}

TEST_F(ScriptWindowTest, AScriptErrorIsToldAsTheConsoleToolTellsItAndNothingIsSent)
{
    StartOn("Fenlow");
    const QString script = WriteScript("broken.vxs", "model Fenlow\nsend query volume\nexpect\n");
    const std::size_t before = SentRows();
    ASSERT_TRUE(RunScript(script));
    QProcess cli;
    cli.start(VANTROLIX_CLI_PATH, {"run", script, "--port", QString::fromStdString(simulator->PortName())});
    ASSERT_TRUE(cli.waitForFinished(kWaitMs));
    EXPECT_EQ(cli.exitCode(), 2);
    const QString console = QString::fromUtf8(cli.readAllStandardError()).trimmed();
    EXPECT_TRUE(Pane().Status()->text().startsWith(script + ":3: "));
    EXPECT_EQ(console, "vantrolix-cli: " + Pane().Status()->text()) << Pane().Status()->text().toStdString();
    EXPECT_EQ(Pane().Steps()->topLevelItemCount(), 0);
    Received(std::chrono::milliseconds(200));
    EXPECT_EQ(SentRows(), before);
}

TEST_F(ScriptWindowTest, APortThatIsNotOpenRefusesToRunAndSaysWhy)
{
    Start("/dev/vantrolix-no-such-port");
    EXPECT_FALSE(dlg->StartScriptJob({ScriptJob::Kind::Script, (kExamples + "/tuner_fenlow.vxs").toStdString(), -1, false}));
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages.last().contains("/dev/vantrolix-no-such-port is not open")) << messages.last().toStdString();
    EXPECT_FALSE(dlg->IsScriptRunning());
}

TEST_F(ScriptWindowTest, TheSweepPassesOnEverySimulatedModelAndNamesTheMisbehavingVariables)
{
    for (std::size_t row = 0; row < kModelCount; ++row) {
        const char* model = ModelName(static_cast<int>(row));
        StartOn(model);
        ASSERT_TRUE(RunToEnd({ScriptJob::Kind::Sweep, {}, static_cast<int>(row), false})) << model;
        EXPECT_EQ(PaneResults().count("FAIL"), 0) << model << Pane().CopyText().toStdString();
        EXPECT_EQ(static_cast<std::size_t>(PaneResults().size()), SweepSteps(static_cast<int>(row), false)) << model;
        EXPECT_EQ(Pane().Progress()->value(), Pane().Progress()->maximum()) << model;
        dlg->reject();
        dlg.reset();
    }
    // The model from the device's Device ID answer; three variables answer wrongly.
    StartOn("Fenlow", {{23, Misbehaviour::WrongValue}, {24, Misbehaviour::Silent}, {43, Misbehaviour::BadChecksum}});
    ASSERT_TRUE(RunToEnd({ScriptJob::Kind::Sweep, {}, -1, false}));
    EXPECT_TRUE(Pane().Status()->text().endsWith("failed: Volume (23), Mute (24), Tuner Band (43)"))
        << Pane().Status()->text().toStdString();
}

TEST_F(ScriptWindowTest, TheSweepDialogTakesTheBuildersModelAndConfirmsSettingValues)
{
    StartOn("Fenlow");
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->Builder()->GetModelRow() == FindModel("Fenlow"); }, 5000));
    CSweepDlg sweep(dlg->Builder()->GetModelRow(), dlg.get());
    EXPECT_EQ(sweep.Models()->currentText(), "Fenlow");
    sweep.SetBox()->setChecked(true);
    OnNextModal([](QDialog& box) { box.reject(); }); // "No": the device is not to be changed
    sweep.accept();
    EXPECT_NE(sweep.result(), QDialog::Accepted);
    OnNextModal([](QDialog& box) {
        auto* question = qobject_cast<QMessageBox*>(&box);
        ASSERT_NE(question, nullptr);
        question->button(QMessageBox::Yes)->click();
    });
    sweep.accept();
    EXPECT_EQ(sweep.result(), QDialog::Accepted);
    EXPECT_TRUE(sweep.SetValues());
}

TEST_F(ScriptWindowTest, TheReportSavesAsJUnitAndTheToolsActionsAreInTheLogMenu)
{
    StartOn("Fenlow");
    ASSERT_TRUE(RunScript(kExamples + "/tuner_fenlow.vxs"));
    const QString report = settings.filePath("report.xml");
    QString error;
    ASSERT_TRUE(Pane().SaveReport(report, error)) << error.toStdString();
    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray xml = file.readAll();
    EXPECT_TRUE(xml.contains("<testsuites>"));
    EXPECT_TRUE(xml.contains("failures=\"0\""));
    EXPECT_TRUE(xml.contains("expect Value Tuner Band = FM"));

    const QList<QAction*> tools = dlg->ToolsActions();
    ASSERT_EQ(tools.size(), 3);
    EXPECT_EQ(tools[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
    // The script just run is the first recent one.
    ASSERT_NE(tools[1]->menu(), nullptr);
    emit tools[1]->menu()->aboutToShow();
    ASSERT_FALSE(tools[1]->menu()->actions().isEmpty());
    EXPECT_TRUE(tools[1]->menu()->actions().first()->text().endsWith("tuner_fenlow.vxs"));
}

// The program as a rig runs it: offscreen, a simulated device, the script's status as its own.
int RunProgram(const QStringList& args, QString* errors = nullptr)
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.path());
    program.setProcessEnvironment(env);
    program.start(VANTROLIX_PATH, args);
    EXPECT_TRUE(program.waitForFinished(kWaitMs));
    if (errors)
        *errors = QString::fromUtf8(program.readAllStandardError());
    return program.exitCode();
}

TEST(ScriptWindowProgram, ExitWhenDoneEndsWithTheStatusOfTheScript)
{
    QTemporaryDir dir;
    const auto write = [&](const QString& name, const QByteArray& text) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    };
    const QString failing = write("fail.vxs", "model Fenlow\nsend query volume\nexpect Value Volume = 7 dB within 300 ms\n");
    const QString broken = write("broken.vxs", "model Fenlow\nrepeat 2\n");
    QString errors;
    EXPECT_EQ(RunProgram({"--simulate", "Fenlow", "--run-script", kExamples + "/tuner_fenlow.vxs", "--exit-when-done"}, &errors), 0)
        << errors.toStdString();
    EXPECT_TRUE(errors.contains("18 passed, 0 failed"));
    EXPECT_EQ(RunProgram({"--simulate", "Fenlow", "--run-script", failing, "--exit-when-done"}), 1);
    EXPECT_EQ(RunProgram({"--simulate", "Fenlow", "--run-script", broken, "--exit-when-done"}, &errors), 2);
    EXPECT_TRUE(errors.contains(broken + ":2: ")) << errors.toStdString();
    EXPECT_EQ(RunProgram({"--port", "/dev/vantrolix-no-such-port", "--run-script", failing, "--exit-when-done"}, &errors), 1);
    EXPECT_TRUE(errors.contains("/dev/vantrolix-no-such-port")) << errors.toStdString();
}

} // namespace
