#include "app/setup_dlg.h"

#include "app/serial_port_list.h"
#include "platform/message_box.h"

#include <QComboBox>
#include <QLabel>
#include <QShowEvent>

namespace {
constexpr int IDD_SETUP = 129;
constexpr int IDC_PORT = 1000;
constexpr int IDC_MODE = 1001;
constexpr int IDC_DEVICE_PORT = 1002;
constexpr int IDC_WIRING = 1003;
constexpr int IDC_PORT_LABEL = 1004;
constexpr int IDC_DEVICE_PORT_LABEL = 1005;
constexpr int IDC_WIRING_LABEL = 1006;
constexpr int IDC_MODE_LABEL = 1007;

void FillPorts(QComboBox* combo, const QStringList& machinePorts)
{
    for (int i = 1; i <= 8; ++i)
        combo->addItem(QString("COM%1").arg(i));
    for (const QString& port : machinePorts)
        if (combo->findText(port, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
            combo->addItem(port);
}

// Port names on this system are case-sensitive paths: only an exact match selects an entry, so
// that a stored name is never swapped for a longer one that merely begins like it.
void ShowPortName(QComboBox* combo, const QString& name)
{
    const int index = combo->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        combo->setCurrentIndex(index);
    combo->setEditText(name);
}

// The label's words, without its mnemonic, name the control for a screen reader.
void Label(QLabel* label, QWidget* control, const QString& text)
{
    label->setText(text);
    label->setBuddy(control);
    control->setAccessibleName(QString(text).remove('&'));
}

} // namespace

CSetupDlg::CSetupDlg(QWidget* parent, const QStringList& machinePorts) : QDialog(parent)
{
    BuildDialog(*this, IDD_SETUP, m_controls);
    FillPorts(PortCombo(), machinePorts);
    FillPorts(DevicePortCombo(), machinePorts);
    ModeCombo()->addItems({tr("Talk to one device"), tr("Watch a controller and a device")});
    WiringCombo()->addItems({tr("Tap: both ports only listen"), tr("Pass-through: the tool sits in the line")});
    Label(m_controls.Get<QLabel>(IDC_MODE_LABEL), ModeCombo(), tr("&Mode"));
    Label(m_controls.Get<QLabel>(IDC_DEVICE_PORT_LABEL), DevicePortCombo(), tr("&Device port"));
    Label(m_controls.Get<QLabel>(IDC_WIRING_LABEL), WiringCombo(), tr("&Wiring"));
    connect(ModeCombo(), &QComboBox::currentIndexChanged, this, [this](int index) { ShowMode(index == 1); });
    ShowMode(false);
}

QComboBox* CSetupDlg::PortCombo() const { return m_controls.Get<QComboBox>(IDC_PORT); }
QComboBox* CSetupDlg::ModeCombo() const { return m_controls.Get<QComboBox>(IDC_MODE); }
QComboBox* CSetupDlg::DevicePortCombo() const { return m_controls.Get<QComboBox>(IDC_DEVICE_PORT); }
QComboBox* CSetupDlg::WiringCombo() const { return m_controls.Get<QComboBox>(IDC_WIRING); }

QStringList CSetupDlg::MachinePorts()
{
    QStringList ports;
    for (const std::string& port : ListSerialPorts())
        ports << QString::fromStdString(port);
    return ports;
}

void CSetupDlg::ShowMode(bool watch)
{
    Label(m_controls.Get<QLabel>(IDC_PORT_LABEL), PortCombo(), watch ? tr("&Controller port") : tr("&Port"));
    for (int id : {IDC_DEVICE_PORT, IDC_WIRING, IDC_DEVICE_PORT_LABEL, IDC_WIRING_LABEL})
        m_controls.Item(id)->setEnabled(watch);
}

void CSetupDlg::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        ShowPortName(PortCombo(), m_portName);
        ShowPortName(DevicePortCombo(), m_watch.devicePort);
        ModeCombo()->setCurrentIndex(m_watch.watch ? 1 : 0);
        WiringCombo()->setCurrentIndex(m_watch.passThrough ? 1 : 0);
        ShowMode(m_watch.watch);
    }
    QDialog::showEvent(event);
}

void CSetupDlg::accept()
{
    const QString port = PortCombo()->currentText();
    const WatchSetup watch{ModeCombo()->currentIndex() == 1, DevicePortCombo()->currentText(),
                           WiringCombo()->currentIndex() == 1};
    // One port cannot hear both sides: the dialog stays for the user to mend it.
    if (watch.watch && watch.devicePort == port) {
        AfxMessageBox(tr("The controller and the device need a port each: %1 is named for both.").arg(port).toStdString());
        DevicePortCombo()->setFocus();
        return;
    }
    m_portName = port;
    m_watch = watch;
    QDialog::accept();
}
