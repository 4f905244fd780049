#include "app/find_bar.h"

#include "app/log_find.h"
#include "app/response_log.h"
#include "grid/grid_ctrl.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <utility>
#include <vector>

namespace {

constexpr int kTypingPauseMs = 300;
constexpr int kCountRefreshMs = 250;

QCheckBox* Toggle(const QString& text, const QString& name, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setAccessibleName(name);
    return box;
}

QPushButton* Button(const QString& text, const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setAccessibleName(name);
    // Enter in the bar's fields is theirs; no button of the bar becomes the window's default.
    button->setAutoDefault(false);
    return button;
}

QLineEdit* Field(const QString& name, const QString& hint, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setAccessibleName(name);
    field->setPlaceholderText(hint);
    field->setClearButtonEnabled(true);
    return field;
}

bool IsKey(QEvent* event, int key)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const int pressed = static_cast<QKeyEvent*>(event)->key();
    return pressed == key || (key == Qt::Key_Return && pressed == Qt::Key_Enter);
}

} // namespace

CFindBar::CFindBar(CGridCtrl& grid, CResponseLog& log, QWidget* parent)
    : QWidget(parent), m_grid(grid), m_log(log)
{
    setAccessibleName(tr("Find and filter"));
    m_find = Field(tr("Find"), tr("Text or /regular expression/ in the description"), this);
    m_filter = Field(tr("Filter"), tr("Show only rows whose description has this"), this);
    auto* next = Button(tr("&Next"), tr("Find next"), this);
    auto* previous = Button(tr("&Previous"), tr("Find previous"), this);
    m_regex = Toggle(tr("Rege&x"), tr("Regular expression (RE2 syntax)"), this);
    m_case = Toggle(tr("Match &case"), tr("Match case"), this);
    m_errors = Toggle(tr("&Errors only"), tr("Errors only"), this);
    m_sent = Toggle(tr("&Sent only"), tr("Sent only"), this);
    m_received = Toggle(tr("&Received only"), tr("Received only"), this);
    m_controller = Toggle(tr("C&ontroller only"), tr("Controller only"), this);
    m_device = Toggle(tr("Device onl&y"), tr("Device only"), this);
    m_findNote = new QLabel(this);
    m_filterNote = new QLabel(this);
    m_count = new QLabel(this);
    m_count->setAccessibleName(tr("Rows shown"));
    auto* findLabel = new QLabel(tr("F&ind:"), this);
    findLabel->setBuddy(m_find);
    auto* filterLabel = new QLabel(tr("Fil&ter:"), this);
    filterLabel->setBuddy(m_filter);

    // The fields take what room is left; the notes and the count have a line of their own, so a
    // narrow window still shows them whole.
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 2, 0, 2);
    layout->addWidget(findLabel, 0, 0);
    layout->addWidget(m_find, 0, 1);
    layout->addWidget(next, 0, 2);
    layout->addWidget(previous, 0, 3);
    layout->addWidget(m_regex, 0, 4);
    layout->addWidget(m_case, 0, 5);
    layout->addWidget(filterLabel, 1, 0);
    layout->addWidget(m_filter, 1, 1);
    layout->addWidget(m_errors, 1, 2);
    layout->addWidget(m_sent, 1, 3);
    layout->addWidget(m_received, 1, 4);
    layout->addWidget(m_controller, 1, 5);
    layout->addWidget(m_device, 1, 6);
    layout->addWidget(m_findNote, 2, 1);
    layout->addWidget(m_filterNote, 2, 2, 1, 3);
    layout->addWidget(m_count, 2, 5, 1, 2, Qt::AlignRight);
    layout->setColumnStretch(1, 1);
    m_find->setMinimumWidth(120);
    m_filter->setMinimumWidth(120);

    connect(next, &QPushButton::clicked, this, [this] { FindNext(); });
    connect(previous, &QPushButton::clicked, this, [this] { FindPrevious(); });
    connect(m_find, &QLineEdit::textEdited, this, [this] { Mark(m_find, m_findNote, {}, false); });
    m_typingPause.setSingleShot(true);
    m_typingPause.setInterval(kTypingPauseMs);
    connect(&m_typingPause, &QTimer::timeout, this, [this] { ApplyFilter(); });
    connect(m_filter, &QLineEdit::textChanged, this, [this] { m_typingPause.start(); });
    for (QCheckBox* box : {m_errors, m_sent, m_received, m_controller, m_device, m_regex, m_case})
        connect(box, &QCheckBox::toggled, this, [this] { ApplyFilter(); });
    // A row goes one way and comes from one side: asking for two that exclude each other would
    // show nothing, so checking one unchecks the others it excludes.
    const std::pair<QCheckBox*, std::vector<QCheckBox*>> excludes[] = {
        {m_sent, {m_received, m_controller, m_device}},
        {m_received, {m_sent}},
        {m_controller, {m_sent, m_device}},
        {m_device, {m_sent, m_controller}},
    };
    for (const auto& [box, others] : excludes)
        connect(box, &QCheckBox::toggled, this, [others = others](bool on) {
            for (QCheckBox* other : others)
                if (on)
                    other->setChecked(false);
        });
    m_countRefresh.setInterval(kCountRefreshMs);
    connect(&m_countRefresh, &QTimer::timeout, this, [this] { ShowCount(); });
    m_find->installEventFilter(this);
    m_filter->installEventFilter(this);
    hide();
}

void CFindBar::StartFind()
{
    show();
    m_countRefresh.start();
    ShowCount();
    m_find->setFocus(Qt::ShortcutFocusReason);
    m_find->selectAll();
}

void CFindBar::StartFilter()
{
    show();
    m_countRefresh.start();
    ShowCount();
    m_filter->setFocus(Qt::ShortcutFocusReason);
    m_filter->selectAll();
}

void CFindBar::Close()
{
    m_countRefresh.stop();
    hide();
    ReturnToLog();
}

void CFindBar::ReturnToLog()
{
    m_grid.setFocus(Qt::OtherFocusReason);
    const CGridCellId focus = m_grid.GetFocusCell();
    if (m_grid.IsValid(focus) && m_grid.GetRowHeight(focus.row) > 0)
        m_grid.EnsureVisible(focus.row, focus.col);
}

void CFindBar::Mark(QLineEdit* field, QLabel* note, const QString& text, bool bad)
{
    // Colour and words: the colour catches the eye, the words are what a screen reader reads.
    field->setStyleSheet(bad ? QStringLiteral("QLineEdit { background: #FFD0D0; }") : QString());
    note->setText(text);
    note->setAccessibleName(text);
    field->setAccessibleDescription(text);
}

std::optional<CTextRule> CFindBar::RuleOf(QLineEdit* field, QLabel* note)
{
    std::string error;
    // The log's text is Latin-1, a byte a character, as devices send it.
    std::optional<CTextRule> rule = CTextRule::Make(field->text().toLatin1().toStdString(), m_regex->isChecked(),
                                                    m_case->isChecked(), error);
    if (!rule)
        Mark(field, note, tr("Not a regular expression: %1").arg(QString::fromStdString(error)), true);
    return rule;
}

bool CFindBar::Find(bool forward)
{
    if (isHidden())
        StartFind();
    const std::optional<CTextRule> rule = RuleOf(m_find, m_findNote);
    if (!rule)
        return false;
    if (rule->IsEmpty()) {
        Mark(m_find, m_findNote, tr("Type what to find"), false);
        return false;
    }
    bool wrapped = false;
    const int row = FindLogRow(m_grid, *rule, m_grid.GetFocusCell().row, forward, wrapped);
    if (row < 0) {
        Mark(m_find, m_findNote, m_log.PassedRows() < m_log.ListedRows() ? tr("No match in the rows shown") : tr("No match"),
             true);
        return false;
    }
    GoToLogRow(m_grid, row);
    Mark(m_find, m_findNote, wrapped ? (forward ? tr("Passed the end, went on from the top") : tr("Passed the top, went on from the end"))
                                     : QString(),
         false);
    return true;
}

void CFindBar::ApplyFilter()
{
    m_typingPause.stop();
    const std::optional<CTextRule> rule = RuleOf(m_filter, m_filterNote);
    if (!rule)
        return;
    Mark(m_filter, m_filterNote, {}, false);
    RowFilter filter{*rule, m_errors->isChecked(), m_sent->isChecked(), m_received->isChecked(), std::nullopt};
    if (m_controller->isChecked())
        filter.side = RowDirection::Controller;
    else if (m_device->isChecked())
        filter.side = RowDirection::Device;
    m_log.SetFilter(std::move(filter));
    const CGridCellId focus = m_grid.GetFocusCell();
    if (m_grid.IsValid(focus) && m_grid.GetRowHeight(focus.row) > 0)
        m_grid.EnsureVisible(focus.row, focus.col);
    ShowCount();
}

void CFindBar::ClearFilter()
{
    const QSignalBlocker blocker(m_filter);
    m_filter->clear();
    for (QCheckBox* box : {m_errors, m_sent, m_received, m_controller, m_device}) {
        const QSignalBlocker boxBlocker(box);
        box->setChecked(false);
    }
    ApplyFilter();
}

QString CFindBar::CountText(const CResponseLog& log)
{
    return tr("%1 of %2 rows").arg(log.PassedRows()).arg(log.ListedRows());
}

QString CFindBar::FindNote() const { return m_findNote->text(); }
QString CFindBar::FilterNote() const { return m_filterNote->text(); }

void CFindBar::ShowCount()
{
    m_count->setText(CountText());
}

bool CFindBar::eventFilter(QObject* watched, QEvent* event)
{
    const bool find = watched == m_find;
    if (watched != m_find && watched != m_filter)
        return QWidget::eventFilter(watched, event);
    // Escape and Enter are the bar's: left to go on, the window would close or send a command.
    if (IsKey(event, Qt::Key_Escape) || IsKey(event, Qt::Key_Return)) {
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        if (IsKey(event, Qt::Key_Return)) {
            if (find)
                (static_cast<QKeyEvent*>(event)->modifiers() & Qt::ShiftModifier) ? FindPrevious() : FindNext();
            else
                ApplyFilter();
        } else if (find) {
            Close();
        } else {
            ClearFilter();
            Close();
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
