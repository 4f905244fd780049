#pragma once

#include "app/port_setting.h"
#include "app/vantrolix_dlg.h"
#include "grid/grid_ctrl.h"
#include "platform/message_box.h"
#include "protocol/command_packet.h"
#include "simulator/pseudo_terminal.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

// Runs `act` on the next modal dialog that opens, once it is up.
inline void OnNextModal(std::function<void(QDialog&)> act)
{
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog)
            act(*dialog);
        else
            OnNextModal(act);
    });
}

// A main window on a pseudo-terminal whose device end the test plays, with its settings in a
// temporary file and its message boxes recorded instead of shown.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(device.Create(error)) << error;
        SetMessageBoxHandler([this](const std::string& text) { messages << QString::fromStdString(text); });
    }
    void TearDown() override
    {
        if (dlg)
            dlg->reject();
        dlg.reset();
        SetMessageBoxHandler({});
    }

    QString SettingsFile() const { return settings.filePath("vantrolix.conf"); }

    // Shows the window on the port (the pseudo-terminal unless told) and lets it open the port.
    void Start(std::optional<std::string> port = std::nullopt)
    {
        StartOpening(std::move(port));
        EXPECT_TRUE(WaitForPort());
    }
    // Shows the window; its port opens meanwhile.
    void StartOpening(std::optional<std::string> port = std::nullopt)
    {
        dlg = std::make_unique<CVantrolixDlg>(CPortSetting(SettingsFile()),
                                              port ? port : std::optional(device.SlavePath()));
        dlg->show();
        // The port starts opening once the window is on the screen.
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg->IsStartUpPending(); }, 10000));
    }
    // Lets the UI thread run until the window shows how the opening of its port went.
    bool WaitForPort(int ms = 10000)
    {
        return QTest::qWaitFor([&] { return !dlg->IsOpeningPort(); }, ms);
    }

    QLineEdit* Edit(int id) const { return qobject_cast<QLineEdit*>(dlg->Control(id)); }
    QPushButton* Button(int id) const { return qobject_cast<QPushButton*>(dlg->Control(id)); }
    CGridCtrl& Grid() const { return *dlg->Grid(); }

    // Everything the program put on the line within the time, as the device end reads it.
    std::vector<std::uint8_t> Received(std::chrono::milliseconds within = std::chrono::milliseconds(300))
    {
        std::vector<std::uint8_t> bytes;
        const auto end = std::chrono::steady_clock::now() + within;
        std::uint8_t buffer[256];
        while (std::chrono::steady_clock::now() < end) {
            QCoreApplication::processEvents();
            device.WaitInput(std::chrono::milliseconds(10));
            const std::size_t n = device.ReadAvailable(buffer);
            bytes.insert(bytes.end(), buffer, buffer + n);
        }
        return bytes;
    }

    // The device end sends these bytes.
    void DeviceSends(const std::vector<std::uint8_t>& bytes)
    {
        ASSERT_TRUE(device.WriteAll(bytes, std::chrono::milliseconds(1000)));
    }

    static std::vector<std::uint8_t> Packet(const CountedBytes& payload)
    {
        CCommandPacket packet;
        packet.SetCommand(payload);
        const auto bytes = packet.GetEncoded().Bytes();
        return {bytes.begin(), bytes.end()};
    }

    // Lets the UI thread run until the log holds `rows` rows (header included) or the time is up.
    bool WaitForRows(int rows, int ms = 3000)
    {
        return QTest::qWaitFor([&] { return Grid().GetRowCount() >= rows; }, ms);
    }

    QString Cell(int row, int column) const { return QString::fromUtf8(Grid().GetItemText(row, column)); }

    QTemporaryDir settings;
    CPseudoTerminal device;
    std::unique_ptr<CVantrolixDlg> dlg;
    QStringList messages;
};
