#include "grid/reference/grid_ctrl.h"

#include "platform/device_context.h"
#include "platform/log_font.h"
#include "platform/message_box.h"
#include "platform/ole_init.h"
#include "platform/system_colours.h"
#include "platform/window_class_registry.h"

#include <QApplication>
#include <QCursor>
#include <QScrollBar>

#include <new>

namespace reference {

CGridCtrl::CGridCtrl(int rows, int columns, int fixedRows, int fixedColumns, QWidget* parent)
    : QAbstractScrollArea(parent), m_cellClass(&CGridCell::classCGridCell)
{
    RegisterGridWindowClass();
    if (!IsAppOleInitialised()) {
        if (OleInitialize()) {
            m_oleInitialised = true;
            SetAppOleInitialised(true);
        } else {
            AfxMessageBox(kOleFailedMessage);
        }
    }
    ReadSystemColours();
    m_wheelScrollLines = QApplication::wheelScrollLines();
    CGridDefaultCell* templates[] = {&m_defaultCell, &m_defaultFixedColumnCell, &m_defaultFixedRowCell,
                                     &m_defaultCornerCell};
    for (CGridDefaultCell* cell : templates) {
        cell->SetGrid(this);
        cell->SetTextColour(m_sysWindowTextColour);
        cell->SetBackColour(cell == &m_defaultCell ? m_sysWindowColour : m_sysFaceColour);
    }
    m_emptyAreaColour = m_sysShadowColour;

    // The window's part: a sunken client edge, bars that show only when asked, and a viewport
    // that the grid paints whole.
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    viewport()->setMouseTracking(true);
    m_cursorPos = [] { return QCursor::pos(); };
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { OnScrollBarAction(SB_HORZ, action); });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { OnScrollBarAction(SB_VERT, action); });

    SetRowCount(rows);
    SetColumnCount(columns);
    SetFixedRowCount(fixedRows);
    SetFixedColumnCount(fixedColumns);
    m_selectedCells.clear();
    m_previousSelectedCells.clear();
    // A Qt widget is its own window from the start, so it is taken up at once.
    OnAttach();
}

CGridCtrl::~CGridCtrl()
{
    // Emptied on the way out, the grid would tell an owner that may be half destroyed itself
    // (a parent deletes its children from its own destructor).
    blockSignals(true);
    if (m_dropTarget.IsRegistered())
        m_dropTarget.Revoke();
    KillAutoScrollTimer();
    DeleteAllItems();
    if (m_titleTip.IsCreated())
        m_titleTip.DestroyWindow();
    if (m_oleInitialised) {
        OleUninitialize();
        SetAppOleInitialised(false);
    }
}

bool CGridCtrl::RegisterGridWindowClass()
{
    if (IsWindowClassRegistered(kWindowClassName))
        return true;
    if (!RegisterWindowClass(kWindowClassName))
        throw CResourceException("the grid's window class could not be registered");
    return true;
}

bool CGridCtrl::OnAttach()
{
    static bool s_attaching = false;
    if (s_attaching)
        return false;
    s_attaching = true;
    m_dropTarget.Register(this);
    m_titleTip.SetParent(viewport());
    s_attaching = false;
    return true;
}

void CGridCtrl::ReadSystemColours()
{
    const QPalette& pal = palette();
    m_sysWindowTextColour = GetSysColor(COLOR_WINDOWTEXT, pal);
    m_sysWindowColour = GetSysColor(COLOR_WINDOW, pal);
    m_sysFaceColour = GetSysColor(COLOR_BTNFACE, pal);
    m_sysShadowColour = GetSysColor(COLOR_BTNSHADOW, pal);
}

bool CGridCtrl::SetRowCount(int rows)
{
    if (rows == m_rowCount)
        return true;
    if (rows < 0)
        return false;
    ForgetTopLeft();
    if (rows < m_fixedRowCount)
        m_fixedRowCount = rows;
    if (m_focusCell.row >= rows)
        SetFocusCell(-1, -1);

    if (rows < m_rowCount) {
        for (int r = rows; r < m_rowCount; ++r) {
            for (int c = 0; c < m_columnCount; ++c)
                DestroyCell(r, c);
        }
        m_rowCount = rows;
        m_rows.resize(static_cast<std::size_t>(rows));
        m_rowHeights.resize(static_cast<std::size_t>(rows));
        m_rowSums.Truncate(static_cast<std::size_t>(rows));
    }

    // Rows are added whole, one at a time, so that running out of memory leaves every finished
    // row in place and the arrays exactly as long as the row count.
    try {
        while (m_rowCount < rows) {
            const int r = m_rowCount;
            const auto height = static_cast<unsigned>(m_defaultCell.GetHeight());
            Row row(static_cast<std::size_t>(m_columnCount), nullptr);
            bool heightStored = false;
            bool rowStored = false;
            try {
                for (int c = 0; c < m_columnCount; ++c)
                    row[static_cast<std::size_t>(c)] = CreateCell(r, c);
                m_rowHeights.push_back(height);
                heightStored = true;
                m_rows.push_back(std::move(row));
                rowStored = true;
                m_rowSums.PushBack(height);
            } catch (...) {
                if (rowStored) {
                    row = std::move(m_rows.back());
                    m_rows.pop_back();
                }
                if (heightStored)
                    m_rowHeights.pop_back();
                for (CGridCellBase* cell : row)
                    delete cell;
                throw;
            }
            ++m_rowCount;
            for (int c = 0; c < m_columnCount; ++c) {
                if (CGridCellBase* cell = m_rows.back()[static_cast<std::size_t>(c)])
                    PlaceCell(cell, r, c);
            }
        }
    } catch (const std::bad_alloc&) {
        AfxMessageBox(kOutOfMemoryMessage);
    }

    UpdateScrollBars();
    InvalidateAll();
    return true;
}

bool CGridCtrl::SetColumnCount(int columns)
{
    if (columns == m_columnCount)
        return true;
    if (columns < 0)
        return false;
    ForgetTopLeft();
    if (columns < m_fixedColumnCount)
        m_fixedColumnCount = columns;
    if (m_focusCell.col >= columns)
        SetFocusCell(-1, -1);

    const int oldCount = m_columnCount;
    if (columns < oldCount) {
        for (int r = 0; r < m_rowCount; ++r) {
            for (int c = columns; c < oldCount; ++c)
                DestroyCell(r, c);
        }
    }

    bool ok = true;
    int newCount = columns;
    try {
        const auto n = static_cast<std::size_t>(columns);
        if (columns < oldCount) {
            m_columnWidths.resize(n);
            m_columnSums.Truncate(n);
            m_columnTallies.resize(n);
        } else {
            const auto width = static_cast<unsigned>(m_defaultFixedColumnCell.GetWidth());
            while (m_columnWidths.size() < n) {
                m_columnTallies.emplace_back();
                m_columnWidths.push_back(width);
                m_columnSums.PushBack(width);
            }
        }
        for (Row& row : m_rows)
            row.resize(n, nullptr);
        for (int r = 0; r < m_rowCount; ++r) {
            for (int c = oldCount; c < columns; ++c) {
                CGridCellBase* cell = CreateCell(r, c);
                m_rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = cell;
                if (cell != nullptr)
                    PlaceCell(cell, r, c);
            }
        }
    } catch (const std::bad_alloc&) {
        AfxMessageBox(kOutOfMemoryMessage);
        ok = false;
        // Columns whose width could not be stored do not exist; slots not filled hold no cell.
        m_columnTallies.resize(m_columnWidths.size());
        m_columnSums.Truncate(m_columnWidths.size());
        newCount = static_cast<int>(m_columnWidths.size());
    }

    m_columnCount = newCount;
    UpdateScrollBars();
    InvalidateAll();
    return ok;
}

bool CGridCtrl::SetFixedRowCount(int fixedRows)
{
    if (fixedRows == m_fixedRowCount)
        return true;
    if (fixedRows < 0)
        return false;
    ClearSelection();
    ForgetTopLeft();
    if (m_rowCount < fixedRows)
        SetRowCount(fixedRows);
    // Rows that could not be made cannot be fixed.
    fixedRows = std::min(fixedRows, m_rowCount);
    if (m_focusCell.row < fixedRows)
        SetFocusCell(-1, -1);

    const int old = m_fixedRowCount;
    for (int r = std::min(old, fixedRows); r < std::max(old, fixedRows); ++r) {
        for (int c = 0; c < m_columnCount; ++c)
            ChangeFixedBit(r, c, GRIDSTATE_FIXEDROW, fixedRows > old, c < m_fixedColumnCount);
    }
    m_fixedRowCount = fixedRows;
    InvalidateAll();
    return true;
}

bool CGridCtrl::SetFixedColumnCount(int fixedColumns)
{
    if (fixedColumns == m_fixedColumnCount)
        return true;
    if (fixedColumns < 0)
        return false;
    if (m_columnCount < fixedColumns && !SetColumnCount(fixedColumns))
        return false;
    if (m_focusCell.col < fixedColumns)
        SetFocusCell(-1, -1);
    ClearSelection();
    ForgetTopLeft();

    const int old = m_fixedColumnCount;
    for (int r = 0; r < m_rowCount; ++r) {
        for (int c = std::min(old, fixedColumns); c < std::max(old, fixedColumns); ++c)
            ChangeFixedBit(r, c, GRIDSTATE_FIXEDCOL, fixedColumns > old, r < m_fixedRowCount);
    }
    m_fixedColumnCount = fixedColumns;
    InvalidateAll();
    return true;
}

// A cell whose row (bit FIXEDROW) or column (bit FIXEDCOL) becomes fixed or stops being fixed.
// One that stays fixed through its other line keeps its colours; the others show the templates'.
void CGridCtrl::ChangeFixedBit(int row, int column, unsigned bit, bool fixing, bool fixedOtherwise)
{
    const unsigned state = GetItemState(row, column);
    const bool stillFixed = !fixing && fixedOtherwise;
    if (fixing)
        SetItemState(row, column, state | GRIDSTATE_FIXED | bit);
    else if (stillFixed)
        SetItemState(row, column, state & ~bit);
    else
        SetItemState(row, column, state & ~(GRIDSTATE_FIXED | bit));
    if (!stillFixed) {
        SetItemBackColour(row, column, CLR_DEFAULT);
        SetItemTextColour(row, column, CLR_DEFAULT);
    }
}

bool CGridCtrl::DeleteAllItems()
{
    ClearSelection();
    m_columnWidths.clear();
    m_rowHeights.clear();
    for (int r = 0; r < m_rowCount; ++r) {
        for (int c = 0; c < m_columnCount; ++c)
            DestroyCell(r, c);
    }
    m_rows.clear();
    m_focusCell = CGridCellId();
    m_rowCount = m_fixedRowCount = m_columnCount = m_fixedColumnCount = 0;
    m_rowSums.Clear();
    m_columnSums.Clear();
    m_columnTallies.clear();
    m_extentQueue.clear();
    ForgetTopLeft();
    UpdateScrollBars();
    return true;
}

bool CGridCtrl::IsValid(int row, int column) const
{
    return row >= 0 && row < m_rowCount && column >= 0 && column < m_columnCount;
}

bool CGridCtrl::IsValid(const CGridCellRange& range) const
{
    return range.minRow >= 0 && range.minCol >= 0 && range.maxRow >= 0 && range.maxCol >= 0
           && range.maxRow < m_rowCount && range.maxCol < m_columnCount && range.minRow <= range.maxRow
           && range.minCol <= range.maxCol;
}

CGridCellBase* CGridCtrl::GetCell(int row, int column) const
{
    if (!IsValid(row, column))
        return nullptr;
    const Row& cells = m_rows[static_cast<std::size_t>(row)];
    // A row whose resize ran out of memory is shorter than the column count.
    return static_cast<std::size_t>(column) < cells.size() ? cells[static_cast<std::size_t>(column)] : nullptr;
}

CGridCellBase* CGridCtrl::CreateCell(int row, int column)
{
    if (m_cellClass == nullptr || !m_cellClass->IsDerivedFrom(&CGridCellBase::classCGridCellBase))
        return nullptr;
    CObject* object = m_cellClass->CreateObject();
    if (object == nullptr)
        return nullptr;
    auto* cell = static_cast<CGridCellBase*>(object);
    cell->SetGrid(this);
    cell->SetCoords(row, column);
    if (row > 0 && column >= 0 && column < m_columnCount)
        cell->SetFormat(GetItemFormat(row - 1, column));
    if (column < m_fixedColumnCount)
        cell->SetState(cell->GetState() | GRIDSTATE_FIXED | GRIDSTATE_FIXEDCOL);
    if (row < m_fixedRowCount)
        cell->SetState(cell->GetState() | GRIDSTATE_FIXED | GRIDSTATE_FIXEDROW);
    return cell;
}

void CGridCtrl::DestroyCell(int row, int column)
{
    SetItemState(row, column, 0);
    CGridCellBase* cell = GetCell(row, column);
    if (cell == nullptr)
        return;
    UncountCell(cell);
    m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = nullptr;
    delete cell;
}

bool CGridCtrl::SetItemText(int row, int column, const char* text)
{
    CGridCellBase* cell = GetCell(row, column);
    if (cell == nullptr)
        return false;
    cell->SetText(text);
    InvalidateCell(row, column);
    return true;
}

std::string CGridCtrl::GetItemText(int row, int column) const
{
    const CGridCellBase* cell = GetCell(row, column);
    const char* text = cell != nullptr ? cell->GetText() : nullptr;
    return text != nullptr ? std::string(text) : std::string();
}

bool CGridCtrl::SetItemState(int row, int column, unsigned state)
{
    CGridCellBase* cell = GetCell(row, column);
    if (cell == nullptr)
        return false;
    const bool wasSelected = (cell->GetState() & GRIDSTATE_SELECTED) != 0;
    if (wasSelected && (state & GRIDSTATE_SELECTED) == 0)
        m_selectedCells.erase(CGridCellId(row, column));
    else if (!wasSelected && (state & GRIDSTATE_SELECTED) != 0)
        m_selectedCells.insert(CGridCellId(row, column));
    cell->SetState(state);
    return true;
}

unsigned CGridCtrl::GetItemState(int row, int column) const
{
    const CGridCellBase* cell = GetCell(row, column);
    return cell != nullptr ? cell->GetState() : 0;
}

unsigned CGridCtrl::GetItemFormat(int row, int column) const
{
    const CGridCellBase* cell = GetCell(row, column);
    return cell != nullptr ? cell->GetFormat() : 0;
}

bool CGridCtrl::SetItemBackColour(int row, int column, COLORREF colour)
{
    CGridCellBase* cell = GetCell(row, column);
    if (cell == nullptr)
        return false;
    cell->SetBackColour(colour);
    return true;
}

bool CGridCtrl::SetItemTextColour(int row, int column, COLORREF colour)
{
    CGridCellBase* cell = GetCell(row, column);
    if (cell == nullptr)
        return false;
    cell->SetTextColour(colour);
    return true;
}

CGridDefaultCell* CGridCtrl::GetDefaultCell(bool fixedRow, bool fixedColumn) const
{
    auto* self = const_cast<CGridCtrl*>(this);
    if (fixedRow && fixedColumn)
        return &self->m_defaultCornerCell;
    if (fixedRow)
        return &self->m_defaultFixedRowCell;
    if (fixedColumn)
        return &self->m_defaultFixedColumnCell;
    return &self->m_defaultCell;
}

const CFont* CGridCtrl::GetFont() const
{
    const CFont* font = m_defaultCell.GetFontObject();
    return font != nullptr && font->GetSafeHandle() != nullptr ? font : nullptr;
}

void CGridCtrl::OnSetFont()
{
    const LOGFONT lf = FromQFont(font());
    for (CGridDefaultCell* cell : {&m_defaultCell, &m_defaultFixedRowCell, &m_defaultFixedColumnCell,
                                   &m_defaultCornerCell})
        cell->SetFont(&lf);
    InvalidateAll();
}

std::unique_ptr<CDC> CGridCtrl::GetDC() { return std::make_unique<CDC>(font()); }

void CGridCtrl::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        OnSetFont();
    else if (event->type() == QEvent::PaletteChange)
        OnSysColorChange();
}

} // namespace reference
