// The main window's session record: the file it writes, Save Log As, a reopened session, the
// display options and the scrollback.
#include "main_window_fixture.h"
#include "support/grid_test_access.h"

#include "log/session_format.h"
#include "log/session_reader.h"
#include "support/utf8_check.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct ReadBack {
    std::vector<SessionRow> rows;
    std::vector<std::string> problems;
};

ReadBack ReadFile(const std::string& path)
{
    ReadBack result;
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    ReadSession(in, {[&](SessionRow&& row) { result.rows.push_back(std::move(row)); },
                     [&](SessionProblem&& problem) { result.problems.push_back(problem.Text()); }});
    return result;
}

std::vector<SessionRow> Only(const std::vector<SessionRow>& rows, RowDirection direction)
{
    std::vector<SessionRow> out;
    std::copy_if(rows.begin(), rows.end(), std::back_inserter(out),
                 [&](const SessionRow& row) { return row.direction == direction; });
    return out;
}

// Runs `act` on the next modal dialog of type T, once it is up.
template <class T>
void OnNextModalOf(std::function<void(T&)> act)
{
    QTimer::singleShot(0, [act] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget()))
            act(*dialog);
        else
            OnNextModalOf<T>(act);
    });
}

QByteArray FirstLine(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readLine() : QByteArray("(no file)");
}

// Ends the pipe whose write end is `fd` after a while, unless gone before: a window that read the
// pipe on its UI thread would otherwise wait for its end for ever. Closes `fd` when it goes.
class PipeWatchdog {
public:
    explicit PipeWatchdog(int fd) : m_fd(fd), m_thread([this] { Watch(); }) {}
    ~PipeWatchdog()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_gone = true;
        }
        m_changed.notify_all();
        m_thread.join();
        ::close(m_fd);
    }

private:
    void Watch()
    {
        std::unique_lock lock(m_mutex);
        if (m_changed.wait_for(lock, std::chrono::seconds(120), [this] { return m_gone; }))
            return;
        // The number stays taken, so the test's later writes cannot reach another file.
        const int nothing = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        ::dup2(nothing, m_fd);
        ::close(nothing);
    }

    int m_fd;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_gone = false;
    std::thread m_thread;
};

class SessionWindow : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Set("Session/Folder", Folder());
    }

    QString Folder() const { return settings.filePath("sessions"); }
    void Set(const char* key, const QVariant& value)
    {
        QSettings(SettingsFile(), QSettings::IniFormat).setValue(key, value);
    }

    // Shows the file read-only, as --open does, and waits until it has loaded.
    void Review(const std::string& path, std::size_t rowLimit = CSessionReview::kRowLimit)
    {
        dlg = std::make_unique<CVantrolixDlg>(CPortSetting(SettingsFile()), device.SlavePath());
        dlg->SetReviewFile(path, rowLimit);
        dlg->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg->IsLoading(); }, 60'000));
    }

    // A session file of `rows` received rows whose data reads 0, 1, 2, ...
    std::string WriteRows(const char* name, int rows)
    {
        std::string text(kSessionTitles);
        text += '\n';
        const auto when = std::chrono::system_clock::now();
        for (int i = 0; i < rows; ++i)
            AppendSessionLine(text, ReceivedRow(when, {"", "1, 2", std::to_string(i), ""}));
        const std::string path = settings.filePath(name).toStdString();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    // Ends the window as Escape does, which closes its session file.
    std::string Finish()
    {
        const std::string path = dlg->SessionFile();
        dlg->reject();
        return path;
    }
};

} // namespace

TEST_F(SessionWindow, EveryRowTheLogShowsIsRecordedWithSentCommandsAndPortEvents)
{
    Start();
    const std::string path = dlg->SessionFile();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(QString::fromStdString(path).startsWith(Folder()));
    EXPECT_TRUE(Edit(1001)->toolTip().contains(QString::fromStdString(path))) << Edit(1001)->toolTip().toStdString();
    Received();
    DeviceSends(Packet({20, 21, 1}));
    // A device name with a tab and a line feed in it: still one line, escaped as in the log.
    DeviceSends(Packet({20, 20, 'A', '\t', 'B', '\n'}));
    DeviceSends({1, 20, 21});
    DeviceSends(Packet({20, 21, 0})); // its start byte breaks the frame before it
    ASSERT_TRUE(WaitForRows(5));
    Button(1010)->click();
    Received();
    dlg->ProcessReceivedRows();

    const std::vector<SessionRow> shown = dlg->Log()->ShownRows();
    ASSERT_EQ(Finish(), path);
    const ReadBack back = ReadFile(path);
    EXPECT_TRUE(back.problems.empty());
    EXPECT_EQ(Only(back.rows, RowDirection::Received), shown);
    EXPECT_NE(shown[1].description.find("A\\x09B\\x0a"), std::string::npos) << shown[1].description;

    // The start-up query and the Send click, each with its packet, payload and meaning.
    const auto sent = Only(back.rows, RowDirection::Sent);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].encoded, "1, 20, 20, 2, 215");
    EXPECT_EQ(sent[0].data, "20, 20");
    EXPECT_EQ(sent[0].description, "Query Device ID");
    // Port opened first, closed last.
    ASSERT_GE(back.rows.size(), 2u);
    EXPECT_EQ(back.rows.front().encoded, "Port opened: " + device.SlavePath());
    EXPECT_EQ(back.rows.back().encoded, "Port closed: " + device.SlavePath());
    // The sent query comes before the answers it caused.
    EXPECT_EQ(back.rows[1].direction, RowDirection::Sent);
}

// Device bytes are Latin-1 letters in the log and in every file, and a port event is recorded
// under the name it came with from the receive thread.
TEST_F(SessionWindow, DeviceLettersAndNonAsciiNamesAreUtf8InTheLogAndEveryFile)
{
    Start();
    Received();
    DeviceSends(Packet({20, 20, 'C', 'a', 'f', 0xE9, ' ', 0xFF, 0x9B}));
    ASSERT_TRUE(WaitForRows(2));
    EXPECT_EQ(Cell(1, 3), QStringLiteral(u"Value Device ID = Caf\u00E9 \u00FF\\x9b"));
    // As its receive worker calls it: the window is that worker's sink through a private base,
    // which only a C-style cast reaches from here.
    auto& sink = (IRowSink&)*dlg;
    sink.OnPortEvent(std::chrono::system_clock::now(), IRowSink::PortEvent::DeviceGone, "COM\xC5\x82");
    dlg->ProcessReceivedRows();

    const QString folder = settings.filePath(QStringLiteral(u"Pomiary \u20AC"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString csv = folder + QStringLiteral(u"/log \u0142.csv");
    ASSERT_TRUE(dlg->SaveLogAs(csv));
    QFile saved(csv);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray savedText = saved.readAll();
    EXPECT_TRUE(IsValidUtf8(savedText.toStdString()));
    EXPECT_TRUE(savedText.contains("Value Device ID = Caf\xC3\xA9 \xC3\xBF\\x9b")) << savedText.toStdString();

    const std::string recorded = Finish();
    std::ifstream in(recorded, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_TRUE(IsValidUtf8(text));
    const ReadBack back = ReadFile(recorded);
    const auto port = Only(back.rows, RowDirection::Port);
    ASSERT_GE(port.size(), 2u);
    EXPECT_EQ(port[1].encoded, "Device gone: COM\xC5\x82");
}

// A Send that could not go out because the port never opened is recorded as a failed write is.
TEST_F(SessionWindow, ASendOnAPortThatNeverOpenedIsRecordedAsFailed)
{
    Start("/dev/vantrolix-no-such-port");
    Button(1010)->click();
    EXPECT_EQ(messages, QStringList({"RS232 Transmit Error"}));
    const ReadBack back = ReadFile(Finish());
    const auto sent = Only(back.rows, RowDirection::Sent);
    ASSERT_EQ(sent.size(), 1u); // the start-up query was never tried
    EXPECT_EQ(sent[0].encoded, "1, 20, 20, 2, 215");
    EXPECT_EQ(sent[0].data, "RS232 Transmit Error");
}

TEST_F(SessionWindow, SentCommandsAndMillisecondsAreShownOnRequestAndRemembered)
{
    Start();
    Received();
    DeviceSends(Packet({20, 21, 1}));
    ASSERT_TRUE(WaitForRows(2));
    Button(1010)->click();
    Received();
    dlg->ProcessReceivedRows();
    // Off by default: the log looks as it always did.
    EXPECT_EQ(Grid().GetRowCount(), 2);
    EXPECT_EQ(Cell(1, 0).size(), 8);

    dlg->SetShowSentCommands(true);
    ASSERT_EQ(Grid().GetRowCount(), 4);
    EXPECT_EQ(Cell(1, 1), "Sent: 1, 20, 20, 2, 215");
    EXPECT_EQ(Cell(2, 2), "20, 21, 1");
    EXPECT_TRUE(Cell(3, 1).startsWith("Sent: "));
    dlg->SetShowMilliseconds(true);
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d$").match(Cell(2, 0)).hasMatch()) << Cell(2, 0).toStdString();
    EXPECT_EQ(Cell(2, 2), "20, 21, 1");

    // A save writes what is shown, without the mark.
    const QString saved = settings.filePath("shown.tsv");
    ASSERT_TRUE(dlg->SaveLogAs(saved));
    const ReadBack back = ReadFile(saved.toStdString());
    ASSERT_EQ(back.rows.size(), 3u);
    EXPECT_EQ(back.rows[0].encoded, "1, 20, 20, 2, 215");
    EXPECT_EQ(back.rows[0].direction, RowDirection::Sent);

    dlg->SetShowSentCommands(false);
    EXPECT_EQ(Grid().GetRowCount(), 2);
    EXPECT_EQ(Cell(1, 2), "20, 21, 1");
    EXPECT_EQ(Cell(1, 0).size(), 12);

    // The next run starts as this one was left.
    dlg->reject();
    Start();
    EXPECT_FALSE(dlg->Log()->Display().showSent);
    EXPECT_TRUE(dlg->Log()->Display().showMilliseconds);
}

TEST_F(SessionWindow, TheScrollbackDropsOldRowsFromTheLogButNotFromTheFile)
{
    Set("Log/Scrollback", 5);
    Start();
    Received();
    for (std::uint8_t i = 0; i < 20; ++i)
        DeviceSends(Packet({20, 21, i}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Cell(Grid().GetRowCount() - 1, 2) == "20, 21, 19"; }, 5000));
    dlg->ProcessReceivedRows();
    EXPECT_LE(Grid().GetRowCount(), 1 + 5);
    EXPECT_LE(dlg->Log()->KeptRows(), 5u);
    EXPECT_EQ(GridTestAccess::CheckIndexes(Grid()), "");
    // The newest rows, in order, right under the header.
    const int last = Grid().GetRowCount() - 1;
    for (int r = 1; r <= last; ++r)
        EXPECT_EQ(Cell(r, 2), QString("20, 21, %1").arg(19 - (last - r)));

    const ReadBack back = ReadFile(Finish());
    EXPECT_EQ(Only(back.rows, RowDirection::Received).size(), 20u);
}

TEST_F(SessionWindow, SaveWritesSessionOrCsvAndAFailureSaysWhyAndKeepsTheLog)
{
    Start();
    Received();
    DeviceSends(Packet({20, 21, 1}));
    DeviceSends(Packet({20, 21, 0}));
    ASSERT_TRUE(WaitForRows(3));
    const QString csv = settings.filePath("log.csv");
    ASSERT_TRUE(dlg->SaveLogAs(csv));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 4); // titles, two rows, nothing after the last CR LF
    EXPECT_EQ(lines[0], "Time,Direction,Encoded,Data,Description\r");
    EXPECT_TRUE(lines[1].endsWith(",received,\"1, 20, 21, 94, 65, 2, 213\",\"20, 21, 1\",Value Power Mode = On\r"))
        << lines[1].toStdString();

    EXPECT_FALSE(dlg->SaveLogAs(settings.filePath("no-such-folder/log.tsv")));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("No such file or directory")) << messages[0].toStdString();
    EXPECT_EQ(Grid().GetRowCount(), 3);
    // Ctrl+S is the window's.
    EXPECT_EQ(dlg->SaveAction()->shortcut(), QKeySequence(QKeySequence::Save));
}

TEST_F(SessionWindow, SaveLogAsWritesTheChosenFilterFormatUnderItsExtension)
{
    Start();
    Received();
    DeviceSends(Packet({20, 21, 1}));
    ASSERT_TRUE(WaitForRows(2));
    const auto saveAs = [&](const QString& filter, const QString& name) {
        OnNextModalOf<QFileDialog>([path = settings.filePath(name), filter](QFileDialog& dialog) {
            dialog.selectNameFilter(filter);
            dialog.selectFile(path);
            static_cast<QDialog&>(dialog).accept(); // the file dialog's own, as its Save button
            // Still up when it asked about replacing a file and was told no.
            if (dialog.isVisible())
                dialog.reject();
        });
        dlg->SaveAction()->trigger();
    };
    const QByteArray csvTitles = "Time,Direction,Encoded,Data,Description\r\n";
    const QByteArray sessionTitles = QByteArray(kSessionTitles.data(), kSessionTitles.size()) + '\n';

    saveAs("CSV files (*.csv)", "picked");
    EXPECT_FALSE(QFile::exists(settings.filePath("picked")));
    EXPECT_EQ(FirstLine(settings.filePath("picked.csv")), csvTitles);
    saveAs("Session files (*.tsv)", "kept");
    EXPECT_EQ(FirstLine(settings.filePath("kept.tsv")), sessionTitles);
    // No extension to add: the name as typed, in the format its own extension asks for.
    saveAs("All files (*)", "plain");
    EXPECT_EQ(FirstLine(settings.filePath("plain")), sessionTitles);
    saveAs("CSV files (*.csv)", "notes.txt");
    EXPECT_EQ(FirstLine(settings.filePath("notes.txt")), sessionTitles);
    EXPECT_FALSE(QFile::exists(settings.filePath("notes.txt.csv")));

    // A file of the completed name is replaced only when the user says so.
    {
        QFile mine(settings.filePath("picked.csv"));
        ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
        mine.write("mine\n");
    }
    OnNextModalOf<QMessageBox>([](QMessageBox& box) { box.button(QMessageBox::No)->click(); });
    saveAs("CSV files (*.csv)", "picked");
    EXPECT_EQ(FirstLine(settings.filePath("picked.csv")), "mine\n");
    OnNextModalOf<QMessageBox>([](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); });
    saveAs("CSV files (*.csv)", "picked");
    EXPECT_EQ(FirstLine(settings.filePath("picked.csv")), csvTitles);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(SessionWindow, AFolderSettingHoldingANulGetsThatReasonAndNothingIsMade)
{
    Set("Session/Folder", Folder() + QChar(0) + "rest");
    Start();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("the folder name holds a NUL character")) << messages[0].toStdString();
    EXPECT_FALSE(QFile::exists(Folder()));
    EXPECT_TRUE(dlg->SessionFile().empty());
}

TEST_F(SessionWindow, AnUnwritableFolderIsShownOnceAndTheLogGoesOn)
{
    QFile blocker(settings.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Set("Session/Folder", settings.filePath("blocker/sessions"));
    Start();
    Received();
    DeviceSends(Packet({20, 21, 1}));
    ASSERT_TRUE(WaitForRows(2));
    EXPECT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.value(0).contains("not being recorded")) << messages.value(0).toStdString();
    EXPECT_TRUE(dlg->SessionFile().empty());
    EXPECT_TRUE(Edit(1001)->toolTip().contains("Not recording")) << Edit(1001)->toolTip().toStdString();
}

TEST_F(SessionWindow, RecordingCanBeTurnedOff)
{
    Set("Session/Record", false);
    Start();
    EXPECT_TRUE(dlg->SessionFile().empty());
    EXPECT_FALSE(QFile::exists(Folder()));
    EXPECT_TRUE(Edit(1001)->toolTip().contains("not recorded"));
}

TEST_F(SessionWindow, AReopenedSessionIsShownReadOnlyWithItsBadLinesNamed)
{
    std::string text(kSessionTitles);
    text += '\n';
    const auto when = std::chrono::system_clock::now();
    AppendSessionLine(text, PortRow(when, PortEventKind::Opened, "ttyUSB0"));
    AppendSessionLine(text, ReceivedRow(when, {"", "1, 20, 21, 1, 2, 234", "20, 21, 1", "Value Power = On"}));
    text += "not a row\n";
    AppendSessionLine(text, SentRow(when, "1, 20, 20, 2, 215", "20, 20", "Query Device ID"));
    AppendSessionLine(text, ReceivedRow(when, {"", "1, 20, 21, 0, 2, 235", "20, 21, 0", "Value Power = Off"}));
    text.resize(text.size() - 4); // as a killed recording leaves its last line
    const std::string path = settings.filePath("field.tsv").toStdString();
    std::ofstream(path, std::ios::binary) << text;

    Review(path);
    EXPECT_TRUE(dlg->windowTitle().endsWith("field.tsv (read-only)")) << dlg->windowTitle().toStdString();
    EXPECT_FALSE(Button(1010)->isEnabled());
    EXPECT_FALSE(Edit(1017)->isEnabled());
    EXPECT_TRUE(dlg->SessionFile().empty());
    // No port: the device end hears nothing.
    EXPECT_TRUE(Received().empty());

    ASSERT_EQ(Grid().GetRowCount(), 5);
    EXPECT_EQ(Cell(1, 1), "Port opened: ttyUSB0");
    EXPECT_EQ(Cell(2, 3), "Value Power = On");
    EXPECT_EQ(Cell(3, 1), "Line not read, line 4: only 1 of the five tab-separated fields");
    EXPECT_TRUE(Cell(3, 0).isEmpty());
    EXPECT_TRUE(Cell(4, 1).startsWith("Line not read, line 6: cut short")) << Cell(4, 1).toStdString();
    // The sent row is there, hidden until asked for.
    dlg->SetShowSentCommands(true);
    EXPECT_EQ(Grid().GetRowCount(), 6);
    EXPECT_EQ(Cell(4, 1), "Sent: 1, 20, 20, 2, 215");
    // Selected and copied like a live log.
    Grid().SelectRange(2, 0, 2, 3, false, true);
    EXPECT_TRUE(Grid().IsEditCopyEnabled());
}

TEST_F(SessionWindow, AReopenedRecordingShowsEveryRowWhateverTheScrollback)
{
    Set("Log/Scrollback", 5);
    const std::string path = WriteRows("long.tsv", 70'000);
    Review(path);
    // The live log's bound is not the file's: every row is there, the first one too.
    EXPECT_EQ(dlg->Log()->KeptRows(), 70'000u);
    ASSERT_EQ(Grid().GetRowCount(), 1 + 70'000);
    EXPECT_EQ(Cell(1, 2), "0");
    EXPECT_EQ(Cell(70'000, 2), "69999");
    EXPECT_EQ(Edit(1001)->text(), QString::fromStdString(path) + " (read-only, no port)");
    EXPECT_EQ(GridTestAccess::CheckIndexes(Grid()), "");
}

namespace {

// Counts the paints a widget gets.
class PaintCount : public QObject {
public:
    explicit PaintCount(QWidget& widget) { widget.installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

} // namespace

// While a long file loads, the log repaints a few times a second rather than after every slice;
// once it has loaded, it paints as ever, wherever the last slice fell in that pacing.
TEST_F(SessionWindow, ALongReopenedFileLeavesTheLogPaintingAsEverOnceLoaded)
{
    const std::string path = WriteRows("paced.tsv", 200'000);
    for (int run = 0; run < 3; ++run) {
        Review(path);
        ASSERT_EQ(dlg->Log()->KeptRows(), 200'000u);
        EXPECT_TRUE(Grid().updatesEnabled()) << "run " << run;
        const PaintCount count(*Grid().viewport());
        Grid().viewport()->update();
        EXPECT_TRUE(QTest::qWaitFor([&] { return count.paints > 0; }, 10'000)) << "run " << run;
        dlg.reset();
    }
}

TEST_F(SessionWindow, PastItsRowLimitAReopenedRecordingSaysAtTheTopHowManyRowsAreNotShown)
{
    const std::string path = WriteRows("longer.tsv", 5000);
    Review(path, 1000);
    ASSERT_EQ(Grid().GetRowCount(), 1 + 1 + 1000);
    EXPECT_EQ(Cell(1, 1), "Not shown: the last 4,000 rows of this file; the view holds its first 1,000");
    EXPECT_EQ(Cell(2, 2), "0");
    EXPECT_EQ(Cell(1001, 2), "999");
    // The note is no row of the session: a save holds the rows alone.
    EXPECT_EQ(dlg->Log()->ShownRows().size(), 1000u);
}

TEST_F(SessionWindow, AReopenedFileLoadsWhileTheWindowIsUpAndShowsHowFarItHasCome)
{
    // A pipe, so the file is long in coming as a slow disk's would be.
    const std::string path = settings.filePath("pipe.tsv").toStdString();
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    // Held open here, the pipe does not end while the window reads it; should the window read it on
    // its UI thread, the watchdog ends the pipe after a while, so this test fails instead of hanging.
    const int writer = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    PipeWatchdog watchdog(writer);

    dlg = std::make_unique<CVantrolixDlg>(CPortSetting(SettingsFile()), device.SlavePath());
    dlg->SetReviewFile(path);
    dlg->show();
    // Up at once, before a line has come.
    EXPECT_TRUE(dlg->IsLoading());
    EXPECT_EQ(Cell(1, 1), "Loading...");
    EXPECT_TRUE(Edit(1001)->text().endsWith(" (read-only, loading)")) << Edit(1001)->text().toStdString();
    EXPECT_FALSE(Button(1014)->isEnabled()); // Clear

    std::string text(kSessionTitles);
    text += '\n';
    const auto when = std::chrono::system_clock::now();
    for (int i = 0; i < 5000; ++i)
        AppendSessionLine(text, ReceivedRow(when, {"", "1, 2", std::to_string(i), ""}));
    std::thread feeder([&] { EXPECT_EQ(::write(writer, text.data(), text.size()), static_cast<ssize_t>(text.size())); });
    // Every line shows (titles, the loading note, the rows), although the pipe stays open and
    // silent after them.
    const bool allShown = QTest::qWaitFor([&] { return Grid().GetRowCount() == 1 + 1 + 5000; }, 60'000);
    feeder.join();
    ASSERT_TRUE(allShown) << Grid().GetRowCount();
    ASSERT_TRUE(dlg->IsLoading());
    // How far it has come, at the top of the log and in the port field; a pipe has no size to
    // give a share of.
    // The count is of the rows taken so far: whole batches, or fewer when the source is slow.
    EXPECT_TRUE(QTest::qWaitFor([&] { return Cell(1, 1).startsWith("Loading: ") && Cell(1, 1).endsWith(" rows"); }))
        << Cell(1, 1).toStdString();
    const QString taken = Cell(1, 1).mid(QStringLiteral("Loading: ").size());
    EXPECT_GE(QString(taken).remove(',').section(' ', 0, 0).toInt(), 4000) << taken.toStdString();
    EXPECT_TRUE(Edit(1001)->text().contains("(read-only, loading, " + taken + ")")) << Edit(1001)->text().toStdString();
    EXPECT_EQ(Cell(2, 2), "0");
    // The mouse and keys work meanwhile: a click on a row, then Ctrl+End to the last row so far.
    CRect cell;
    ASSERT_TRUE(Grid().GetCellRect(2, 1, &cell));
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, QPoint((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2));
    EXPECT_EQ(Grid().GetFocusCell(), CGridCellId(2, 1));
    QTest::keyClick(&Grid(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Grid().GetFocusCell().row, Grid().GetRowCount() - 1);
    EXPECT_TRUE(Grid().IsCellVisible(Grid().GetRowCount() - 1, 1));

    // A slow source's lines come without waiting for a whole batch: one more line a poll.
    int next = 5000;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        std::string line;
        AppendSessionLine(line, ReceivedRow(when, {"", "1, 2", std::to_string(next++), ""}));
        EXPECT_EQ(::write(writer, line.data(), line.size()), static_cast<ssize_t>(line.size()));
        return Grid().GetRowCount() > 1 + 1 + 5000;
    }, 30'000));
    EXPECT_EQ(Cell(1 + 1 + 4999, 2), "4999");
    EXPECT_TRUE(dlg->IsLoading());

    // Closed while the source is silent, the window goes at once all the same.
    dlg->reject();
    dlg.reset();
}
