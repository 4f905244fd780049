#include "main_window_fixture.h"

#include "builder/build_command_dlg.h"

#include <QLabel>
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

// The fields preview whatever the parser makes of the text; a text that would put other bytes on
// the line than the ones written is named under the field, and no Send sends it.
TEST_F(MainWindowTest, ACommandTextThatIsNotSentAsWrittenIsNamedAndStaysUnsent)
{
    Start();
    Received();
    auto* warning = qobject_cast<QLabel*>(dlg->Control(1019));
    ASSERT_NE(warning, nullptr);
    EXPECT_TRUE(warning->isHidden());
    auto* builderSend = qobject_cast<QPushButton*>(dlg->Builder()->Control(1010));

    const QString tooMany = QString("20 ").repeated(128);
    struct Case {
        QString text;
        QString named;
        CountedBytes preview;
    };
    for (const Case& c : {Case{"20 300", "value 2 (\"300\") is not a byte value", {20, 44}},
                          Case{"abc", "value 1 (\"abc\")", {0}},
                          Case{"20 <invalid> 21", "value 2 (\"<invalid>\") ends the command", {20}},
                          Case{tooMany, "value 128 (\"20\") is one too many", {}}}) {
        Edit(1017)->setText(c.text);
        EXPECT_FALSE(warning->isHidden()) << c.text.toStdString();
        EXPECT_TRUE(warning->text().contains(c.named)) << warning->text().toStdString();
        CCommandPacket preview;
        preview.SetCommand(c.preview);
        EXPECT_EQ(Edit(1018)->text().toStdString(), preview.GetEncodedText());

        Button(1010)->click();
        QTest::keyClick(Edit(1017), Qt::Key_Return);
        builderSend->click();
        EXPECT_TRUE(Received(std::chrono::milliseconds(100)).empty()) << c.text.toStdString();
    }

    // Mended, the warning goes at once and the text is sent as written.
    Edit(1017)->setText("20 21");
    EXPECT_TRUE(warning->isHidden());
    Button(1010)->click();
    EXPECT_EQ(Received(), Packet({20, 21}));
    EXPECT_TRUE(messages.isEmpty());
}
