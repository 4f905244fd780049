// The main window's frame around the dialog's controls: the menu bar, the status bar, the command
// history, the accessible names, and the window's place and size across runs.
#include "app/vantrolix_dlg.h"

#include "app/main_menu.h"
#include "app/port_setting.h"
#include "app/status_bar.h"
#include "app/vantrolix_dlg_ids.h"
#include "app/window_geometry.h"
#include "grid/grid_ctrl.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>

#include <cstdio>

namespace {

constexpr int kRecentLimit = 10;
constexpr const char* kRecentKey = "Window/RecentSessions";
constexpr const char* kOpenFolderKey = "Window/SessionFolder";
// Rows of the log that a window at its minimum height still shows.
constexpr int kMinimumLogHeight = 80;

void Warn(const char* what)
{
    std::fprintf(stderr, "vantrolix: %s could not be stored\n", what);
}

} // namespace

void CVantrolixDlg::SetUpWindowChrome()
{
    m_menu = new CMainMenu(*this, {m_saveAction, m_aboutAction, FindActions(), DetailsActions(), ToolsActions()});
    m_statusBar = new CWindowStatusBar(this);

    // The controls keep their places under the menu bar; the window grows by both bars.
    const int top = m_menu->Bar()->sizeHint().height();
    const int bottom = m_statusBar->sizeHint().height();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child != m_menu->Bar() && child != m_statusBar && !child->isWindow())
            child->move(child->x(), child->y() + top);
    }
    resize(width(), height() + top + bottom);
    PlaceChrome();
    // Made while the window is being shown, after its children were: they show themselves.
    m_menu->Bar()->show();
    m_statusBar->show();

    ConnectMenu();
    NameControls();
    UpdateRecentFiles();

    m_history.Load();
    m_recall = new CCommandRecall(*m_controls.Get<QLineEdit>(IDC_COMMAND_DATA), m_history);

    m_log->OnChange([this] { UpdateCounts(); });
    UpdateCounts();
    UpdateSessionStatus();
}

void CVantrolixDlg::ConnectMenu()
{
    const auto on = [this](QAction* action, void (CVantrolixDlg::*handler)()) {
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    on(m_menu->openSession, &CVantrolixDlg::OnOpenSession);
    connect(m_menu, &CMainMenu::RecentChosen, this, &CVantrolixDlg::OpenSession);
    connect(m_menu->quit, &QAction::triggered, this, [] { QApplication::closeAllWindows(); });
    on(m_menu->copy, &CVantrolixDlg::OnEditCopy);
    on(m_menu->selectAll, &CVantrolixDlg::OnEditSelectAll);
    // Clear Log is the Clear button's: off while a file loads.
    connect(m_menu->clearLog, &QAction::triggered, this, [this] {
        if (m_controls.Item(IDC_CLEAR)->isEnabled())
            OnClear();
    });

    const LogDisplay& display = m_log->Display();
    const std::pair<QAction*, void (CVantrolixDlg::*)(bool)> choices[] = {
        {m_menu->showSent, &CVantrolixDlg::SetShowSentCommands},
        {m_menu->showMilliseconds, &CVantrolixDlg::SetShowMilliseconds},
        {m_menu->hexBytes, &CVantrolixDlg::SetBytesInHex},
        {m_menu->sincePrevious, &CVantrolixDlg::SetTimeSincePrevious}};
    m_menu->showSent->setChecked(display.showSent);
    m_menu->showMilliseconds->setChecked(display.showMilliseconds);
    m_menu->hexBytes->setChecked(display.hexBytes);
    m_menu->sincePrevious->setChecked(display.sincePrevious);
    for (const auto& [action, setter] : choices)
        connect(action, &QAction::toggled, this, [this, setter = setter](bool checked) { (this->*setter)(checked); });

    // A reviewed file has no port to set up or reconnect.
    m_menu->setup->setEnabled(!m_reviewFile);
    m_menu->reconnect->setEnabled(!m_reviewFile);
    on(m_menu->setup, &CVantrolixDlg::OnSetup);
    // The opener's thread opens the port: the window goes on answering meanwhile.
    on(m_menu->reconnect, &CVantrolixDlg::OpenPort);
}

// Screen readers name each control after its label, as a sighted user reads it.
void CVantrolixDlg::NameControls()
{
    const std::pair<int, const char*> names[] = {
        {IDC_PORT, "Port"},
        {IDC_SETUP, "Port Setup..."},
        {IDC_COMMAND_DATA, "Command Data"},
        {IDC_BUILD_COMMAND, "Build Command..."},
        {IDC_COMMAND_WARNING, "Command Data problem"},
        {IDC_ENCODED_COMMAND, "Encoded Command"},
        {IDC_SEND, "Send"},
        {IDC_DESCRIPTION, "Description"},
        {IDC_GRID, "Received Responses"},
        {IDC_CLEAR, "Clear"},
    };
    for (const auto& [id, name] : names)
        m_controls.Item(id)->setAccessibleName(tr(name));
}

void CVantrolixDlg::PlaceChrome()
{
    if (!m_menu)
        return;
    const int top = m_menu->Bar()->sizeHint().height();
    const int bottom = m_statusBar->sizeHint().height();
    m_menu->Bar()->setGeometry(0, 0, width(), top);
    m_statusBar->setGeometry(0, height() - bottom, width(), bottom);
}

void CVantrolixDlg::PlaceWindow()
{
    // Every control keeps the size it was laid out with; the log keeps a few rows.
    const int logSlack = std::max(0, Grid()->height() - kMinimumLogHeight);
    setMinimumSize(width(), height() - logSlack);

    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back(screen->availableGeometry());
    const StoredGeometry stored = ReadWindowGeometry(m_setting.File());
    if (stored.frame.isEmpty()) {
        // Grown from the dialog's own size, the window would reach past the screen's edge where
        // it was first put: at its first size it is put in the middle of the screen.
        const QRect available = screens.isEmpty() ? QRect() : screens.front();
        resize(FirstRunSize(available).expandedTo(minimumSize()));
        if (!available.isEmpty()) {
            QRect frame(QPoint(), frameGeometry().size());
            frame.moveCenter(available.center());
            move(std::max(frame.left(), available.left()), std::max(frame.top(), available.top()));
        }
        return;
    }
    const QRect frame = BringOnScreen(stored.frame, screens);
    // The frame's edges are the window manager's; the stored rectangle includes them.
    const QSize edges = frameGeometry().size() - size();
    resize(frame.size() - edges);
    move(frame.topLeft());
    if (stored.maximized)
        showMaximized();
}

void CVantrolixDlg::StoreWindowPlace()
{
    if (!m_initialised || !isVisible() || m_reviewFile)
        return;
    if (!WriteWindowGeometry(m_setting.File(), *this))
        Warn("the window's place");
}

void CVantrolixDlg::OnOpenSession()
{
    const auto settings = OpenSettings(m_setting.File());
    QString folder = settings->value(kOpenFolderKey).toString();
    if (folder.isEmpty())
        folder = QString::fromStdString(m_sessionSettings.folder.string());
    QFileDialog dialog(this, tr("Open Session"), folder, tr("Session files (*.tsv);;All files (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    settings->setValue(kOpenFolderKey, QFileInfo(path).absolutePath());
    settings->sync();
    OpenSession(path);
}

// A window of its own, so the live log goes on beside it. It reads the file on a thread, so the
// window is up at once, and it goes when it is closed.
void CVantrolixDlg::OpenSession(const QString& path)
{
    auto* review = new CVantrolixDlg(m_setting);
    review->setAttribute(Qt::WA_DeleteOnClose);
    review->SetReviewFile(path.toStdString());
    review->show();
    UpdateRecentFiles();
}

void CVantrolixDlg::RememberRecent(const QString& path)
{
    const auto settings = OpenSettings(m_setting.File());
    const QString full = QFileInfo(path).absoluteFilePath();
    QStringList recent = settings->value(kRecentKey).toStringList();
    recent.removeAll(full);
    recent.prepend(full);
    if (recent.size() > kRecentLimit)
        recent.resize(kRecentLimit);
    settings->setValue(kRecentKey, recent);
    settings->sync();
    if (settings->status() != QSettings::NoError)
        Warn("the list of recent sessions");
    UpdateRecentFiles();
}

void CVantrolixDlg::UpdateRecentFiles()
{
    if (!m_menu)
        return;
    QStringList recent = OpenSettings(m_setting.File())->value(kRecentKey).toStringList();
    if (recent.size() > kRecentLimit)
        recent.resize(kRecentLimit);
    m_menu->SetRecentFiles(recent);
}

// A text field with the focus copies and selects its own text; anywhere else the log's.
void CVantrolixDlg::OnEditCopy()
{
    if (auto* edit = qobject_cast<QLineEdit*>(focusWidget()))
        edit->copy();
    else
        Grid()->OnCommand(ID_EDIT_COPY);
}

void CVantrolixDlg::OnEditSelectAll()
{
    if (auto* edit = qobject_cast<QLineEdit*>(focusWidget()))
        edit->selectAll();
    else
        Grid()->OnCommand(ID_EDIT_SELECT_ALL);
}

void CVantrolixDlg::UpdateCounts()
{
    if (!m_statusBar)
        return;
    const std::optional<std::size_t> passed = m_log->Filter().IsEmpty() ? std::nullopt : std::optional(m_log->PassedRows());
    m_statusBar->SetCounts(m_log->ListedRows(), m_log->DroppedRows(), m_log->ErrorRows(), passed);
}

void CVantrolixDlg::UpdateSessionStatus()
{
    if (!m_statusBar || m_lineStartPending)
        return;
    if (m_reviewFile)
        m_statusBar->SetSessionFile({}, tr("Not recording (a saved session)"));
    else
        m_statusBar->SetSessionFile(QString::fromStdString(SessionFile()), SessionToolTip());
}

void CVantrolixDlg::ShowReviewState(const QString& name, const QString& state)
{
    if (m_statusBar)
        m_statusBar->SetPortState(name, state.isEmpty() ? tr("read-only file") : tr("read-only file, ") + state);
}

void CVantrolixDlg::RememberCommand()
{
    const QString text = m_controls.Get<QLineEdit>(IDC_COMMAND_DATA)->text();
    if (!m_history.Add(text))
        Warn("the command history");
    if (m_recall)
        m_recall->Restart();
}
