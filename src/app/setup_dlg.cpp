#include "app/setup_dlg.h"

#include "app/serial_port_list.h"

#include <QComboBox>
#include <QShowEvent>

namespace {
constexpr int IDD_SETUP = 129;
constexpr int IDC_PORT = 1000;
} // namespace

CSetupDlg::CSetupDlg(QWidget* parent, const QStringList& machinePorts) : QDialog(parent)
{
    BuildDialog(*this, IDD_SETUP, m_controls);
    QComboBox* combo = PortCombo();
    for (int i = 1; i <= 8; ++i)
        combo->addItem(QString("COM%1").arg(i));
    for (const QString& port : machinePorts)
        if (combo->findText(port, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
            combo->addItem(port);
}

QComboBox* CSetupDlg::PortCombo() const
{
    return m_controls.Get<QComboBox>(IDC_PORT);
}

QStringList CSetupDlg::MachinePorts()
{
    QStringList ports;
    for (const std::string& port : ListSerialPorts())
        ports << QString::fromStdString(port);
    return ports;
}

void CSetupDlg::showEvent(QShowEvent* event)
{
    // Port names on this system are case-sensitive paths: only an exact match selects an entry, so
    // that a stored name is never swapped for a longer one that merely begins like it.
    if (!event->spontaneous()) {
        QComboBox* combo = PortCombo();
        const int index = combo->findText(m_portName, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index >= 0)
            combo->setCurrentIndex(index);
        combo->setEditText(m_portName);
    }
    QDialog::showEvent(event);
}

void CSetupDlg::accept()
{
    m_portName = PortCombo()->currentText();
    QDialog::accept();
}
