#include "log/packet_sender.h"
#include "log/session_recording.h"
#include "log/session_writer.h"
#include "serial/serial_port.h"

#include <gtest/gtest.h>

#include <vector>

TEST(PacketSender, AClosedPortGivesTheFailureRowAndNothingTooLongIsRecorded)
{
    CSerialPort port; // never opened: the write fails as one to a vanished device does
    SessionWriter closedFile; // not open: the recording still hands rows on
    SessionRecording recording;
    recording.WriteTo(&closedFile);
    std::vector<SessionRow> handedOn;
    recording.HandOnTo([&](SessionRow row) { handedOn.push_back(std::move(row)); });
    PacketSender sender(port, recording);

    const PacketSender::Result failed = sender.Send(CountedBytes{20, 20});
    EXPECT_EQ(failed.kind, PacketSender::Result::Kind::Failed);
    EXPECT_EQ(failed.bytesSent, 0u);
    EXPECT_EQ(failed.packetSize, 5u);
    ASSERT_EQ(handedOn.size(), 1u);
    EXPECT_EQ(handedOn[0].direction, RowDirection::Sent);
    EXPECT_EQ(handedOn[0].encoded, "1, 20, 20, 2, 215");
    EXPECT_EQ(handedOn[0].data, "RS232 Transmit Error");
    EXPECT_EQ(handedOn[0].description, "Query Device ID (0 of 5 bytes sent)");

    // A payload no packet holds is refused before the port is asked.
    const std::vector<std::uint8_t> tooLong(128, 20);
    EXPECT_EQ(sender.Send(CountedBytes(std::span(tooLong))).kind, PacketSender::Result::Kind::TooLong);
    EXPECT_EQ(handedOn.size(), 1u);
}

TEST(SessionRecording, RowsArrivingDuringASendFollowTheCommandsRow)
{
    SessionRecording recording;
    std::vector<std::string> order;
    recording.HandOnTo([&](SessionRow row) { order.push_back(row.encoded); });
    const auto when = std::chrono::system_clock::now();
    recording.Record(PortRow(when, PortEventKind::Opened, "ttyS0"));
    recording.BeginSend();
    recording.Record(ReceivedRow(when, {"", "answer", "", ""}));
    recording.EndSend(SentRow(when, "command", "", ""));
    recording.Record(ReceivedRow(when, {"", "later", "", ""}));
    EXPECT_EQ(order, (std::vector<std::string>{"Port opened: ttyS0", "command", "answer", "later"}));
}
