#pragma once

#include "app/open_retry.h"
#include "app/port_opener.h"
#include "app/row_queue.h"
#include "catalogue/radio_text.h"
#include "log/packet_sender.h"
#include "serial/line_watch.h"
#include "serial/row_sink.h"
#include "serial/serial_port.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class SessionRecording;

// The window's watch of the line between a room controller and the device it drives: two ports,
// each opened on an opener thread of its own (never on the UI thread) and tried again quietly
// until it opens, and a CLineWatch whose workers frame each side, bring back a side whose adapter
// went away and, passed through, hand every byte on to the other side. Each side's rows and port
// changes go to the window's row path in the order they happen, marked with the side they came from.
class CWatchSession {
public:
    enum class State { Opening, Open, CouldNotOpen, Gone };
    struct Hooks {
        // From a side's worker: a row, or its port gone or back, for the log. `stopping` is set
        // when the watch ends, and `wake` then ends a wait for room in the queue.
        std::function<void(ReceivedEntry, const std::atomic<bool>& stopping)> deliver;
        std::function<void()> wake;
        // From any thread: a row or port event for the session file.
        std::function<void(SessionRow)> record;
        // On the UI thread: a side's state changed.
        std::function<void()> changed;
    };

    // sent: where the engineer's own commands are recorded, as every command the window sends.
    CWatchSession(QObject* owner, std::string controller, std::string device, bool passThrough,
                  SessionRecording& sent, Hooks hooks);
    ~CWatchSession();
    CWatchSession(const CWatchSession&) = delete;
    CWatchSession& operator=(const CWatchSession&) = delete;

    // Starts both workers and opens both ports.
    void Start();
    // Ends both workers and closes both ports (each gets back its line settings); an open port's
    // close goes into the record.
    void Stop();

    // A tap never writes: only a passed-through line lets the engineer send towards the device.
    bool PassesThrough() const { return m_passThrough; }
    // Puts the command on the device's port, recorded as the window's sends are.
    PacketSender::Result Send(const CountedBytes& payload) { return m_sender.Send(payload); }
    // Either port's open has an outcome the window has not seen yet.
    bool IsOpening() const { return m_controller.opener.IsBusy() || m_device.opener.IsBusy(); }
    State StateOf(RowDirection side) const { return SideOf(side).state; }

    // On the UI thread, as the row path hands it over: a side's port has gone or is back.
    void OnPortEntry(const ReceivedEntry& entry);
    // Each port and its state: "Controller COM1: open · Device COM2: device gone, retrying".
    QString StateText() const;
    // Why a side could not open or went away, a line a side; empty when both are well.
    QString Reasons() const;

private:
    struct Side final : IRowSink {
        Side(CWatchSession& session, QObject* owner, RowDirection direction, std::string name);

        void LogPacket(Clock::time_point when, const CountedBytes& frame, const CountedBytes* payload,
                       bool checksumError) override;
        void ReportLineError(Clock::time_point when, std::uint32_t flags) override;
        void OnPortEvent(Clock::time_point when, PortEvent event, const std::string& port) override;
        void Deliver(ReceivedEntry entry);
        QString Text() const;

        CWatchSession& session;
        const RowDirection direction;
        const std::string name;
        CSerialPort port;
        CPortOpener opener;
        COpenRetry retry;
        CRadioText radioText; // the device's answers carry radio text; its worker's alone
        State state = State::Opening;
        QString reason;
        bool openRecorded = false;
    };

    const Side& SideOf(RowDirection side) const { return side == RowDirection::Controller ? m_controller : m_device; }
    Side& SideOf(RowDirection side) { return side == RowDirection::Controller ? m_controller : m_device; }
    void OnOutcome(Side& side, const CPortOpener::Outcome& outcome);
    bool RetryOpen(Side& side);
    void RecordPort(const Side& side, PortEventKind event, const std::string& reason = {});

    const bool m_passThrough;
    Hooks m_hooks;
    std::atomic<bool> m_stopping{false};
    Side m_controller;
    Side m_device;
    PacketSender m_sender;
    std::unique_ptr<CLineWatch> m_watch;
};
