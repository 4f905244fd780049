#include "app/about_dlg.h"

#include "version/version.h"

#include <QLabel>

namespace {
constexpr int IDD_ABOUTBOX = 100;
} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    BuildDialog(*this, IDD_ABOUTBOX, m_controls);
    // The template's text names a fixed version; show the one this program was built as, the same
    // that --version prints, with the commit on a line of its own so the text keeps to its place.
    const QString versionPrefix = QStringLiteral("Vantrolix Version ");
    QString text = versionPrefix + QString::fromUtf8(kVantrolixVersion);
    if (*kVantrolixCommit != '\0')
        text += QStringLiteral("\nCommit ") + QString::fromUtf8(kVantrolixCommit);
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label->text().startsWith(versionPrefix)) {
            label->setText(text);
            label->resize(std::max(label->width(), label->sizeHint().width()), label->sizeHint().height());
        }
    }
}
