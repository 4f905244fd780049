#include "script/device_session.h"

#include "protocol/command_packet.h"
#include "serial/line_settings.h"

CDeviceSession::CDeviceSession() = default;

CDeviceSession::~CDeviceSession()
{
    m_worker.RequestStop();
    m_port.Close();
    m_worker.Join();
}

bool CDeviceSession::Open(const std::string& portName, std::string& error)
{
    if (!m_port.Open(portName, std::string(kDeviceLineSettings))) {
        error = "cannot open " + portName + ": " + m_port.GetOpenError();
        return false;
    }
    m_worker.Start();
    return true;
}

bool CDeviceSession::Send(const CountedBytes& payload, std::string& error)
{
    CCommandPacket packet;
    if (!packet.SetCommand(payload)) {
        error = "the command is longer than " + std::to_string(CCommandPacket::kMaxPayload) + " bytes";
        return false;
    }
    const CountedBytes& encoded = packet.GetEncoded();
    if (m_sentObserver)
        m_sentObserver(payload, encoded);
    std::size_t done = 0;
    if (!m_port.Write(encoded.Data(), encoded.Count(), &done)) {
        m_port.ClearErrors(nullptr);
        error = "RS232 Transmit Error: " + std::to_string(done) + " of " + std::to_string(encoded.Count())
            + " bytes sent";
        return false;
    }
    return true;
}
