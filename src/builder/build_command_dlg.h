#pragma once

#include "platform/dialog_builder.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

// What the Build Command window needs of the window that owns it, and all it knows of it.
struct BuildCommandHost {
    // Puts text into the owner's "Command Data" field, which then encodes and describes it.
    std::function<void(const QString& text)> setCommandData;
    // Presses the owner's Send button.
    std::function<void()> send;
};

// Composes "Command Data" from the catalogue: device model, message type, variable, value.
// Modeless and long-lived: its owner creates it hidden, shows and hides it, never destroys it.
// Selections the program makes raise no selection handlers; text the program puts into the value
// edit does raise its change handler, as typing does.
class CBuildCommandDlg : public QDialog {
    Q_OBJECT
public:
    CBuildCommandDlg(QWidget* owner, BuildCommandHost host);

    void FillDeviceList();
    // Selects the model whose name is exactly `name` (the bytes of a Device ID answer), then rebuilds
    // the lists from the Device combo's selection, whether or not a model matched. "Command Data"
    // follows only while the window is shown.
    void SelectDeviceByName(const std::string& name);

    int GetModelRow() const { return m_modelRow; }
    int GetMessageType() const { return m_messageType; }
    QWidget* Control(int id) const { return m_controls.Item(id); }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnSelchangeDevice();
    void OnSelchangeMessageType();
    void OnSelchangeVariable();
    void OnSelchangeValue();
    void OnChangeValueEdit();
    void OnSend();

    void FillMessageTypeList();
    void FillVariableList(int messageType);
    void FillValueList(int variableId);
    void ClearValueEdit();
    void SetCommandData(const QString& text);

    QComboBox* DeviceCombo() const;
    QListWidget* List(int id) const;
    QLineEdit* Edit(int id) const;
    QLabel* Label(int id) const;

    BuildCommandHost m_host;
    CDialogControls m_controls;
    int m_messageType = -1;
    int m_modelRow = -1;
    QString m_typeText;
    QString m_variableText;
    QString m_valueText;
    bool m_keepCommandData = false;
    // The lists were last rebuilt by an answer while the window was hidden, and not shown since.
    bool m_preparedWhileHidden = false;
};
