#include "main_window_fixture.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>

namespace {

struct MenuEntry {
    QString text;
    bool enabled;
    friend bool operator==(const MenuEntry&, const MenuEntry&) = default;
};

class LogContextMenu : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Start();
        // Rows as the log shows them, without waiting for a device.
        Grid().SetRowCount(4);
        for (int r = 1; r < 4; ++r) {
            for (int c = 0; c < 4; ++c)
                Grid().SetItemText(r, c, QString("%1.%2").arg(r).arg(c).toStdString());
        }
        QGuiApplication::clipboard()->setText("before");
    }

    // Right-clicks the cell, reads the menu that opens and chooses the entry (or none).
    std::vector<MenuEntry> RightClick(int row, int column, const QString& choose = {})
    {
        std::vector<MenuEntry> entries;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr)
                return;
            for (QAction* action : menu->actions()) {
                entries.push_back({action->text(), action->isEnabled()});
                if (action->text() == choose)
                    menu->setActiveAction(action);
            }
            if (choose.isEmpty())
                menu->close();
            else
                QTest::keyClick(menu, Qt::Key_Return);
        });
        CRect r;
        EXPECT_TRUE(Grid().GetCellRect(row, column, &r));
        QTest::mouseClick(Grid().viewport(), Qt::RightButton, Qt::NoModifier, QPoint(r.left + 2, r.top + 2));
        return entries;
    }
};

} // namespace

TEST_F(LogContextMenu, OffersCopyOnlyWithASelectionAndSelectAllAlways)
{
    EXPECT_EQ(RightClick(2, 1), (std::vector<MenuEntry>{{"Copy", false},
                                                      {"Select All", true},
                                                      {"", true},
                                                      {"Save Log As...", true},
                                                      {"Show &Sent Commands", true},
                                                      {"Show &Milliseconds", true},
                                                      {"Bytes in &Hex", true},
                                                      {"&Time Since Previous Row", true},
                                                      {"", true},
                                                      {"&Find...", true},
                                                      {"Find &Next", true},
                                                      {"Find &Previous", true},
                                                      {"F&ilter...", true},
                                                      {"Copy &Row Details", true},
                                                      {"&Details Pane", true},
                                                      {"", true},
                                                      {"Run Script...", true},
                                                      {"Run Recent Script", false}, // none run yet
                                                      {"Conformance Sweep...", true}}));
    EXPECT_EQ(Grid().GetFocusCell(), CGridCellId(2, 1));

    RightClick(2, 1, "Select All");
    EXPECT_TRUE(Grid().IsCellSelected(1, 0));
    EXPECT_TRUE(Grid().IsCellSelected(3, 3));

    EXPECT_EQ(RightClick(3, 0, "Copy").front(), (MenuEntry{"Copy", true}));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "1.0\t1.1\t1.2\t1.3\n2.0\t2.1\t2.2\t2.3\n3.0\t3.1\t3.2\t3.3");
}

TEST_F(LogContextMenu, TheWindowsOwnMenuStaysOffTheLog)
{
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            opened = true;
            popup->close();
        }
    });
    const QPoint at(10, 30);
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, Grid().viewport()->mapToGlobal(at));
    QApplication::sendEvent(Grid().viewport(), &click);
    QCoreApplication::processEvents();
    EXPECT_FALSE(opened);
}
