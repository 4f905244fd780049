// The window watching the line between a room controller and the device it drives: both ports,
// each side's state, and the engineer's own sends in pass-through.

#include "app/vantrolix_dlg.h"

#include "app/status_bar.h"
#include "app/vantrolix_dlg_ids.h"
#include "log/sent_row.h"
#include "platform/message_box.h"

#include <QApplication>
#include <QPushButton>

void CVantrolixDlg::WatchForThisRun(std::string controller, WatchSetup watch)
{
    m_portOverride = std::move(controller);
    m_watchSetup = std::move(watch);
}

void CVantrolixDlg::ReadWatchChoice()
{
    if (m_watchSetup.watch) // given for this run
        return;
    // A port given for this run (--port, a simulated device) is talked to on its own; Setup still
    // offers the stored device port and wiring.
    m_watchSetup = ReadWatchSetup(m_setting.File());
    if (m_portOverride)
        m_watchSetup.watch = false;
}

void CVantrolixDlg::StartWatch()
{
    CWatchSession::Hooks hooks;
    hooks.deliver = [this](ReceivedEntry entry, const std::atomic<bool>& stopping) {
        if (m_rows.Push(std::move(entry), stopping))
            QMetaObject::invokeMethod(this, &CVantrolixDlg::OnRowsReady, Qt::QueuedConnection);
    };
    hooks.wake = [this] { m_rows.Wake(); };
    hooks.record = [this](SessionRow row) { Record(std::move(row)); };
    hooks.changed = [this] { ShowWatchState(); };
    m_watch = std::make_unique<CWatchSession>(this, m_portName, m_watchSetup.devicePort.toStdString(),
                                              m_watchSetup.passThrough, m_sentRows, std::move(hooks));
    auto* send = m_controls.Get<QPushButton>(IDC_SEND);
    send->setEnabled(m_watchSetup.passThrough);
    send->setToolTip(m_watchSetup.passThrough
                         ? tr("Sends the command to the device, between the controller's own")
                         : tr("A tap only listens: nothing can be sent. Choose pass-through in Setup to send."));
    m_watch->Start();
}

void CVantrolixDlg::StopWatch()
{
    if (!m_watch)
        return;
    m_watch->Stop();
    m_watch.reset();
    auto* send = m_controls.Get<QPushButton>(IDC_SEND);
    send->setEnabled(true);
    send->setToolTip({});
}

void CVantrolixDlg::ShowWatchState()
{
    if (!m_watch)
        return;
    const QString text = m_watch->StateText();
    ShowPortText(text, m_watch->Reasons());
    if (m_statusBar)
        m_statusBar->SetPortState({}, text);
}

void CVantrolixDlg::TransmitWatched(const CCommandPacket& packet, bool userSend)
{
    // The window's own queries would put words into the controller's conversation: only the
    // engineer sends here, and only where the tool sits in the line.
    if (!userSend || packet.GetEncoded().Empty())
        return;
    if (!m_watch->PassesThrough()) {
        QApplication::beep();
        return;
    }
    const CountedBytes payload = packet.GetCommand();
    if (!m_watch->Send(payload).Sent())
        AfxMessageBox(kTransmitErrorText);
}
