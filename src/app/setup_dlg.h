#pragma once

#include "app/watch_setting.h"
#include "platform/dialog_builder.h"

#include <QDialog>
#include <QStringList>

class QComboBox;

// Chooses the serial port by name (template 129): COM1 to COM8, then this machine's serial ports;
// any typed name is accepted as it stands. The mode either talks to one device on that port or
// watches the line between a room controller (on that port) and the device it drives (on a second
// port), tapped or passed through.
class CSetupDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSetupDlg(QWidget* parent = nullptr, const QStringList& machinePorts = MachinePorts());

    void SetPortName(const QString& name) { m_portName = name; }
    QString GetPortName() const { return m_portName; }
    void SetWatch(const WatchSetup& watch) { m_watch = watch; }
    WatchSetup GetWatch() const { return m_watch; }

    QComboBox* PortCombo() const;
    QComboBox* ModeCombo() const;
    QComboBox* DevicePortCombo() const;
    QComboBox* WiringCombo() const;

    static QStringList MachinePorts();

protected:
    // Shows the port names, selecting the entries of those exact names when the list has them.
    void showEvent(QShowEvent* event) override;

public slots:
    // Takes the combo boxes' texts and choices.
    void accept() override;

private:
    // The port field names the controller's port while the line is watched; the watch's own
    // controls take input only then.
    void ShowMode(bool watch);

    CDialogControls m_controls;
    QString m_portName;
    WatchSetup m_watch;
};
