#include "app/status_bar.h"

#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>

namespace {

QLabel* AddPart(QStatusBar& bar, const QString& name, int stretch)
{
    auto* label = new QLabel(&bar);
    label->setTextFormat(Qt::PlainText);
    label->setAccessibleName(name);
    // Selectable with the mouse, so a reason can be copied into a report (see eventFilter).
    label->installEventFilter(&bar);
    bar.addWidget(label, stretch);
    return label;
}

QString Count(std::size_t n)
{
    return QLocale().toString(static_cast<qulonglong>(n));
}

} // namespace

CWindowStatusBar::CWindowStatusBar(QWidget* parent)
    : QStatusBar(parent),
      m_port(AddPart(*this, tr("Port state"), 3)),
      m_rows(AddPart(*this, tr("Rows in the log"), 0)),
      m_errors(AddPart(*this, tr("Error rows"), 0)),
      m_session(AddPart(*this, tr("Session file"), 1))
{
    setSizeGripEnabled(true);
    setAccessibleName(tr("Status"));
    SetCounts(0, 0, 0, std::nullopt);
}

bool CWindowStatusBar::eventFilter(QObject* watched, QEvent* event)
{
    // A selectable label lays its text out as a document, at every new text and size: several times
    // the cost of a plain one, paid at start and at each count while rows pour in. So a part becomes
    // selectable (the keyboard stays out) only once the pointer comes to it; it looks the same either way.
    if (event->type() == QEvent::Enter) {
        auto* label = static_cast<QLabel*>(watched);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->removeEventFilter(this);
    }
    return QStatusBar::eventFilter(watched, event);
}

void CWindowStatusBar::SetPortState(const QString& port, const QString& state)
{
    const QString text = port.isEmpty() ? state : port + ": " + state;
    m_port->setText(text);
    m_port->setToolTip(text);
}

void CWindowStatusBar::SetCounts(std::size_t rows, std::size_t dropped, std::size_t errors, std::optional<std::size_t> passed)
{
    QString text = passed ? tr("%1 of %2 rows").arg(Count(*passed), Count(rows))
                   : rows == 1 ? tr("1 row") : tr("%1 rows").arg(Count(rows));
    if (dropped > 0)
        text += tr(" (%1 dropped)").arg(Count(dropped));
    m_rows->setText(text);
    m_errors->setText(errors == 1 ? tr("1 error") : tr("%1 errors").arg(Count(errors)));
}

void CWindowStatusBar::SetSessionFile(const QString& path, const QString& why)
{
    if (path.isEmpty()) {
        m_session->setText(why.isEmpty() ? tr("Not recording") : why);
        m_session->setToolTip(why);
        return;
    }
    m_session->setText(tr("Recording: ") + QFileInfo(path).fileName());
    m_session->setToolTip(path);
}

QString CWindowStatusBar::PortText() const { return m_port->text(); }
QString CWindowStatusBar::RowsText() const { return m_rows->text(); }
QString CWindowStatusBar::ErrorsText() const { return m_errors->text(); }
QString CWindowStatusBar::SessionText() const { return m_session->text(); }
