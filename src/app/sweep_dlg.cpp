#include "app/sweep_dlg.h"

#include "catalogue/catalogue_lookup.h"
#include "catalogue/catalogue_tables.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QMessageBox>

#include <algorithm>

CSweepDlg::CSweepDlg(int modelRow, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Conformance Sweep"));
    m_models = new QComboBox(this);
    m_models->setAccessibleName(tr("Model"));
    m_models->addItem(tr("Ask the device (Device ID)"), -1);
    for (std::size_t row = 0; row < kModelCount; ++row)
        m_models->addItem(QString::fromLatin1(ModelName(static_cast<int>(row))), static_cast<int>(row));
    m_models->setCurrentIndex(std::max(0, m_models->findData(modelRow)));
    m_set = new QCheckBox(tr("Also set each value and restore it"), this);
    m_set->setAccessibleName(m_set->text());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("&Model:"), m_models);
    layout->addRow(m_set);
    layout->addRow(buttons);
}

int CSweepDlg::ModelRow() const
{
    return m_models->currentData().toInt();
}

bool CSweepDlg::SetValues() const
{
    return m_set->isChecked();
}

void CSweepDlg::accept()
{
    if (SetValues()
        && QMessageBox::question(this, windowTitle(),
                                 tr("Setting each value changes the device's settings while the sweep runs; each is "
                                    "put back afterwards. Go on?"))
            != QMessageBox::Yes)
        return;
    QDialog::accept();
}
