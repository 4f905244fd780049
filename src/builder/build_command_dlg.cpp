#include "builder/build_command_dlg.h"

#include "builder/list_box.h"
#include "catalogue/catalogue_lookup.h"
#include "catalogue/value_encoders.h"
#include "catalogue/value_formatters.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QKeyEvent>
#include <QShowEvent>

namespace {

constexpr int IDD_BUILD_COMMAND = 130;
constexpr int IDC_DEVICE = 1030;
constexpr int IDC_MESSAGE_TYPE = 1024;
constexpr int IDC_MIDDLE_LABEL = 1022;
constexpr int IDC_RIGHT_LABEL = 1023;
constexpr int IDC_VARIABLE = 1025;
constexpr int IDC_VALUE = 1026;
constexpr int IDC_DATA_EDIT = 1027;
constexpr int IDC_VALUE_EDIT = 1028;
constexpr int IDC_WARNING = 1029;
constexpr int IDC_SEND = 1010;

// What each message type shows in the middle and right columns.
struct TypeLayout {
    const char* middleLabel;
    const char* rightLabel;
    bool variableList;
    bool valueList;
    bool dataEdit;
    bool valueEdit;
};

TypeLayout LayoutFor(int type)
{
    switch (type) {
    case 20: return {"Variable", "", true, false, false, false};
    case 21: return {"Variable", "Value", true, true, false, false};
    case 22: return {"Command Set", "Command", true, false, false, true};
    case 24: return {"Data", "", false, false, true, false};
    default: return {"", "", false, false, false, false};
    }
}

QString Entry(unsigned number, const char* name)
{
    return QString("%1 - %2").arg(number).arg(QString::fromUtf8(name));
}

} // namespace

CBuildCommandDlg::CBuildCommandDlg(QWidget* owner, BuildCommandHost host) : QDialog(owner), m_host(std::move(host))
{
    BuildDialog(*this, IDD_BUILD_COMMAND, m_controls);
    connect(DeviceCombo(), &QComboBox::activated, this, [this] { OnSelchangeDevice(); });
    ListBox::OnSelChange(List(IDC_MESSAGE_TYPE), this, [this] { OnSelchangeMessageType(); });
    ListBox::OnSelChange(List(IDC_VARIABLE), this, [this] { OnSelchangeVariable(); });
    ListBox::OnSelChange(List(IDC_VALUE), this, [this] { OnSelchangeValue(); });
    connect(Edit(IDC_VALUE_EDIT), &QLineEdit::textChanged, this, [this] { OnChangeValueEdit(); });
    connect(m_controls.Get<QPushButton>(IDC_SEND), &QPushButton::clicked, this, [this] { OnSend(); });
}

QComboBox* CBuildCommandDlg::DeviceCombo() const { return m_controls.Get<QComboBox>(IDC_DEVICE); }
QListWidget* CBuildCommandDlg::List(int id) const { return m_controls.Get<QListWidget>(id); }
QLineEdit* CBuildCommandDlg::Edit(int id) const { return m_controls.Get<QLineEdit>(id); }
QLabel* CBuildCommandDlg::Label(int id) const { return m_controls.Get<QLabel>(id); }

void CBuildCommandDlg::FillDeviceList()
{
    QComboBox* combo = DeviceCombo();
    combo->clear();
    for (std::size_t row = 0; row < kModelCount; ++row)
        combo->addItem(QString::fromUtf8(g_ModelTable[row].name));
    combo->setCurrentIndex(-1);
    m_preparedWhileHidden = false;
}

void CBuildCommandDlg::SelectDeviceByName(const std::string& name)
{
    // Hidden, the window must not overwrite what the user has typed into "Command Data": the
    // answer only prepares the lists for when the window is shown.
    const QScopedValueRollback quiet(m_keepCommandData, isHidden());
    int matched = -1;
    for (std::size_t row = 0; row < kModelCount; ++row) {
        if (name == g_ModelTable[row].name)
            matched = static_cast<int>(row);
    }
    // A device answers its Device ID again and again (a flood of answers brings one in every few
    // dozen rows): lists already prepared for that model while hidden are left as they are, as
    // rebuilding them would give the same entries and picks and costs more than the row itself.
    const int model = matched >= 0 ? matched : DeviceCombo()->currentIndex();
    if (isHidden() && m_preparedWhileHidden && model == m_modelRow && DeviceCombo()->currentIndex() == model
        && ListBox::GetCurSel(List(IDC_MESSAGE_TYPE)) == 0)
        return;
    if (matched >= 0) {
        m_modelRow = matched;
        DeviceCombo()->setCurrentIndex(m_modelRow);
    }
    OnSelchangeDevice();
    m_preparedWhileHidden = isHidden();
}

void CBuildCommandDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter in the device combo picks the typed model (the combo has done that by now) and
    // composes its first command; pressing Send as well would send a command the user never saw.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    QWidget* focus = focusWidget();
    if (enter && focus && (focus == DeviceCombo() || DeviceCombo()->isAncestorOf(focus))) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CBuildCommandDlg::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        DeviceCombo()->setCurrentIndex(m_modelRow);
    // Shown, the user may change the picks: the next answer rebuilds them again.
    m_preparedWhileHidden = false;
    QDialog::showEvent(event);
}

void CBuildCommandDlg::OnSelchangeDevice()
{
    m_modelRow = DeviceCombo()->currentIndex();
    FillMessageTypeList();
    ListBox::SetCurSel(List(IDC_MESSAGE_TYPE), 0);
    OnSelchangeMessageType();
}

void CBuildCommandDlg::FillMessageTypeList()
{
    QListWidget* list = List(IDC_MESSAGE_TYPE);
    ListBox::ResetContent(list);
    for (int type : OfferedMessageTypes(m_modelRow))
        ListBox::AddString(list, Entry(static_cast<unsigned>(type), CommandTypeName(type)), type);
}

void CBuildCommandDlg::OnSelchangeMessageType()
{
    QListWidget* types = List(IDC_MESSAGE_TYPE);
    const int selected = ListBox::GetCurSel(types);
    if (selected < 0)
        return;
    m_messageType = ListBox::GetItemData(types, selected);
    m_typeText = QString::number(m_messageType);
    m_variableText.clear();
    m_valueText.clear();

    QListWidget* variables = List(IDC_VARIABLE);
    if (m_messageType == 20 || m_messageType == 21) {
        FillVariableList(m_messageType);
        ListBox::SetCurSel(variables, 0);
    } else if (m_messageType == 22) {
        ListBox::ResetContent(variables);
        ListBox::AddString(variables, "Generic", 0);
        ListBox::SetCurSel(variables, 0);
    }

    OnSelchangeVariable();

    // Runs after the variable handler on purpose: the type decides what stays visible.
    const TypeLayout layout = LayoutFor(m_messageType);
    Label(IDC_MIDDLE_LABEL)->setText(layout.middleLabel);
    Label(IDC_RIGHT_LABEL)->setText(layout.rightLabel);
    Label(IDC_WARNING)->hide();
    variables->setVisible(layout.variableList);
    List(IDC_VALUE)->setVisible(layout.valueList);
    Edit(IDC_DATA_EDIT)->setVisible(layout.dataEdit);
    Edit(IDC_VALUE_EDIT)->setVisible(layout.valueEdit);
}

void CBuildCommandDlg::FillVariableList(int messageType)
{
    QListWidget* list = List(IDC_VARIABLE);
    ListBox::ResetContent(list);
    for (std::size_t row : OfferedVariables(m_modelRow, messageType)) {
        const VariableEntry& variable = g_VariableTable[row];
        const unsigned id = variable.id & 0xFF;
        ListBox::AddString(list, Entry(id, variable.name), static_cast<int>(id));
    }
}

void CBuildCommandDlg::OnSelchangeVariable()
{
    QListWidget* variables = List(IDC_VARIABLE);
    const int selected = ListBox::GetCurSel(variables);
    if (selected < 0)
        return;
    const int id = ListBox::GetItemData(variables, selected);
    ClearValueEdit();
    m_variableText = QString::number(id);
    m_valueText.clear();

    if (m_messageType == 21) {
        FillValueList(id);
    } else if (m_messageType == 22) {
        List(IDC_VALUE)->hide();
        Edit(IDC_VALUE_EDIT)->show();
        Edit(IDC_VALUE_EDIT)->setEnabled(true);
    }

    switch (m_messageType) {
    case 20:
    case 21: SetCommandData(m_typeText + ' ' + m_variableText); break;
    case 23: SetCommandData(m_typeText); break;
    default: SetCommandData(m_typeText + ' '); break;
    }
}

void CBuildCommandDlg::FillValueList(int variableId)
{
    QListWidget* list = List(IDC_VALUE);
    const ValueEntry* values = ValueChoices(static_cast<std::uint8_t>(variableId));
    if (!values) {
        list->hide();
        Edit(IDC_VALUE_EDIT)->show();
        return;
    }
    ListBox::ResetContent(list);
    for (const ValueEntry* entry = values; entry->text; ++entry) {
        const unsigned value = entry->value & 0xFF;
        ListBox::AddString(list, Entry(value, entry->text), static_cast<int>(value));
    }
    Edit(IDC_VALUE_EDIT)->hide();
    list->show();
}

void CBuildCommandDlg::OnSelchangeValue()
{
    QListWidget* values = List(IDC_VALUE);
    const int selected = ListBox::GetCurSel(values);
    if (selected < 0)
        return;
    m_valueText = QString::number(ListBox::GetItemData(values, selected));
    SetCommandData(m_typeText + ' ' + m_variableText + ' ' + m_valueText);
}

void CBuildCommandDlg::OnChangeValueEdit()
{
    QListWidget* variables = List(IDC_VARIABLE);
    const int selected = ListBox::GetCurSel(variables);
    const int id = selected < 0 ? 0 : ListBox::GetItemData(variables, selected);
    const QString typed = Edit(IDC_VALUE_EDIT)->text();
    m_valueText = QString::fromStdString(ConvertValueEntry(typed.toStdString(), id, m_modelRow));
    // Nothing typed yet (a variable just chosen, the text deleted) is no entry to warn about: the
    // value is left out. Read as a number it once became 0, 0 dB for a level.
    if (typed.trimmed().isEmpty())
        m_valueText.clear();

    QLabel* warning = Label(IDC_WARNING);
    if (m_valueText != kInvalidValue) {
        warning->hide();
        if (m_messageType == 22)
            SetCommandData(m_typeText + ' ' + m_valueText);
        else
            SetCommandData(m_typeText + ' ' + m_variableText + ' ' + m_valueText);
    } else {
        warning->setText("Warning: Invalid Entry!");
        warning->show();
        warning->setEnabled(true);
        SetCommandData(m_typeText + ' ' + m_variableText + ' ');
    }
}

void CBuildCommandDlg::OnSend()
{
    if (m_host.send)
        m_host.send();
}

// Clearing an edit is a change of it even when it was empty already.
void CBuildCommandDlg::ClearValueEdit()
{
    QLineEdit* edit = Edit(IDC_VALUE_EDIT);
    if (edit->text().isEmpty())
        OnChangeValueEdit();
    else
        edit->clear();
}

void CBuildCommandDlg::SetCommandData(const QString& text)
{
    if (m_host.setCommandData && !m_keepCommandData)
        m_host.setCommandData(text);
}
