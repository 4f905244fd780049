// The main window's find bar, row filter and details pane.
#include "app/vantrolix_dlg.h"

#include "app/details_pane.h"
#include "app/find_bar.h"
#include "grid/grid_ctrl.h"
#include "log/row_details.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

CFindBar* CVantrolixDlg::FindBar()
{
    if (!m_findBar) {
        m_findBar = new CFindBar(*Grid(), *m_log, this);
        // The bar closes itself (Escape): the log takes its room back.
        m_findBar->installEventFilter(this);
    }
    return m_findBar;
}

CDetailsPane* CVantrolixDlg::DetailsPane()
{
    if (!m_detailsPane)
        m_detailsPane = new CDetailsPane(m_setting.File(), [this] { LayOutLogArea(); }, this);
    return m_detailsPane;
}

void CVantrolixDlg::SetUpFindActions()
{
    const auto action = [this](const QString& text, const QKeySequence& keys, auto handler) {
        auto* made = new QAction(text, this);
        made->setShortcut(keys);
        addAction(made);
        connect(made, &QAction::triggered, this, handler);
        return made;
    };
    m_findActions = {
        action(tr("&Find..."), QKeySequence(Qt::CTRL | Qt::Key_F), [this] { WithFindBar([this] { m_findBar->StartFind(); }); }),
        action(tr("Find &Next"), QKeySequence(Qt::Key_F3), [this] { WithFindBar([this] { m_findBar->FindNext(); }); }),
        action(tr("Find &Previous"), QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { WithFindBar([this] { m_findBar->FindPrevious(); }); }),
        action(tr("F&ilter..."), QKeySequence(Qt::CTRL | Qt::Key_L), [this] { WithFindBar([this] { m_findBar->StartFilter(); }); }),
        action(tr("Copy &Row Details"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
               [this] { QGuiApplication::clipboard()->setText(FocusedRowDetails()); }),
    };
    QAction* details = action(tr("&Details Pane"), QKeySequence(Qt::Key_F6), [this](bool on) { ShowDetailsPane(on); });
    details->setCheckable(true);
    m_detailsActions = {details};
    connect(Grid(), &CGridCtrl::GridNotify, this, [this](const CGridNotify& notify) {
        if (notify.code == LVN_ITEMCHANGED)
            UpdateDetails();
    });
    if (CDetailsPane::StoredVisible(m_setting.File())) {
        const QSignalBlocker blocker(details);
        details->setChecked(true);
        DetailsPane()->show();
    }
}

void CVantrolixDlg::WithFindBar(const std::function<void()>& act)
{
    const bool shown = FindBar()->isHidden();
    act();
    if (shown)
        LayOutLogArea();
}

void CVantrolixDlg::LayOutLogArea()
{
    if (m_logArea.isNull())
        return;
    QRect log = m_logArea;
    if (m_detailsPane && m_detailsPane->isVisible()) {
        // The log keeps at least half of its room.
        const int pane = std::min(m_detailsPane->PaneHeight(), log.height() / 2);
        m_detailsPane->setGeometry(log.left(), log.bottom() - pane + 1, log.width(), pane);
        log.setBottom(log.bottom() - pane);
    }
    if (m_findBar && m_findBar->isVisible()) {
        const int bar = m_findBar->sizeHint().height();
        m_findBar->setGeometry(log.left(), log.bottom() - bar + 1, log.width(), bar);
        log.setBottom(log.bottom() - bar);
    }
    Grid()->setGeometry(log);
}

bool CVantrolixDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_findBar && event->type() == QEvent::Hide)
        LayOutLogArea();
    return QDialog::eventFilter(watched, event);
}

void CVantrolixDlg::ShowDetailsPane(bool show)
{
    if (!show && !m_detailsPane) {
        CDetailsPane::StoreVisible(m_setting.File(), false);
        return;
    }
    DetailsPane()->setVisible(show);
    CDetailsPane::StoreVisible(m_setting.File(), show);
    if (show)
        UpdateDetails();
    LayOutLogArea();
}

void CVantrolixDlg::UpdateDetails()
{
    if (!m_detailsPane || !m_detailsPane->isVisible())
        return;
    const QString details = FocusedRowDetails();
    m_detailsPane->SetText(details.isEmpty() ? tr("Click a row of the log, or move to one with the keys, to see its details.")
                                             : details);
}

QString CVantrolixDlg::FocusedRowDetails() const
{
    const std::optional<SessionRow> row = m_log->RowAt(Grid()->GetFocusCell().row);
    if (!row)
        return {};
    const std::string text = RowDetailsText(*row);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString CVantrolixDlg::RowCountText() const
{
    return CFindBar::CountText(*m_log);
}
