#pragma once

#include "serial/receive_worker.h"

#include <atomic>
#include <cstdint>

class CSerialPort;
class IRowSink;

// Listens to the line between a room controller and the device it drives, on two ports: one that
// hears the controller, one that hears the device. Each side has its own receive worker, and so
// its own framer, line errors and reopening when its port goes away; its rows go to its own sink.
//
// Tapped (a Y cable gives each port one side to hear), nothing is ever written. Passed through
// (the controller is cabled to one port and the device to the other), every byte read on one side
// is written unchanged to the other the moment it is read, before it is framed, so broken packets
// and noise pass as they came; a byte that the other side cannot take (its port is gone, or its
// line has an error pending) is counted and lost, and passing resumes when it can take bytes again.
class CLineWatch {
public:
    CLineWatch(CSerialPort& controller, IRowSink& controllerRows, CSerialPort& device, IRowSink& deviceRows,
               bool passThrough);
    ~CLineWatch();
    CLineWatch(const CLineWatch&) = delete;
    CLineWatch& operator=(const CLineWatch&) = delete;

    void Start();
    // Ends both workers: asks them to stop, closes both ports (which ends a read or a blocked
    // pass-through write at once) and joins them.
    void Stop();

    // Bytes from one side that could not be handed to the other.
    std::uint64_t ControllerBytesLost() const { return m_controllerLost; }
    std::uint64_t DeviceBytesLost() const { return m_deviceLost; }

private:
    static void Pass(CSerialPort& to, std::uint8_t byte, std::atomic<std::uint64_t>& lost);

    CSerialPort& m_controller;
    CSerialPort& m_device;
    std::atomic<std::uint64_t> m_controllerLost{0};
    std::atomic<std::uint64_t> m_deviceLost{0};
    ReceiveWorker m_controllerWorker;
    ReceiveWorker m_deviceWorker;
};
