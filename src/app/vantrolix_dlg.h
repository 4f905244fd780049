#pragma once

#include "app/command_history.h"
#include "app/open_retry.h"
#include "app/port_opener.h"
#include "app/port_setting.h"
#include "app/resize_rules.h"
#include "app/response_log.h"
#include "app/row_queue.h"
#include "app/row_tap.h"
#include "app/script_session.h"
#include "app/session_review.h"
#include "app/session_settings.h"
#include "app/watch_session.h"
#include "app/watch_setting.h"
#include "catalogue/radio_text.h"
#include "log/packet_sender.h"
#include "log/session_recording.h"
#include "log/session_writer.h"
#include "platform/dialog_builder.h"
#include "protocol/command_packet.h"
#include "protocol/command_text_check.h"
#include "serial/receive_worker.h"
#include "serial/line_settings.h"
#include "serial/row_sink.h"
#include "serial/serial_port.h"

#include <QDialog>
#include <QElapsedTimer>

#include <deque>
#include <functional>

#include <memory>
#include <optional>
#include <string>

class CBuildCommandDlg;
class CMainMenu;
class CWindowStatusBar;
class CDetailsPane;
class CFindBar;
class CGridCtrl;
struct CGridNotify;
class CPowerNotices;
class CScriptPane;
class QAction;
class QLineEdit;
class QMenu;

// The main window: the port in use, one command to prepare and send, and the log of everything the
// device sends back. Rows come from the receive thread through a queue and are added here, on the UI
// thread, in batches of at most one per displayed frame.
class CVantrolixDlg : public QDialog, private IRowSink {
    Q_OBJECT
public:
    // portOverride is used instead of the stored port name for this run, without being stored.
    explicit CVantrolixDlg(CPortSetting setting, std::optional<std::string> portOverride = {},
                           QWidget* parent = nullptr);
    ~CVantrolixDlg() override;

    // Closes the port and opens the chosen one on the opener's thread; the port field says
    // "opening" until the outcome arrives.
    void OpenPort();
    // True from the start until just after the first paint, when the port starts opening.
    bool IsStartUpPending() const { return m_lineStartPending; }
    // Whether an open is under way whose outcome the window has not shown yet.
    bool IsOpeningPort() const { return m_lineStartPending || m_opener.IsBusy() || (m_watch && m_watch->IsOpening()); }
    void Transmit();
    void SendDeviceIdQuery();
    void OnPowerBroadcast(unsigned event);

    // Watches the line between a room controller (on `controller`) and its device for this run,
    // as Setup's watch mode does, without storing it. Call before the window is first shown.
    void WatchForThisRun(std::string controller, WatchSetup watch);
    // The watch of a controller and its device; null while the window talks to one device.
    const CWatchSession* Watch() const { return m_watch.get(); }

    QWidget* Control(int id) const { return m_controls.Item(id); }
    CGridCtrl* Grid() const;
    // The Build Command window, made on first use, or soon after the window's first paint.
    CBuildCommandDlg* Builder();
    CSerialPort& Port() { return m_port; }
    const std::string& GetPortName() const { return m_portName; }
    QAction* AboutAction() const { return m_aboutAction; }
    // Adds every row received so far now, without waiting for the next frame.
    void ProcessReceivedRows();

    // Shows a saved session in the log instead of a port: nothing is opened, sent or recorded.
    // Call before the window is first shown. The file loads while the window is up; past
    // `rowLimit` rows the log says how many more the file holds.
    void SetReviewFile(std::string path, std::size_t rowLimit = CSessionReview::kRowLimit)
    {
        m_reviewFile = std::move(path);
        m_reviewRowLimit = rowLimit;
    }
    bool IsReviewing() const { return m_reviewFile.has_value(); }
    // True while a reviewed file is still being read into the log.
    bool IsLoading() const;
    // Writes the rows the log shows, as a session file or as CSV when the name ends in .csv. A
    // failure is shown and the log is kept.
    bool SaveLogAs(const QString& path);
    void SetShowSentCommands(bool show);
    void SetShowMilliseconds(bool show);
    CResponseLog* Log() const { return m_log.get(); }
    // The file this run records to; empty when it records nothing.
    std::string SessionFile() const;
    QAction* SaveAction() const { return m_saveAction; }
    void SetBytesInHex(bool hex);
    void SetTimeSincePrevious(bool show);

    // The window's menu bar and status bar (vantrolix_dlg_window.cpp), made when it is first shown.
    CMainMenu* Menu() const { return m_menu; }
    CWindowStatusBar* StatusBar() const { return m_statusBar; }
    const CCommandHistory& History() const { return m_history; }
    // Shows a saved session in a window of its own, read-only.
    void OpenSession(const QString& path);

    // Finding and filtering rows, and the focused row's details (vantrolix_dlg_find.cpp).
    // Find... (Ctrl+F), Find Next (F3), Find Previous (Shift+F3), Filter... (Ctrl+L) and Copy Row
    // Details (Ctrl+Shift+C), in that order; their keys work anywhere in the window.
    QList<QAction*> FindActions() const { return m_findActions; }
    // Details Pane (F6), checked while the pane shows; remembered in the configuration file.
    QList<QAction*> DetailsActions() const { return m_detailsActions; }
    // "N of M rows": the rows the log shows of those it lists.
    QString RowCountText() const;
    // Made when first needed: most sessions never open them, and their line edits' clear buttons
    // would have the first paint wait for the icon theme to be searched.
    CFindBar* FindBar();
    CDetailsPane* DetailsPane();
    // The details of the focused row; empty when no row is focused.
    QString FocusedRowDetails() const;

    // Test scripts and the conformance sweep on this window's port (vantrolix_dlg_scripts.cpp).
    // Run Script..., Run Recent Script and Conformance Sweep..., for a Tools menu.
    QList<QAction*> ToolsActions() const;
    // Starts a run on the open port, its results in the pane below the log; false, with the
    // reason shown, when the port is not open or a run is under way.
    bool StartScriptJob(ScriptJob job);
    bool IsScriptRunning() const;
    // Made when a script first runs (none in a saved session's window).
    CScriptPane* ScriptPane();
    // Runs the script as soon as the port opens, instead of the start-up Device ID query (a rig's
    // run sees the script's traffic alone); with exitWhenDone the window closes when it ends and
    // ExitStatus is the run's, as the console tool's: 0 passed, 1 failed, 2 script error.
    void RunScriptWhenOpen(std::string path, bool exitWhenDone);
    int ExitStatus() const { return m_exitStatus; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    // Escape and the close box: the port is closed and the receive thread ends before the window.
    void reject() override;

private:
    void OnInitDialog();
    void OnChangeCommandData();
    void OnSetup();
    void OnBuildCommand();
    void OnClear();
    void OnAbout();
    // A right click on the log offers the grid's own Copy and Select All.
    void OnGridNotify(const CGridNotify& notify);
    void SetCommandData(const QString& text);
    // userSend: the user's Send, which is told when there is no port to send on; the window's own
    // Device ID query stays quiet then.
    void TransmitPacket(const CCommandPacket& packet, bool userSend);
    enum class PortState { Opening, Open, CouldNotOpen, DeviceGone };
    // The port field and the status bar; the reason goes into both.
    void ShowPortState(PortState state, const QString& reason = {});
    void ShowPortText(const QString& text, const QString& reason);
    void ClosePort();
    // What the line needs before its port first opens: the session file, the receive thread, the
    // sleep notices. Once.
    void StartLine();
    // One quiet attempt for the open retry: true when the port is open now.
    bool RetryOpen();
    void OnOpenOutcome(const CPortOpener::Outcome& outcome);
    void StopReceiving();

    // The menu bar, status bar, history and place of the window (vantrolix_dlg_window.cpp).
    void SetUpWindowChrome();
    void ConnectMenu();
    void NameControls();
    void PlaceWindow();
    void PlaceChrome();
    void StoreWindowPlace();
    void OnOpenSession();
    void UpdateRecentFiles();
    void RememberRecent(const QString& path);
    void OnEditCopy();
    void OnEditSelectAll();
    void UpdateCounts();
    void UpdateSessionStatus();
    void ShowReviewState(const QString& name, const QString& state);
    void RememberCommand();

    // Watching a controller and its device (vantrolix_dlg_watch.cpp). OpenPort starts the watch in
    // that mode, ClosePort ends it.
    void ReadWatchChoice();
    void StartWatch();
    void StopWatch();
    void ShowWatchState();
    void TransmitWatched(const CCommandPacket& packet, bool userSend);

    // The session record (vantrolix_dlg_session.cpp).
    void SetUpSessionActions();
    void StartRecording();
    // From any thread.
    void Record(SessionRow row);
    // On the UI thread, under the port name the window holds; the receive thread's port events
    // come with their own name.
    void RecordPort(PortEventKind event, const std::string& reason = {});
    void OnRecordingFailed(const QString& error);

    // Scripts and the sweep (vantrolix_dlg_scripts.cpp).
    void SetUpScriptActions();
    void OnRunScript();
    void OnConformanceSweep();
    void FillRecentScripts();
    void RunScriptFile(const QString& path);
    // Writes the packet, logs and records it as sent; from any thread. False when it did not all go.
    // The running script's sends, on its thread.
    bool SendForScript(const CountedBytes& payload, std::string& error);
    void OnScriptRunning(bool running);
    void StopScript();
    // Ends a run under way and waits for its thread.
    void EndScript();
    void OnScriptFinished(const CScriptSession::Finished& finished);
    void LayOutScriptPane();
    // Selects the log rows of the time from..to; of them only the one whose description `matched`
    // begins with, when it is given and there is one.
    void ShowInLog(std::chrono::system_clock::time_point from, std::chrono::system_clock::time_point to,
                   const QString& matched);
    void LoadReviewFile();
    void OnSaveLogAs();
    void AddLogMenuItems(QMenu& menu);
    void StoreDisplay();

    // Find, filter and details (vantrolix_dlg_find.cpp).
    void SetUpFindActions();
    // The log's place in the window, shared by the log, the find bar and the details pane.
    // Runs a find bar action, the log giving up its room when the bar comes.
    void WithFindBar(const std::function<void()>& act);
    void LayOutLogArea();
    void ShowDetailsPane(bool show);
    void UpdateDetails();
    QString SessionToolTip() const;

    // IRowSink, on the receive thread.
    void LogPacket(Clock::time_point when, const CountedBytes& frame, const CountedBytes* payload,
                   bool checksumError) override;
    void ReportLineError(Clock::time_point when, std::uint32_t flags) override;
    void OnPortEvent(Clock::time_point when, PortEvent event, const std::string& port) override;
    // The receive thread waits for room in the queue; the UI thread, which empties it, never does.
    enum class QueueWait { ForRoom, Never };
    void Enqueue(ReceivedEntry entry, QueueWait wait = QueueWait::ForRoom);

    // On the UI thread.
    void OnRowsReady();
    void ScheduleDrain();
    void DrainRows(bool everything);
    void ApplyEntry(const ReceivedEntry& entry);

    CDialogControls m_controls;
    CPortSetting m_setting;
    std::optional<std::string> m_portOverride;
    std::string m_portName;
    CSerialPort m_port;
    COpenRetry m_openRetry{this, [this] { return RetryOpen(); }};
    CPortOpener m_opener{this, m_port, kDeviceLineSettings,
                         [this](const CPortOpener::Outcome& outcome) { OnOpenOutcome(outcome); }};
    bool m_queryWhenOpen = false; // the start-up's Device ID query waits for the port
    bool m_openRecorded = false;  // the record says the port is open: its close goes in too
    CCommandPacket m_commandPacket;
    // Why "Command Data" would not go out as written; Send refuses it while there is one.
    std::optional<CommandTextProblem> m_commandProblem;
    CCommandPacket m_deviceIdQuery;
    CBuildCommandDlg* m_builder = nullptr;
    std::unique_ptr<CResponseLog> m_log;
    CResizeRules m_resizeRules;
    CPowerNotices* m_powerNotices = nullptr;
    // The recording, the receive thread and the first open of the port wait for the window's
    // first paint (StartLine).
    bool m_lineStartPending = false;
    QAction* m_aboutAction = nullptr;
    bool m_initialised = false;

    SessionSettings m_sessionSettings;
    SessionWriter m_recorder;
    // Sent rows go to the session file and then, through the row queue, to the log: they take
    // their place after the answers already received.
    SessionRecording m_sentRows;
    PacketSender m_sender{m_port, m_sentRows};
    QString m_recordingProblem;
    std::optional<std::string> m_reviewFile;
    std::size_t m_reviewRowLimit = CSessionReview::kRowLimit;
    std::unique_ptr<CSessionReview> m_review; // adds to m_log, so goes before it
    QAction* m_saveAction = nullptr;

    CMainMenu* m_menu = nullptr;
    CWindowStatusBar* m_statusBar = nullptr;
    CCommandHistory m_history;
    CCommandRecall* m_recall = nullptr;
    QString m_openError; // the reason the last open failed, shown until another
    CFindBar* m_findBar = nullptr;
    CDetailsPane* m_detailsPane = nullptr;
    QList<QAction*> m_findActions;
    QList<QAction*> m_detailsActions;
    QRect m_logArea; // where the window's layout puts the log, before the bar and pane take their part

    CRowQueue m_rows;
    std::deque<ReceivedEntry> m_pending; // taken from the queue, not yet in the log
    QElapsedTimer m_sinceDrain;
    bool m_drainScheduled = false;
    CRowTap m_scriptRows; // the receive thread's rows, for a running script too
    CScriptPane* m_scriptPane = nullptr;
    QAction* m_runScriptAction = nullptr;
    QAction* m_recentScriptsAction = nullptr;
    QMenu* m_recentScripts = nullptr;
    QAction* m_sweepAction = nullptr;
    std::optional<std::string> m_scriptWhenOpen;
    bool m_exitWhenDone = false;
    int m_exitStatus = 0;
    CRadioText m_radioText; // the port's, touched on the receive thread only
    std::unique_ptr<ReceiveWorker> m_worker;
    WatchSetup m_watchSetup;
    std::unique_ptr<CWatchSession> m_watch;
};
