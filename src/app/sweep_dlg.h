#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;

// Asks what the conformance sweep is to run on: the model (the Build Command window's choice, or
// the one the device names in its Device ID answer) and whether every value is also set and put
// back, which changes the device and so is confirmed first.
class CSweepDlg : public QDialog {
    Q_OBJECT
public:
    // modelRow: the model chosen so far, or -1 to ask the device.
    CSweepDlg(int modelRow, QWidget* parent);

    // -1: ask the device for its Device ID.
    int ModelRow() const;
    bool SetValues() const;
    QComboBox* Models() const { return m_models; }
    QCheckBox* SetBox() const { return m_set; }

public slots:
    void accept() override;

private:
    QComboBox* m_models = nullptr;
    QCheckBox* m_set = nullptr;
};
