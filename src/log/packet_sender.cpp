#include "log/packet_sender.h"

#include "log/sent_row.h"
#include "log/session_recording.h"
#include "protocol/command_packet.h"
#include "serial/serial_port.h"

#include <chrono>

PacketSender::Result PacketSender::Send(const CountedBytes& payload)
{
    Result result;
    CCommandPacket packet;
    if (!packet.SetCommand(payload)) {
        result.kind = Result::Kind::TooLong;
        return result;
    }
    const CountedBytes& encoded = packet.GetEncoded();
    result.packetSize = encoded.Count();
    const auto when = std::chrono::system_clock::now();
    m_recording.BeginSend();
    const bool written = m_port.Write(encoded.Data(), encoded.Count(), &result.bytesSent)
        && result.bytesSent == encoded.Count();
    result.kind = written ? Result::Kind::Sent : Result::Kind::Failed;
    m_recording.EndSend(written ? MakeSentRow(when, encoded, payload)
                               : MakeTransmitFailureRow(when, encoded, payload, result.bytesSent));
    return result;
}
