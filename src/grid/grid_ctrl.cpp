#include "grid/grid_ctrl.h"

#include "platform/device_context.h"
#include "platform/log_font.h"
#include "platform/message_box.h"
#include "platform/system_colours.h"

#include <QApplication>
#include <QCursor>
#include <QScrollBar>

#include <new>
#include <typeinfo>

CGridCtrl::CGridCtrl(int rows, int columns, int fixedRows, int fixedColumns, QWidget* parent)
    : QAbstractScrollArea(parent), m_cellClass(&CGridCell::classCGridCell)
{
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
    m_standIn.SetGrid(this);

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
    m_selection.Clear();
    m_previousSelection.Clear();
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
        // Cut first: the cells then go one by one from a selection that no longer holds them.
        m_selection.Clip(rows, m_columnCount);
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
    const bool plainCells = MakesPlainCells();
    try {
        while (m_rowCount < rows) {
            const int r = m_rowCount;
            StoreRow(MakeRow(r, plainCells, {}));
            PlaceRow(r, 0);
        }
    } catch (const std::bad_alloc&) {
        AfxMessageBox(kOutOfMemoryMessage);
    }

    UpdateScrollBars();
    InvalidateAll();
    return true;
}

CGridCtrl::Row CGridCtrl::MakeRow(int row, bool plainCells, std::span<const std::string_view> texts)
{
    Row cells = plainCells ? Row(m_columnCount, texts) : Row(m_columnCount);
    try {
        for (int c = 0; c < m_columnCount; ++c) {
            // A plain cell is only its format, the one CreateCell takes from the cell above.
            const unsigned format = !plainCells ? Row::kNoCell : row > 0 ? GetItemFormat(row - 1, c) : CGridCell::kInherit;
            if (format != Row::kNoCell)
                cells.At(c).format = format;
            else
                StoreNewCell(cells, row, c, CreateCell(row, c));
        }
    } catch (...) {
        for (int c = 0; c < cells.Columns(); ++c)
            delete cells.Object(c);
        throw;
    }
    return cells;
}

void CGridCtrl::StoreRow(Row&& cells)
{
    const auto height = static_cast<unsigned>(m_defaultCell.GetHeight());
    bool heightStored = false;
    bool rowStored = false;
    try {
        m_rowHeights.push_back(height);
        heightStored = true;
        m_rows.push_back(std::move(cells));
        rowStored = true;
        m_rowSums.PushBack(height);
    } catch (...) {
        if (rowStored) {
            cells = std::move(m_rows.back());
            m_rows.pop_back();
        }
        if (heightStored)
            m_rowHeights.pop_back();
        for (int c = 0; c < cells.Columns(); ++c)
            delete cells.Object(c);
        throw;
    }
    ++m_rowCount;
}

int CGridCtrl::AppendRow(std::span<const std::string_view> texts)
{
    if (texts.size() > static_cast<std::size_t>(m_columnCount))
        return -1;
    const int row = m_rowCount;
    ForgetTopLeft();
    try {
        if (MakesPlainCells()) {
            m_rowTexts.assign(texts.begin(), texts.end());
            for (std::string_view& text : m_rowTexts)
                text = text.substr(0, text.find('\0'));
            StoreRow(MakeRow(row, true, m_rowTexts));
            PlaceAppendedRow(row, m_rowTexts);
        } else {
            StoreRow(MakeRow(row, false, {}));
            PlaceRow(row, 0);
            SetRowTexts(row, texts);
        }
    } catch (const std::bad_alloc&) {
        AfxMessageBox(kOutOfMemoryMessage);
        return -1;
    }
    if (!m_layoutPosted) {
        m_layoutPosted = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_layoutPosted = false;
                UpdateScrollBars();
                InvalidateAll();
            },
            Qt::QueuedConnection);
    }
    return row;
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
        m_selection.Clip(m_rowCount, columns);
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
            row.Resize(columns);
        for (int r = 0; r < m_rowCount; ++r) {
            Row& row = m_rows[static_cast<std::size_t>(r)];
            for (int c = oldCount; c < columns; ++c) {
                StoreNewCell(row, r, c, CreateCell(r, c));
                PlaceRow(r, c);
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
    for (int r = std::min(old, fixedRows); r < std::max(old, fixedRows); ++r) {
        for (int c = 0; c < m_columnCount; ++c)
            QueueExtent(r, c);
    }
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
    for (int r = 0; r < m_rowCount; ++r) {
        for (int c = std::min(old, fixedColumns); c < std::max(old, fixedColumns); ++c)
            QueueExtent(r, c);
    }
    InvalidateAll();
    return true;
}

// A cell whose row (bit FIXEDROW) or column (bit FIXEDCOL) becomes fixed or stops being fixed.
// One that stays fixed through its other line keeps its colours; the others show the templates'.
void CGridCtrl::ChangeFixedBit(int row, int column, unsigned bit, bool fixing, bool fixedOtherwise)
{
    // A plain cell's fixed bits follow the counts, its colours are the templates' already.
    if (CellObject(row, column) == nullptr)
        return;
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
    m_rowBase = 0;
    m_focusCell = CGridCellId();
    m_plainFocus = CGridCellId();
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

// Bounded by the rows as stored rather than the counts: cells are made and counted in before
// the counts take in their row or column.
CGridCellBase* CGridCtrl::CellObject(int row, int column) const
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size() || column < 0)
        return nullptr;
    const Row& cells = m_rows[static_cast<std::size_t>(row)];
    return column < cells.Columns() ? cells.Object(column) : nullptr;
}

bool CGridCtrl::HoldsPlainCell(int row, int column) const
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size() || column < 0)
        return false;
    const Row& cells = m_rows[static_cast<std::size_t>(row)];
    return column < cells.Columns() && cells.Object(column) == nullptr && cells.At(column).format != Row::kNoCell;
}

const char* CGridCtrl::PlainText(int row, int column) const
{
    return HoldsPlainCell(row, column) ? m_rows[static_cast<std::size_t>(row)].Text(column) : nullptr;
}

unsigned CGridCtrl::PositionState(int row, int column) const
{
    unsigned state = 0;
    if (column < m_fixedColumnCount)
        state |= GRIDSTATE_FIXED | GRIDSTATE_FIXEDCOL;
    if (row < m_fixedRowCount)
        state |= GRIDSTATE_FIXED | GRIDSTATE_FIXEDROW;
    return state;
}

unsigned CGridCtrl::PlainState(int row, int column) const
{
    unsigned state = PositionState(row, column);
    if (m_plainFocus == CGridCellId(row, column))
        state |= GRIDSTATE_FOCUSED;
    if (m_selection.Contains(row, column))
        state |= GRIDSTATE_SELECTED;
    return state;
}

CGridCellBase* CGridCtrl::CellView(int row, int column) const
{
    // Measuring asks for every new cell: the row is looked up once.
    if (!IsValid(row, column) || static_cast<std::size_t>(row) >= m_rows.size())
        return nullptr;
    const Row& cells = m_rows[static_cast<std::size_t>(row)];
    if (column >= cells.Columns())
        return nullptr;
    if (CGridCellBase* object = cells.Object(column))
        return object;
    if (cells.At(column).format == Row::kNoCell)
        return nullptr;
    m_standIn.SetText(cells.Text(column));
    m_standIn.SetFormat(cells.At(column).format);
    m_standIn.SetState(PlainState(row, column));
    return &m_standIn;
}

CCellExtent& CGridCtrl::ExtentOf(int row, int column)
{
    if (CGridCellBase* object = CellObject(row, column))
        return object->m_slot.extent;
    return m_rows[static_cast<std::size_t>(row)].At(column).extent;
}

void CGridCtrl::StoreNewCell(Row& cells, int row, int column, CGridCellBase* cell)
{
    // Cells of the plain class with nothing but text and format are kept in the row's record;
    // the others keep their objects, as they may hold or do anything.
    auto* plain = cell != nullptr && typeid(*cell) == typeid(CGridCell) ? static_cast<CGridCell*>(cell) : nullptr;
    if (plain != nullptr && plain->IsPlainIn(this) && plain->GetState() == PositionState(row, column)
        && plain->OwnFormat() != Row::kNoCell) {
        try {
            cells.SetText(column, plain->GetText());
        } catch (...) {
            delete cell;
            throw;
        }
        Row::Record& record = cells.At(column);
        // The format as set, kInherit included: the cell goes on inheriting.
        record.format = plain->OwnFormat();
        record.extent = CCellExtent();
        delete cell;
        return;
    }
    try {
        cells.SetObject(column, cell);
    } catch (...) {
        delete cell;
        throw;
    }
}

CGridCellBase* CGridCtrl::Materialise(int row, int column)
{
    Row& cells = m_rows[static_cast<std::size_t>(row)];
    auto cell = std::make_unique<CGridCell>();
    cell->SetGrid(this);
    cell->SetCoords(row, column);
    cell->SetText(cells.Text(column));
    cell->SetFormat(cells.At(column).format);
    cell->SetState(PlainState(row, column) & ~static_cast<unsigned>(GRIDSTATE_SELECTED));
    cells.SetObject(column, cell.get());
    if (m_plainFocus == CGridCellId(row, column))
        m_plainFocus = CGridCellId();
    // Taken after SetObject, which may have moved the row's records.
    Row::Record& record = cells.At(column);
    cell->m_slot = CGridCellBase::Slot{StoredRow(row), column, record.extent};
    record.format = Row::kNoCell;
    return cell.release();
}

CGridCellBase* CGridCtrl::GetCell(int row, int column) const
{
    CGridCellBase* cell = CellView(row, column);
    if (cell != &m_standIn)
        return cell;
    // Asked for by pointer, a plain cell gets the object it keeps until its row or column goes.
    try {
        return const_cast<CGridCtrl*>(this)->Materialise(row, column);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool CGridCtrl::MakesPlainCells() const
{
    return m_cellClass == &CGridCell::classCGridCell && typeid(*this) == typeid(CGridCtrl);
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
    if (!IsValid(row, column))
        return;
    if (HoldsPlainCell(row, column)) {
        m_selection.Set(row, column, false);
        if (m_plainFocus == CGridCellId(row, column))
            m_plainFocus = CGridCellId();
        Row::Record& record = m_rows[static_cast<std::size_t>(row)].At(column);
        UncountCell(record.extent, column);
        record.format = Row::kNoCell;
        return;
    }
    SetItemState(row, column, 0);
    CGridCellBase* cell = CellObject(row, column);
    if (cell == nullptr)
        return;
    UncountCell(cell->m_slot.extent, column);
    m_rows[static_cast<std::size_t>(row)].SetObject(column, nullptr);
    delete cell;
}

bool CGridCtrl::SetItemText(int row, int column, const char* text)
{
    if (!IsValid(row, column))
        return false;
    if (HoldsPlainCell(row, column)) {
        m_rows[static_cast<std::size_t>(row)].SetText(column, text != nullptr ? text : "");
        QueueExtent(row, column);
    } else if (CGridCellBase* cell = CellObject(row, column)) {
        cell->SetText(text);
    } else {
        return false;
    }
    InvalidateCell(row, column);
    return true;
}

bool CGridCtrl::SetRowTexts(int row, std::span<const std::string_view> texts)
{
    if (row < 0 || row >= m_rowCount || texts.size() > static_cast<std::size_t>(m_columnCount))
        return false;
    Row& cells = m_rows[static_cast<std::size_t>(row)];
    m_rowTexts.resize(static_cast<std::size_t>(cells.Columns()));
    cells.AllTexts(m_rowTexts.data());
    bool everyCell = true;
    bool plainChanged = false;
    for (std::size_t c = 0; c < texts.size(); ++c) {
        const std::string_view text = texts[c].substr(0, texts[c].find('\0'));
        const int column = static_cast<int>(c);
        if (CGridCellBase* cell = cells.Object(column)) {
            cell->SetText(std::string(text).c_str());
        } else if (cells.At(column).format != Row::kNoCell) {
            m_rowTexts[c] = text;
            plainChanged = true;
        } else {
            everyCell = false;
        }
    }
    if (plainChanged) {
        cells.SetAllTexts(m_rowTexts.data());
        for (std::size_t c = 0; c < texts.size(); ++c) {
            const int column = static_cast<int>(c);
            if (cells.Object(column) == nullptr && cells.At(column).format != Row::kNoCell)
                QueueFoundExtent(row, column, cells.At(column).extent);
        }
    }
    InvalidateRow(row);
    return everyCell;
}

std::string CGridCtrl::GetItemText(int row, int column) const
{
    return std::string(GetItemTextView(row, column));
}

std::string_view CGridCtrl::GetItemTextView(int row, int column) const
{
    if (!IsValid(row, column))
        return {};
    const CGridCellBase* cell = CellObject(row, column);
    const char* text = cell != nullptr ? cell->GetText() : PlainText(row, column);
    return text != nullptr ? std::string_view(text) : std::string_view();
}

bool CGridCtrl::SetItemState(int row, int column, unsigned state)
{
    if (!IsValid(row, column))
        return false;
    if (HoldsPlainCell(row, column)) {
        m_selection.Set(row, column, (state & GRIDSTATE_SELECTED) != 0);
        const unsigned rest = state & ~static_cast<unsigned>(GRIDSTATE_SELECTED);
        const CGridCellId cell(row, column);
        // Bits that follow from where the cell is and one focused plain cell need no object.
        if ((rest & ~static_cast<unsigned>(GRIDSTATE_FOCUSED)) == PositionState(row, column)) {
            const bool focused = (rest & GRIDSTATE_FOCUSED) != 0;
            if (!focused && m_plainFocus == cell)
                m_plainFocus = CGridCellId();
            if (!focused || m_plainFocus == cell)
                return true;
            if (!IsValid(m_plainFocus)) {
                m_plainFocus = cell;
                return true;
            }
        }
        try {
            Materialise(row, column);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    CGridCellBase* cell = CellObject(row, column);
    if (cell == nullptr)
        return false;
    // A cell of a class that keeps its state elsewhere still shows in the selection.
    m_selection.Set(row, column, (state & GRIDSTATE_SELECTED) != 0);
    cell->SetState(state);
    return true;
}

unsigned CGridCtrl::GetItemState(int row, int column) const
{
    if (!IsValid(row, column))
        return 0;
    if (const CGridCellBase* cell = CellObject(row, column))
        return cell->GetState();
    return HoldsPlainCell(row, column) ? PlainState(row, column) : 0;
}

unsigned CGridCtrl::GetItemFormat(int row, int column) const
{
    // Asked for every new cell (it takes the format of the cell above): no stand-in for this.
    if (IsValid(row, column) && HoldsPlainCell(row, column)) {
        const unsigned format = m_rows[static_cast<std::size_t>(row)].At(column).format;
        if (format != CGridCell::kInherit)
            return format;
        const unsigned state = PositionState(row, column);
        return GetDefaultCell((state & GRIDSTATE_FIXEDROW) != 0, (state & GRIDSTATE_FIXEDCOL) != 0)->GetFormat();
    }
    const CGridCellBase* cell = CellView(row, column);
    return cell != nullptr ? cell->GetFormat() : 0;
}

bool CGridCtrl::SetItemBackColour(int row, int column, COLORREF colour)
{
    if (IsValid(row, column) && HoldsPlainCell(row, column) && colour == CLR_DEFAULT)
        return true;
    CGridCellBase* cell = GetCell(row, column);
    if (cell == nullptr)
        return false;
    cell->SetBackColour(colour);
    return true;
}

bool CGridCtrl::SetItemTextColour(int row, int column, COLORREF colour)
{
    if (IsValid(row, column) && HoldsPlainCell(row, column) && colour == CLR_DEFAULT)
        return true;
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
