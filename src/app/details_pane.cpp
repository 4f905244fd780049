#include "app/details_pane.h"

#include "app/port_setting.h"

#include <QFontDatabase>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSettings>

namespace {

constexpr int kGrip = 6;
constexpr int kDefaultHeight = 150;
constexpr int kLeastHeight = 40;
const char* const kVisibleKey = "Log/DetailsPane";
const char* const kHeightKey = "Log/DetailsPaneHeight";

} // namespace

CDetailsPane::CDetailsPane(QString settingsFile, std::function<void()> relayout, QWidget* parent)
    : QWidget(parent), m_settingsFile(std::move(settingsFile)), m_relayout(std::move(relayout)),
      m_text(new QPlainTextEdit(this))
{
    setAccessibleName(tr("Row details"));
    m_text->setAccessibleName(tr("Details of the focused row"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Offsets and values line up in columns.
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setCursor(Qt::SizeVerCursor);
    m_text->viewport()->setCursor(Qt::IBeamCursor);
    m_height = std::max(kLeastHeight, OpenSettings(m_settingsFile)->value(kHeightKey, kDefaultHeight).toInt());
    hide();
}

void CDetailsPane::SetText(const QString& text)
{
    if (m_text->toPlainText() != text)
        m_text->setPlainText(text);
}

QString CDetailsPane::Text() const { return m_text->toPlainText(); }

bool CDetailsPane::StoredVisible(const QString& settingsFile)
{
    return OpenSettings(settingsFile)->value(kVisibleKey, false).toBool();
}

void CDetailsPane::StoreVisible(const QString& settingsFile, bool visible)
{
    OpenSettings(settingsFile)->setValue(kVisibleKey, visible);
}

void CDetailsPane::StoreHeight() const
{
    OpenSettings(m_settingsFile)->setValue(kHeightKey, m_height);
}

void CDetailsPane::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_text->setGeometry(0, kGrip, width(), std::max(0, height() - kGrip));
}

void CDetailsPane::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || event->position().y() >= kGrip)
        return QWidget::mousePressEvent(event);
    m_dragFrom = static_cast<int>(event->globalPosition().y());
    m_heightBefore = m_height;
}

void CDetailsPane::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragFrom < 0)
        return QWidget::mouseMoveEvent(event);
    m_height = std::max(kLeastHeight, m_heightBefore + m_dragFrom - static_cast<int>(event->globalPosition().y()));
    m_relayout();
}

void CDetailsPane::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragFrom < 0)
        return QWidget::mouseReleaseEvent(event);
    m_dragFrom = -1;
    StoreHeight();
}
