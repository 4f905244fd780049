// The main window's menus, shortcuts, focus and status bar, through the window as a user meets them.
#include "main_window_fixture.h"

#include "app/main_menu.h"
#include "app/status_bar.h"

#include <QClipboard>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>

#include <fstream>

namespace {

class WindowMenu : public MainWindowTest {
protected:
    void Activate()
    {
        QApplication::setActiveWindow(dlg.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    }
    // A key as the user presses it in the window, where its focus is (after a dialog closed, the
    // window itself).
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        Activate();
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : dlg.get(), key, modifiers);
    }
    CMainMenu& Menu() const { return *dlg->Menu(); }
    CWindowStatusBar& Status() const { return *dlg->StatusBar(); }

    // Three rows as a device sends them.
    void FillLog()
    {
        for (const std::uint8_t n : {std::uint8_t{1}, std::uint8_t{2}, std::uint8_t{3}})
            DeviceSends(Packet({20, 21, n}));
        ASSERT_TRUE(QTest::qWaitFor([&] {
            dlg->ProcessReceivedRows();
            return Grid().GetRowCount() >= 4;
        }));
    }

    // The menu bar's entries as "Menu/Entry\tShortcut".
    QStringList Entries() const
    {
        QStringList entries;
        for (QAction* top : Menu().Bar()->actions()) {
            for (QAction* action : top->menu()->actions()) {
                if (!action->isSeparator())
                    entries << QString(top->text() + "/" + action->text() + "\t" + action->shortcut().toString()).remove('&');
            }
        }
        return entries;
    }
};

} // namespace

TEST_F(WindowMenu, EveryEntryWithItsShortcutAboveTheControlsWhichKeepTheirOrder)
{
    Start();
    EXPECT_EQ(Entries(), QStringList({"File/Open Session...\tCtrl+O", "File/Open Recent\t", "File/Save Log As...\tCtrl+S",
                                      "File/Quit\tCtrl+Q", "Edit/Copy\tCtrl+C", "Edit/Select All\tCtrl+A",
                                      "Edit/Find...\tCtrl+F", "Edit/Find Next\tF3", "Edit/Find Previous\tShift+F3",
                                      "Edit/Filter...\tCtrl+L", "Edit/Copy Row Details\tCtrl+Shift+C",
                                      "Edit/Clear Log\t", "View/Show Sent Commands\t", "View/Show Milliseconds\t",
                                      "View/Bytes in Hex\tCtrl+H", "View/Time Since Previous Row\t",
                                      "View/Details Pane\tF6", "Port/Setup...\t",
                                      "Port/Reconnect\t", "Tools/Run Script...\tCtrl+R",
                                      "Tools/Run Recent Script\t", "Tools/Conformance Sweep...\t", "Help/About Vantrolix...\tF1"}));
    // The menu bar above the first control, the status bar under the last.
    EXPECT_LE(Menu().Bar()->geometry().bottom(), dlg->Control(1021)->geometry().top());
    EXPECT_GE(Status().geometry().top(), dlg->Control(1023)->geometry().bottom());
    EXPECT_EQ(Status().geometry().bottom(), dlg->height() - 1);
    EXPECT_TRUE(Menu().Bar()->isVisible());
    EXPECT_TRUE(Status().isVisible());
}

// Ctrl+A and Ctrl+C: a text field's own with the focus in it; the log's anywhere else, with or
// without a cell of the log focused.
TEST_F(WindowMenu, SelectAllAndCopyActOnTheFocusedFieldOrElseOnTheLog)
{
    Start();
    FillLog();
    Activate();
    auto* command = Edit(1017);
    command->setFocus();
    command->setText("20 20");
    command->setCursorPosition(0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(command->selectedText(), "20 20");
    EXPECT_FALSE(Grid().IsCellSelected(1, 0));
    QGuiApplication::clipboard()->setText("before");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "20 20");
    // Chosen from the menu with the mouse, the entries act on the field as well.
    command->deselect();
    Menu().selectAll->trigger();
    EXPECT_EQ(command->selectedText(), "20 20");
    QGuiApplication::clipboard()->setText("before");
    Menu().copy->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "20 20");
    EXPECT_FALSE(Grid().IsCellSelected(1, 0));

    // The Send button has the focus, the log has no focused cell: the keys reach the log.
    Button(1010)->setFocus();
    Grid().SetFocusCell(-1, -1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(Grid().IsCellSelected(1, 0));
    EXPECT_TRUE(Grid().IsCellSelected(3, 3));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_EQ(copied.count('\n'), 2) << copied.toStdString();
    EXPECT_TRUE(copied.contains("20, 21, 3")) << copied.toStdString();

    // The log itself, focused with Tab and no cell focused yet.
    Grid().ClearSelection();
    Grid().SetFocusCell(-1, -1);
    Grid().setFocus(Qt::TabFocusReason);
    QTest::keyClick(&Grid(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(Grid().IsCellSelected(2, 2));
}

// Tab goes round every control, the log included; a click below the log's last row focuses it.
TEST_F(WindowMenu, TabReachesTheLogAndAClickBelowItsRowsFocusesIt)
{
    Start();
    Activate();
    Button(1010)->setFocus();
    QList<QWidget*> seen;
    for (int i = 0; i < 12 && !seen.contains(QApplication::focusWidget()); ++i) {
        seen << QApplication::focusWidget();
        // In the log Tab moves between cells; Ctrl+Tab moves on, as the log's keys say.
        const bool inLog = QApplication::focusWidget() == &Grid();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, inLog ? Qt::ControlModifier : Qt::NoModifier);
    }
    EXPECT_TRUE(seen.contains(&Grid()));
    EXPECT_TRUE(seen.contains(Edit(1017)));
    EXPECT_TRUE(seen.contains(Button(1014)));

    Edit(1017)->setFocus();
    const QRect log = Grid().viewport()->rect();
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(log.width() / 2, log.height() - 3));
    EXPECT_EQ(QApplication::focusWidget(), &Grid());

    // Every control is named after its label.
    for (int id : {1001, 1002, 1017, 1004, 1018, 1010, 1024, 1003, 1014})
        EXPECT_FALSE(dlg->Control(id)->accessibleName().isEmpty()) << id;
    EXPECT_EQ(Edit(1017)->accessibleName(), "Command Data");
    EXPECT_EQ(Grid().accessibleName(), "Received Responses");
}

TEST_F(WindowMenu, TheFileEditViewPortAndHelpEntriesDoWhatTheySay)
{
    Start();
    FillLog();
    Activate();
    Button(1010)->setFocus();

    // Ctrl+S and Ctrl+O open their dialogs; F1 the About box.
    for (const auto& [key, title] : {std::pair{Qt::Key_S, "Save Log As"}, std::pair{Qt::Key_O, "Open Session"}}) {
        QString seen;
        OnNextModal([&](QDialog& dialog) {
            seen = dialog.windowTitle();
            dialog.reject();
        });
        Press(key, Qt::ControlModifier);
        EXPECT_EQ(seen, title);
    }
    QString about;
    OnNextModal([&](QDialog& dialog) {
        about = dialog.windowTitle();
        dialog.accept();
    });
    Press(Qt::Key_F1);
    EXPECT_EQ(about, "About Vantrolix");

    // View: each choice changes the log at once and is remembered.
    Press(Qt::Key_H, Qt::ControlModifier);
    EXPECT_TRUE(Menu().hexBytes->isChecked());
    EXPECT_EQ(Cell(1, 2), "14 15 01");
    Menu().sincePrevious->trigger();
    EXPECT_TRUE(Cell(2, 0).endsWith(" ms"));
    Menu().showMilliseconds->trigger();
    EXPECT_EQ(Cell(1, 0).indexOf('.'), 8);
    Menu().showSent->trigger();
    EXPECT_TRUE(dlg->Log()->Display().showSent);
    QSettings stored(SettingsFile(), QSettings::IniFormat);
    for (const char* key : {"Log/BytesInHex", "Log/TimeSincePreviousRow", "Log/ShowMilliseconds", "Log/ShowSentCommands"})
        EXPECT_TRUE(stored.value(key).toBool()) << key;

    // Port: Reconnect closes and opens the port on the opener's thread.
    Menu().reconnect->trigger();
    EXPECT_TRUE(Edit(1001)->text().endsWith("(opening port)") || Edit(1001)->text().endsWith("(port open)"));
    ASSERT_TRUE(WaitForPort());
    EXPECT_TRUE(dlg->Port().IsOpen());
    EXPECT_TRUE(Status().PortText().endsWith(": open"));
    QString setup;
    OnNextModal([&](QDialog& dialog) {
        setup = dialog.windowTitle();
        dialog.reject();
    });
    Menu().setup->trigger();
    EXPECT_FALSE(setup.isEmpty());

    // Edit: Clear Log empties the log as Clear does.
    Menu().clearLog->trigger();
    EXPECT_EQ(Grid().GetRowCount(), 1);
    EXPECT_EQ(Status().RowsText(), "0 rows");

    // Ctrl+Q ends the window as its close box does.
    Press(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg->isVisible(); }));
    EXPECT_FALSE(dlg->Port().IsOpen());
}

// File > Open Session shows the file read-only in a window of its own, from the folder last used,
// and Open Recent offers it again.
TEST_F(WindowMenu, OpenSessionShowsTheFileReadOnlyAndOpenRecentRemembersIt)
{
    Start();
    const QString path = settings.filePath("old.tsv");
    std::ofstream(path.toStdString()) << "Time\tDirection\tEncoded\tData\tDescription\n";
    OnNextModal([&](QDialog& dialog) {
        auto& files = static_cast<QFileDialog&>(dialog);
        EXPECT_EQ(files.directory().absolutePath(), QFileInfo(QString::fromStdString(dlg->SessionFile())).absolutePath());
        files.selectFile(path);
        dialog.accept();
    });
    Menu().openSession->trigger();
    CVantrolixDlg* review = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* other = qobject_cast<CVantrolixDlg*>(window); other && other != dlg.get() && other->isVisible())
                review = other;
        return review != nullptr;
    }));
    EXPECT_TRUE(review->IsReviewing());
    EXPECT_TRUE(QTest::qWaitFor([&] { return review->StatusBar()->PortText().endsWith("read-only file"); }))
        << review->StatusBar()->PortText().toStdString();
    EXPECT_FALSE(review->Menu()->reconnect->isEnabled());
    review->close();

    ASSERT_EQ(Menu().openRecent->actions().size(), 1);
    EXPECT_EQ(Menu().openRecent->actions().front()->toolTip(), path);
    EXPECT_EQ(QSettings(SettingsFile(), QSettings::IniFormat).value("Window/SessionFolder").toString(), settings.path());
}

TEST_F(WindowMenu, TheStatusBarTellsThePortStateRowsErrorsAndSessionFile)
{
    Start();
    EXPECT_EQ(Status().PortText(), QString::fromStdString(device.SlavePath()) + ": open");
    EXPECT_EQ(Status().SessionText(), QString("Recording: ") + QFileInfo(QString::fromStdString(dlg->SessionFile())).fileName());
    FillLog();
    std::vector<std::uint8_t> bad = Packet({20, 21, 3});
    bad.back() ^= 0x01; // a wrong checksum
    DeviceSends(bad);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        dlg->ProcessReceivedRows();
        return Status().ErrorsText() == "1 error";
    }));
    EXPECT_EQ(Status().RowsText(), QString("%1 rows").arg(Grid().GetRowCount() - 1));
    Button(1014)->click();
    EXPECT_EQ(Status().ErrorsText(), "0 errors");
    device.Close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Status().PortText().endsWith(": device gone, retrying"); }))
        << Status().PortText().toStdString();

    // A port that cannot be opened: the reason shows without hovering; when a retry fails for
    // another reason, that one shows.
    dlg->reject();
    dlg.reset();
    const QString port = settings.filePath("no-such-port");
    StartOpening(port.toStdString());
    ASSERT_TRUE(WaitForPort());
    const QString failed = Status().PortText();
    EXPECT_TRUE(failed.startsWith(port + ": could not open: ")) << failed.toStdString();
    EXPECT_TRUE(failed.contains(Edit(1001)->toolTip().section('\n', 0, 0))) << failed.toStdString();
    EXPECT_TRUE(failed.endsWith("trying again"));
    QDir().mkdir(port); // now there, but no port
    EXPECT_TRUE(QTest::qWaitFor([&] { return Status().PortText() != failed; }, 10000));
    EXPECT_TRUE(Status().PortText().startsWith(port + ": could not open: ")) << Status().PortText().toStdString();
}
