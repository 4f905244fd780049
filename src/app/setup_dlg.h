#pragma once

#include "platform/dialog_builder.h"

#include <QDialog>
#include <QStringList>

class QComboBox;

// Chooses the serial port by name (template 129): COM1 to COM8, then this machine's serial ports;
// any typed name is accepted as it stands.
class CSetupDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSetupDlg(QWidget* parent = nullptr, const QStringList& machinePorts = MachinePorts());

    void SetPortName(const QString& name) { m_portName = name; }
    QString GetPortName() const { return m_portName; }

    QComboBox* PortCombo() const;

    static QStringList MachinePorts();

    // Shows the port name, selecting the entry of that exact name when the list has one.
    void showEvent(QShowEvent* event) override;
    // Takes the combo box's text as the port name.
    void accept() override;

private:
    CDialogControls m_controls;
    QString m_portName;
};
