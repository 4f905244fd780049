#include "main_window_fixture.h"

#include "builder/build_command_dlg.h"

#include <QTimer>

namespace {

const CountedBytes kElmoraAnswer{20, 20, 'E', 'l', 'm', 'o', 'r', 'a'};

} // namespace

TEST_F(MainWindowTest, ADeviceAnswerLeavesATypedCommandAloneWhileTheBuilderIsHidden)
{
    Start();
    Received();
    Edit(1017)->setText("21 24 1");
    DeviceSends(Packet(kElmoraAnswer));
    ASSERT_TRUE(WaitForRows(2));
    EXPECT_EQ(dlg->Builder()->GetModelRow(), 4);
    EXPECT_EQ(Edit(1017)->text(), "21 24 1");
    QTest::keyClick(Edit(1017), Qt::Key_Return);
    EXPECT_EQ(Received(), Packet({21, 24, 1}));

    // Shown, the builder composes from the answer as before.
    Button(1004)->click();
    Received();
    DeviceSends(Packet(kElmoraAnswer));
    ASSERT_TRUE(WaitForRows(3));
    EXPECT_EQ(Edit(1017)->text(), "20 20");
}

// A write that waits for the line lets the window handle rows meanwhile; one of them (a Device ID
// answer with the builder shown) sets a new command. The waiting packet goes out as it was.
TEST_F(MainWindowTest, APacketWaitingForTheLineGoesOutAsItWasWhenSendWasPressed)
{
    Start();
    Button(1004)->click(); // the builder shown: an answer rewrites Command Data
    Received();
    QStringList values;
    for (int i = 0; i < 100; ++i)
        values << "200";
    Edit(1017)->setText(values.join(' '));
    const std::vector<std::uint8_t> payload(100, 200);
    const std::vector<std::uint8_t> packet = Packet(CountedBytes(std::span<const std::uint8_t>(payload)));

    std::vector<std::uint8_t> onLine;
    const auto drain = [&] {
        std::uint8_t buffer[4096];
        while (const std::size_t n = device.ReadAvailable(buffer))
            onLine.insert(onLine.end(), buffer, buffer + n);
    };
    // Fires only from inside a Send that waits, since nothing else runs the event loop meanwhile.
    bool waited = false;
    QTimer duringWrite;
    duringWrite.setSingleShot(true);
    duringWrite.setInterval(0);
    QObject::connect(&duringWrite, &QTimer::timeout, [&] {
        waited = true;
        DeviceSends(Packet(kElmoraAnswer));
        EXPECT_TRUE(QTest::qWaitFor([&] { return Edit(1017)->text() == "20 20"; }, 5000));
        drain(); // room on the line again: the write goes on
    });
    int sends = 0;
    // The line takes some tens of kilobytes before a write has to wait.
    while (!waited && sends < 5000) {
        duringWrite.start();
        Button(1010)->click();
        duringWrite.stop();
        ++sends;
    }
    ASSERT_TRUE(waited);
    const std::vector<std::uint8_t> rest = Received();
    onLine.insert(onLine.end(), rest.begin(), rest.end());

    ASSERT_EQ(onLine.size(), packet.size() * static_cast<std::size_t>(sends));
    for (int i = 0; i < sends; ++i) {
        const auto from = onLine.begin() + static_cast<std::ptrdiff_t>(packet.size()) * i;
        ASSERT_TRUE(std::equal(packet.begin(), packet.end(), from)) << "packet " << i << " of " << sends;
    }
    EXPECT_TRUE(messages.isEmpty());
}
