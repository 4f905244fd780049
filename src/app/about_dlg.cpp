#include "app/about_dlg.h"

namespace {
constexpr int IDD_ABOUTBOX = 100;
} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    BuildDialog(*this, IDD_ABOUTBOX, m_controls);
}
