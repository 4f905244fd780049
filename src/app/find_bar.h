#pragma once

#include "app/row_filter.h"

#include <QTimer>
#include <QWidget>

class CGridCtrl;
class CResponseLog;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The bar under the log for finding rows and filtering the log by their descriptions. Find: Enter
// or Next goes to the next matching row after the focused one, Previous to the one before, round
// past the end with a note saying so. Filter: the log shows only matching rows, applied a moment
// after typing stops and at once on Enter, narrowed further by the errors, sent and received
// toggles and, for a watched line, the controller's or the device's side. Escape in the find field closes the bar; in the filter field it also clears the filter.
// Either way the focus goes back to the log.
class CFindBar : public QWidget {
    Q_OBJECT
public:
    CFindBar(CGridCtrl& grid, CResponseLog& log, QWidget* parent);

    // Shows the bar with the focus (and the text selected) in the find or the filter field.
    void StartFind();
    void StartFilter();
    // False when nothing matches or the text is no pattern; the bar says which.
    bool FindNext() { return Find(true); }
    bool FindPrevious() { return Find(false); }
    // Applies what the filter field and toggles say now, without waiting for the typing pause.
    void ApplyFilter();
    void ClearFilter();
    void Close();

    // "N of M rows": the rows the log shows of those it lists.
    QString CountText() const { return CountText(m_log); }
    static QString CountText(const CResponseLog& log);

    QLineEdit* FindField() const { return m_find; }
    QLineEdit* FilterField() const { return m_filter; }
    QCheckBox* RegexBox() const { return m_regex; }
    QCheckBox* CaseBox() const { return m_case; }
    QCheckBox* ErrorsBox() const { return m_errors; }
    QCheckBox* SentBox() const { return m_sent; }
    QCheckBox* ReceivedBox() const { return m_received; }
    // A watched line's rows of one side.
    QCheckBox* ControllerBox() const { return m_controller; }
    QCheckBox* DeviceBox() const { return m_device; }
    QString FindNote() const;
    QString FilterNote() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Find(bool forward);
    // The rule a field's text makes with the Regex and Case boxes; nothing, with the field marked
    // and the reason in its note, for a pattern that does not compile.
    std::optional<CTextRule> RuleOf(QLineEdit* field, QLabel* note);
    static void Mark(QLineEdit* field, QLabel* note, const QString& text, bool bad);
    void ShowCount();
    void ReturnToLog();

    CGridCtrl& m_grid;
    CResponseLog& m_log;
    QLineEdit* m_find;
    QLineEdit* m_filter;
    QCheckBox* m_regex;
    QCheckBox* m_case;
    QCheckBox* m_errors;
    QCheckBox* m_sent;
    QCheckBox* m_received;
    QCheckBox* m_controller;
    QCheckBox* m_device;
    QLabel* m_findNote;
    QLabel* m_filterNote;
    QLabel* m_count;
    QTimer m_typingPause;
    // Rows keep arriving while the bar is up: the count is read again now and then, which costs
    // two numbers, rather than on every batch of rows.
    QTimer m_countRefresh;
};
