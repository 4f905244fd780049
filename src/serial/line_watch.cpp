#include "line_watch.h"

#include "serial/serial_port.h"

CLineWatch::CLineWatch(CSerialPort& controller, IRowSink& controllerRows, CSerialPort& device,
                       IRowSink& deviceRows, bool passThrough)
    : m_controller(controller), m_device(device), m_controllerWorker(controller, controllerRows),
      m_deviceWorker(device, deviceRows)
{
    if (!passThrough)
        return;
    m_controllerWorker.ObserveBytes([this](std::uint8_t byte) { Pass(m_device, byte, m_controllerLost); });
    m_deviceWorker.ObserveBytes([this](std::uint8_t byte) { Pass(m_controller, byte, m_deviceLost); });
}

CLineWatch::~CLineWatch()
{
    Stop();
}

void CLineWatch::Start()
{
    m_controllerWorker.Start();
    m_deviceWorker.Start();
}

void CLineWatch::Stop()
{
    m_controllerWorker.RequestStop();
    m_deviceWorker.RequestStop();
    m_controller.Close();
    m_device.Close();
    m_controllerWorker.Join();
    m_deviceWorker.Join();
}

void CLineWatch::Pass(CSerialPort& to, std::uint8_t byte, std::atomic<std::uint64_t>& lost)
{
    // The other side's own worker clears its errors and reopens it; until then bytes are lost,
    // never queued, so a side that is away cannot make the other wait or fill memory.
    std::size_t done = 0;
    if (!to.Write(&byte, 1, &done) || done != 1)
        ++lost;
}
