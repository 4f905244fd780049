#pragma once

#include "platform/dialog_builder.h"

#include <QDialog>

// The program's name and the version it was built as, with its icon (template 100); OK closes it.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

private:
    CDialogControls m_controls;
};
