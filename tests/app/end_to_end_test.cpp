// The whole road through a pseudo-terminal: the main window on the simulated device.
#include "app/port_setting.h"
#include "catalogue/radio_text.h"
#include "app/vantrolix_dlg.h"
#include "builder/build_command_dlg.h"
#include "catalogue/describer.h"
#include "catalogue/model_argument.h"
#include "grid/grid_ctrl.h"
#include "platform/message_box.h"
#include "simulator/simulator_thread.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QString Cell(CGridCtrl& grid, int row, int column)
{
    return QString::fromUtf8(grid.GetItemText(row, column));
}

// The row whose "Data" column holds these payload bytes, or -1.
int RowWithData(CGridCtrl& grid, const QString& data)
{
    for (int row = grid.GetRowCount() - 1; row > 0; --row)
        if (Cell(grid, row, 2) == data)
            return row;
    return -1;
}

void Pick(CBuildCommandDlg& builder, int listId, const QString& entry)
{
    auto* list = qobject_cast<QListWidget*>(builder.Control(listId));
    const QList<QListWidgetItem*> found = list->findItems(entry, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << entry.toStdString();
    list->setCurrentItem(found.front());
}

} // namespace

TEST(EndToEnd, TheSimulatedDeviceIsRecognisedAndAnswersACommandBuiltInTheBuilder)
{
    CRadioText radioText;
    QStringList messages;
    SetMessageBoxHandler([&](const std::string& text) { messages << QString::fromStdString(text); });
    SimulatorOptions options;
    options.rdsInterval = std::chrono::hours(1);
    CSimulatorThread device(FindModelArgument("Elmora"), options);
    ASSERT_TRUE(device.Started()) << device.Error();
    QTemporaryDir settings;

    CVantrolixDlg dlg(CPortSetting(settings.filePath("vantrolix.conf")), device.PortName());
    dlg.show();
    CGridCtrl& grid = *dlg.Grid();
    CBuildCommandDlg& builder = *dlg.Builder();

    // The answer to the start-up query names the model, which the builder then selects.
    ASSERT_TRUE(QTest::qWaitFor([&] { return builder.GetModelRow() >= 0; }, 5000));
    EXPECT_EQ(builder.GetModelRow(), 4);
    EXPECT_EQ(qobject_cast<QComboBox*>(builder.Control(1030))->currentText(), "Elmora");
    EXPECT_EQ(Cell(grid, 1, 2), "20, 20, 69, 108, 109, 111, 114, 97");
    EXPECT_EQ(Cell(grid, 1, 3).toStdString(),
              DescribeResponse(CountedBytes{20, 20, 'E', 'l', 'm', 'o', 'r', 'a'}, radioText));

    // Compose a Set in the builder and send it from there.
    qobject_cast<QPushButton*>(dlg.Control(1004))->click();
    ASSERT_TRUE(builder.isVisible());
    Pick(builder, 1024, "21 - Set");
    Pick(builder, 1025, "21 - Power Mode");
    Pick(builder, 1026, "0 - Off");
    EXPECT_EQ(qobject_cast<QLineEdit*>(dlg.Control(1017))->text(), "21 21 0");
    EXPECT_EQ(qobject_cast<QLineEdit*>(dlg.Control(1018))->text(), "1, 21, 21, 94, 64, 2, 213");
    qobject_cast<QPushButton*>(builder.Control(1010))->click();

    // The device takes the new value and reports it; the log shows and describes the answer.
    ASSERT_TRUE(QTest::qWaitFor([&] { return RowWithData(grid, "20, 21, 0") > 0; }, 5000));
    const int row = RowWithData(grid, "20, 21, 0");
    EXPECT_EQ(Cell(grid, row, 3).toStdString(), DescribeResponse(CountedBytes{20, 21, 0}, radioText));
    EXPECT_EQ(Cell(grid, row, 3), "Value Power Mode = Off");
    EXPECT_TRUE(messages.isEmpty());

    dlg.reject();
    SetMessageBoxHandler({});
}
