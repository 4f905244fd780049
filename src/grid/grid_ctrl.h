#pragma once

#include "grid/cell_id.h"
#include "grid/cell_selection.h"
#include "grid/column_extent_tally.h"
#include "grid/grid_drop_target.h"
#include "grid/grid_default_cell.h"
#include "grid/prefix_sums.h"
#include "grid/title_tip.h"
#include "platform/colour.h"
#include "platform/geometry.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>

#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CDC;
class COleDataSource;
class QAction;
class QMimeData;
struct CRuntimeClass;

class CGridCtrl;

// What the grid tells its owner: which grid (and its control id), the notification code and the
// cell concerned.
struct CGridNotify {
    CGridCtrl* grid = nullptr;
    int controlId = 0;
    int code = 0;
    int row = -1;
    int column = -1;
};

// Notification codes.
enum GridNotifyCode : int {
    NM_CLICK = -2,
    NM_DBLCLK = -3,
    NM_RCLICK = -5,
    LVN_ITEMCHANGING = -100,
    LVN_ITEMCHANGED = -101,
};

// Edit commands.
enum GridCommandId : int {
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_SELECT_ALL = 57642,
};

// What a press of the left button started.
enum GridMouseMode : int {
    MouseIdle = 0,
    MouseSelectAll = 1,     // a corner header cell: moving selects everything
    MouseSelectColumns = 2, // a header cell of a fixed row: moving selects whole columns
    MouseSelectRows = 3,    // a header cell of a fixed column: moving selects whole rows
    MouseSelectCells = 4,   // a scrolled cell: moving selects a block
};

// The platform timer id of the auto-scroll timer.
inline constexpr int kAutoScrollTimerId = 0x201;

// Scroll bars and scroll request codes.
enum ScrollBarId : int { SB_HORZ = 0, SB_VERT = 1, SB_BOTH = 3 };
enum ScrollCode : int {
    SB_LINEUP = 0,
    SB_LINELEFT = 0,
    SB_LINEDOWN = 1,
    SB_LINERIGHT = 1,
    SB_PAGEUP = 2,
    SB_PAGELEFT = 2,
    SB_PAGEDOWN = 3,
    SB_PAGERIGHT = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_LEFT = 6,
    SB_BOTTOM = 7,
    SB_RIGHT = 7,
    SB_ENDSCROLL = 8,
};

// A general-purpose grid of cells: fixed header rows and columns that stay in place, scrolled
// cells, per-row heights and per-column widths, four template cells that supply what cells leave
// unset. The viewport is the grid's client area. Cell rectangles are inclusive.
//
// Sizes and column widths are indexed (running sums, per-column width tallies, cached cell
// extents) so that appending a row and sizing the columns to their contents cost the same at a
// million rows as at ten.
class CGridCtrl : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit CGridCtrl(int rows = 0, int columns = 0, int fixedRows = 0, int fixedColumns = 0,
                       QWidget* parent = nullptr);
    ~CGridCtrl() override;

    // The id the owner knows the grid by, sent with every notification and command.
    void SetDlgCtrlID(int id) { m_controlId = id; }
    int GetDlgCtrlID() const { return m_controlId; }

    // Dimensions
    bool SetRowCount(int rows);
    bool SetColumnCount(int columns);
    bool SetFixedRowCount(int fixedRows);
    bool SetFixedColumnCount(int fixedColumns);
    int GetRowCount() const { return m_rowCount; }
    int GetColumnCount() const { return m_columnCount; }
    int GetFixedRowCount() const { return m_fixedRowCount; }
    int GetFixedColumnCount() const { return m_fixedColumnCount; }
    bool DeleteAllItems();
    // Removes `count` scrolled rows from `first` on; the rows below move up, keeping their
    // selection and focus. Fixed rows are not removed this way.
    bool DeleteRows(int first, int count);

    // Cells
    bool IsValid(int row, int column) const;
    bool IsValid(const CGridCellId& cell) const { return IsValid(cell.row, cell.col); }
    bool IsValid(const CGridCellRange& range) const;
    CGridCellBase* GetCell(int row, int column) const;
    bool SetItemText(int row, int column, const char* text);
    bool SetItemText(int row, int column, const std::string& text) { return SetItemText(row, column, text.c_str()); }
    // The texts of a row's first texts.size() cells at once, as SetItemText for each but with one
    // rebuild of the row's storage and one repaint request for the row. A text ends at its first
    // NUL, as a C string would. False when the row or a column is not valid or a position holds no
    // cell (the others still take their texts).
    bool SetRowTexts(int row, std::span<const std::string_view> texts);
    // A new last row holding the texts in its first texts.size() cells (each ending at its first
    // NUL), made once with them: the row SetRowCount would add, with SetRowTexts' texts. Its index,
    // or -1 when there are more texts than columns or no memory. The scroll bars and the repaint
    // follow once per run of appended rows, when the event loop next runs (or at the owner's own
    // UpdateScrollBars and InvalidateAll), so a batch of rows costs one layout.
    int AppendRow(std::span<const std::string_view> texts);
    std::string GetItemText(int row, int column) const;
    // The same text without a copy, for reading every row of a long grid; good until the cell
    // changes or goes.
    std::string_view GetItemTextView(int row, int column) const;
    bool SetItemState(int row, int column, unsigned state);
    unsigned GetItemState(int row, int column) const;
    unsigned GetItemFormat(int row, int column) const;
    bool SetItemBackColour(int row, int column, COLORREF colour);
    bool SetItemTextColour(int row, int column, COLORREF colour);
    CGridDefaultCell* GetDefaultCell(bool fixedRow, bool fixedColumn) const;
    // The class every new cell is made of; CreateCell refuses one that is not a cell class.
    void SetCellClass(const CRuntimeClass* cellClass) { m_cellClass = cellClass; }
    const CRuntimeClass* GetCellClass() const { return m_cellClass; }

    // Owner's switches
    void SetEditable(bool editable) { m_editable = editable; }
    bool IsEditable() const { return m_editable; }
    void EnableRowResize(bool enable) { m_rowResizeEnabled = enable; }
    void EnableColumnResize(bool enable) { m_columnResizeEnabled = enable; }
    bool IsRowResizeEnabled() const { return m_rowResizeEnabled; }
    bool IsColumnResizeEnabled() const { return m_columnResizeEnabled; }
    void SetTrackFocusHeaders(bool track) { m_trackFocusHeaders = track; }
    bool GetTrackFocusHeaders() const { return m_trackFocusHeaders; }

    // The font of the normal template; QWidget::setFont gives all four templates a new font.
    const CFont* GetFont() const;

    // Colours
    COLORREF GetGridLineColour() const { return m_gridLineColour; }
    void SetGridLineColour(COLORREF colour) { m_gridLineColour = colour; }
    COLORREF GetEmptyAreaColour() const { return m_emptyAreaColour; }
    void SetEmptyAreaColour(COLORREF colour) { m_emptyAreaColour = colour; }

    // Sizes
    int GetRowHeight(int row) const;
    int GetColumnWidth(int column) const;
    bool SetRowHeight(int row, int height);
    bool SetColumnWidth(int column, int width);
    // Gives every scrolled row the height `height(row)` answers, in one pass over the rows: a
    // height of 0 hides a row (it is neither drawn, reached by keys nor copied), which is how an
    // owner shows a subset of a long grid without moving its cells. Negative answers keep the row's height.
    void SetScrolledRowHeights(const std::function<int(int row)>& height);
    int GetFixedRowHeight() const;
    int GetFixedColumnWidth() const;
    int GetTotalHeight() const;
    int GetTotalWidth() const;

    // Geometry, in client pixels
    CGridCellId GetTopLeftScrolledCell();
    // The view starts at a whole column, except at the far right when the last column is wider
    // than the view: scrolled on into it, its start moves left by this many pixels, so that its
    // end can be reached. 0 everywhere else.
    int GetScrolledColumnShift();
    CGridCellRange GetVisibleScrolledRange(CRect* rect = nullptr);
    bool GetCellOrigin(int row, int column, CPoint* point);
    bool GetCellRect(int row, int column, CRect* rect);
    bool GetTextRect(int row, int column, CRect* rect);
    CGridCellId GetCellFromPoint(CPoint point, bool allowFixed = true);
    CPoint GetCellOffset(int row, int column, CPoint point);
    bool IsCellVisible(int row, int column);
    void EnsureVisible(int row, int column);
    bool InvalidateCell(int row, int column);
    void InvalidateAll();
    CRect GetClientRect() const;

    // Scrolling
    int GetScrollPosition(int bar, bool tracking = false) const;
    int SetScrollPosition(int bar, int position, bool redraw = true);
    void ShowScrollBars(int bar, bool show);
    unsigned GetScrollBarsShown() const { return m_scrollBarsShown; }
    int GetScrollMax(int bar) const { return bar == SB_HORZ ? m_hScrollMax : m_vScrollMax; }
    int GetScrollPage(int bar) const { return m_scrollPage[bar == SB_HORZ ? 0 : 1]; }
    void UpdateScrollBars();
    int GetWheelScrollLines() const { return m_wheelScrollLines; }
    void SetWheelScrollLines(int lines) { m_wheelScrollLines = lines; }

    // Sizing to content
    bool AutoSizeColumn(int column, int style = 0, bool updateBars = true);
    void AutoSizeColumns(int style = 0);
    int GetAutoSizeStyle() const { return m_autoSizeStyle; }
    void SetAutoSizeStyle(int style) { m_autoSizeStyle = style; }

    // Focus and selection
    CGridCellId SetFocusCell(int row, int column);
    CGridCellId SetFocusCell(const CGridCellId& cell) { return SetFocusCell(cell.row, cell.col); }
    CGridCellId GetFocusCell() const { return m_focusCell; }
    void SelectRange(int minRow, int minColumn, int maxRow, int maxColumn, bool repaintNow, bool select);
    void ClearSelection();
    void SelectAll();
    void SelectColumnSpan(const CGridCellId& cell, bool repaintNow, bool select);
    void SelectRowSpan(const CGridCellId& cell, bool repaintNow, bool select);
    void SelectCellSpan(const CGridCellId& cell, bool repaintNow, bool select);
    bool IsCellSelected(int row, int column) const;
    CGridCellRange GetSelectedCellRange() const;
    void SetSelectionStartCell(const CGridCellId& cell) { m_selectionStartCell = cell; }
    CGridCellId GetSelectionStartCell() const { return m_selectionStartCell; }

    // Clipboard and edit commands. The copy is the bounding block of the selection as text:
    // TAB between cells, LF between rows, one NUL at the end; cells inside the block that are not
    // selected give empty fields, hidden rows and columns are left out.
    virtual std::unique_ptr<COleDataSource> CreateCopyData();
    virtual void OnEditCopy();
    // The grid cannot be edited: cut and paste change nothing and are never enabled.
    virtual void OnEditCut();
    virtual void OnEditPaste();
    bool IsEditCopyEnabled() const;
    void OnUpdateEditCopy(QAction* action) const;
    void OnUpdateEditCut(QAction* action) const;
    void OnUpdateEditPaste(QAction* action) const;
    void OnUpdateEditSelectAll(QAction* action) const;
    // Runs one of the edit commands; false for any other id.
    bool OnCommand(int id);

    // The colours handed to the title tip over cut-off texts (CLR_DEFAULT: the tip's own).
    COLORREF GetTitleTipTextColour() const { return m_titleTipTextColour; }
    COLORREF GetTitleTipBackColour() const { return m_titleTipBackColour; }

signals:
    void GridNotify(const CGridNotify& notify);
    // After every left button release that followed a press on a cell, delivered queued: the
    // control id in the low word (high word 0) and the grid.
    void GridCommand(int wParam, CGridCtrl* grid);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The right button is the grid's own (NM_RCLICK); only the keyboard's menu key goes on.
    void contextMenuEvent(QContextMenuEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    // The grid keeps Tab and Shift+Tab while Ctrl is up.
    bool focusNextPrevChild(bool next) override;

    void OnSysColorChange();
    void OnSize();

    // Cells are made and destroyed through these; a derived grid may make its own kind.
    virtual CGridCellBase* CreateCell(int row, int column);
    virtual void DestroyCell(int row, int column);

    // Drawing
    virtual void OnDraw(CDC* dc);
    void FillBackground(CDC* dc);
    bool DrawCellNow(int row, int column, CDC* dc = nullptr);
    // A measuring context with the window's font. Qt paints only inside paint events, so
    // drawing code that gets one of these invalidates instead of drawing.
    virtual std::unique_ptr<CDC> GetDC();

    // The area invalidated since the last paint (the platform's update region), and forgetting it.
    bool GetUpdateRect(CRect* rect) const;
    void ValidateAll();

    // Scroll requests, as the bars and the keys make them.
    void OnHScroll(int code);
    void OnVScroll(int code);
    // A wheel turn by delta (120 per notch, positive away from the user).
    void OnMouseWheel(int delta);

    // Extends the selection to the cell as the mouse mode says and moves the focus there.
    void ExtendSelection(const CGridCellId& cell);
    // Emits GridNotify, synchronously; the owner's answer is not used.
    int NotifyParent(int row, int column, int code);

    // Drags handed over by the drop target: all refused, nothing looked at or changed.
    virtual unsigned OnDragEnter(const QMimeData* data, unsigned keyState, CPoint point);
    virtual unsigned OnDragOver(const QMimeData* data, unsigned keyState, CPoint point);
    virtual bool OnDrop(const QMimeData* data, unsigned dropEffect, CPoint point);
    virtual void OnDragLeave();

    // Mouse and keyboard; flags are MK_ values, points in client pixels. Qt's events arrive here.
    void OnLButtonDown(unsigned flags, CPoint point);
    void OnMouseMove(unsigned flags, CPoint point);
    void OnLButtonUp(unsigned flags, CPoint point);
    void OnLButtonDblClk(unsigned flags, CPoint point);
    void OnRButtonUp(unsigned flags, CPoint point);
    void OnTimer(int id);
    // Another window took the mouse (null: nobody holds it now).
    void OnCaptureChanged(QWidget* gaining);
    // Sets the cursor for the point: the cell's own, else the arrow.
    bool OnSetCursor(CPoint point);
    // Answers whether the grid used the key; false leaves it to the platform (the parent).
    bool OnKeyDown(unsigned key);
    void OnChar(unsigned character);
    virtual void OnFixedRowClick(const CGridCellId& cell);
    virtual void OnFixedColumnClick(const CGridCellId& cell);

private:
    friend class CGridCellBase;
    // The drop target hands its drags to the On* handlers above.
    friend class CGridOleDropTarget;
    // Tests reach the handlers and the state behind them through this (tests/support).
    friend struct GridTestAccess;

    CGridTitleTip& GetTitleTip() { return m_titleTip; }
    int GetMouseMode() const { return m_mouseMode; }
    bool HasCapture() const;
    // The auto-scroll timer's id while it runs, else 0.
    int GetTimerId() const { return m_timerId; }
    // Where the auto-scroll timer reads the pointer, in screen coordinates (QCursor::pos by default).
    void SetCursorPositionSource(std::function<QPoint()> source) { m_cursorPos = std::move(source); }

    // Checks every index against the plain model: running sums against the sizes, each column's
    // width tally against fresh measurements of its cells. Answers "" when all agree, else the
    // first difference.
    std::string CheckIndexConsistency();

    // The companions' part of taking up the window: the drop target registers the grid, the
    // title tip takes the viewport as its parent. False when called from within itself.
    bool OnAttach();

    using Row = CGridRowCells;

    // Cell storage. A position holds a cell object, a plain cell kept in its row's record (text
    // and format; its state follows from where it is, the focus and the selection), or no cell.
    CGridCellBase* CellObject(int row, int column) const;
    bool HoldsPlainCell(int row, int column) const;
    bool HasCell(int row, int column) const { return CellObject(row, column) != nullptr || HoldsPlainCell(row, column); }
    // A cell to read, measure or draw: the object, else the plain cell loaded into a stand-in
    // that is good until the next call; null where there is no cell.
    CGridCellBase* CellView(int row, int column) const;
    // A plain cell's text, or null.
    const char* PlainText(int row, int column) const;
    unsigned PositionState(int row, int column) const;
    unsigned PlainState(int row, int column) const;
    // Gives a plain cell its object, which holds everything about it from then on.
    CGridCellBase* Materialise(int row, int column);
    // Keeps a cell just made for the position: plain ones in the row's record, others as objects.
    void StoreNewCell(Row& cells, int row, int column, CGridCellBase* cell);
    // A new row for index row: plain cells holding the texts, or cells made by CreateCell.
    Row MakeRow(int row, bool plainCells, std::span<const std::string_view> texts);
    // Keeps the row at the end, with the default height; on failure the arrays are as before.
    void StoreRow(Row&& cells);
    CCellExtent& ExtentOf(int row, int column);
    // A cell object's row from its slot, and the reverse; -1 for a cell not placed.
    int PlacedRow(const CGridCellBase::Slot& slot) const { return slot.storedRow < 0 ? -1 : slot.storedRow - m_rowBase; }
    int StoredRow(int row) const { return row + m_rowBase; }
    // Moves the stored rows of a row's cell objects by delta.
    void ShiftStoredRows(int row, int delta);

    void InvalidateRect(const CRect& rect);
    // Asks for the row's band across the view to be repainted, when it is in view.
    void InvalidateRow(int row);
    // Whether the grid's new cells are plain ones that need no object made to be known: cells of
    // the plain class, made by this class's own CreateCell.
    bool MakesPlainCells() const;
    // The first scrolled row in view at vertical scroll position pos.
    int TopRowAt(int pos) const;
    // As `steps` SB_LINEDOWN scrolls, moving the view and asking for a repaint once.
    void ScrollLinesDown(int steps);
    // Hands the copied text of the block, piece by piece, to put (a std::string_view each).
    template <class Put>
    void ForEachCopiedPiece(const CGridCellRange& range, Put put) const;
    // Repaints the cells on screen that the test picks; the cells off screen cost nothing.
    template <class Pick>
    void RepaintVisibleCells(Pick pick, CDC* dc);
    bool IsPlacedCellSelected(int row, int column) const { return m_selection.Contains(row, column); }
    void SetPlacedCellSelected(int row, int column, bool selected) { m_selection.Set(row, column, selected); }
    void ForgetTopLeft() { m_topLeftCache = CGridCellId(); }
    void HideTitleTip() { m_titleTip.Hide(); }
    bool IsFixedCell(const CGridCellId& cell) const
    {
        return cell.row < m_fixedRowCount || cell.col < m_fixedColumnCount;
    }
    CGridCellId RaisedToScrolled(const CGridCellId& cell) const;
    CGridCellId SpanStart(const CGridCellId& cell) const;
    void SetArrowCursor();
    void KillAutoScrollTimer();
    // Where a navigation key moves the focus; false for keys that are not navigation keys or
    // that the platform handles (Tab past either end).
    bool NextKeyCell(unsigned key, bool shift, bool control, CGridCellId& next, bool& wrapped);
    void ScrollTowards(unsigned key, bool shift, bool wrapped);
    void SetColumnWidthInternal(int column, int width);
    void ChangeFixedBit(int row, int column, unsigned bit, bool fixing, bool fixedOtherwise);
    void ApplyScrollRange(int bar);
    void OnScroll(int bar, int code);
    void OnScrollBarAction(int bar, int action);
    void ReadSystemColours();
    void OnSetFont();

    // Cell extent bookkeeping.
    // Counts in the new cells of a row that has just been placed at index row.
    void PlaceRow(int row, int firstColumn);
    void QueueExtent(int row, int column);
    // The same for a cell the caller has found already: its extent is taken as given.
    void QueueFoundExtent(int row, int column, CCellExtent& extent);
    void OnCellContentChanged(CGridCellBase* cell);
    void UncountCell(CCellExtent& extent, int column);
    void RefreshExtents(CDC* dc);
    void CountCell(int row, int column, CDC* dc);
    void CountFoundCell(int row, int column, CCellExtent& extent, CDC* dc);
    // Counts in the cells of a row just appended with these texts, leaving unmeasured the plain
    // ones that cannot widen their columns.
    void PlaceAppendedRow(int row, std::span<const std::string_view> texts);
    // A width a plain cell with the text is never wider than, without measuring it; -1 when none
    // is known.
    int PlainWidthBound(bool fixedRow, bool fixedColumn, std::string_view text) const;
    // The cell's width as the tally counts it.
    int MeasuredWidth(int row, int column, CDC* dc) const;
    // The extent of the row's cell at the column; null where there is no cell.
    static CCellExtent* FoundExtent(Row& cells, int column);
    // Measures the column's unmeasured cells that may be wider than its widest measured one among
    // the chosen rows, until none may.
    void MeasureUnmeasured(int column, bool fixedRows, bool scrolledRows, CDC* dc);

    COLORREF m_emptyAreaColour = 0;
    COLORREF m_gridLineColour = RGB(0xC0, 0xC0, 0xC0);
    COLORREF m_sysWindowTextColour = 0;
    COLORREF m_sysWindowColour = 0;
    COLORREF m_sysFaceColour = 0;
    COLORREF m_sysShadowColour = 0;
    bool m_editable = true;
    unsigned m_scrollBarsShown = 0;
    bool m_trackFocusHeaders = true;
    int m_autoSizeStyle = 3;
    int m_rowCount = 0;
    int m_fixedRowCount = 0;
    int m_columnCount = 0;
    int m_fixedColumnCount = 0;
    // Rows are removed just below the fixed rows as a log drops its oldest: deques, which close
    // the gap by moving the shorter side.
    std::deque<unsigned> m_rowHeights;
    std::vector<unsigned> m_columnWidths;
    int m_vScrollMax = 0;
    int m_hScrollMax = 0;
    int m_scrollPage[2] = {0, 0};
    const CRuntimeClass* m_cellClass;
    CGridDefaultCell m_defaultCell;
    CGridDefaultCell m_defaultFixedColumnCell;
    CGridDefaultCell m_defaultFixedRowCell;
    CGridDefaultCell m_defaultCornerCell;
    std::deque<Row> m_rows;
    // A placed cell object's slot holds its row plus this; see PlacedRow.
    int m_rowBase = 0;
    CGridCellId m_focusCell;
    // The plain cell that carries the focused bit, if any (a cell object carries its own).
    CGridCellId m_plainFocus;
    mutable CGridCell m_standIn;
    CGridCellId m_topLeftCache;
    bool m_rowResizeEnabled = true;
    bool m_columnResizeEnabled = true;
    int m_wheelScrollLines = 3;
    // What is selected, as blocks; the cells' selected bit is read from here. The previous
    // selection is what a Ctrl press kept, selected again under every block that a drag makes.
    CCellSelection m_selection;
    CCellSelection m_previousSelection;
    CGridCellId m_selectionStartCell;
    CGridCellId m_clickDownCell;
    int m_mouseMode = MouseIdle;
    bool m_leftButtonDown = false;
    bool m_captured = false;
    int m_timerId = 0;
    int m_timerInterval = 25;
    QBasicTimer m_autoScrollTimer;
    std::function<QPoint()> m_cursorPos;
    int m_controlId = 0;
    CGridOleDropTarget m_dropTarget;
    CGridTitleTip m_titleTip;
    COLORREF m_titleTipTextColour = CLR_DEFAULT;
    COLORREF m_titleTipBackColour = CLR_DEFAULT;

    // Indexes over the model.
    CPrefixSums m_rowSums;
    CPrefixSums m_columnSums;
    std::vector<CColumnExtentTally> m_columnTallies;
    std::vector<CGridCellId> m_extentQueue;
    // Room for a row's texts while SetRowTexts or AppendRow gathers them, kept between calls.
    std::vector<std::string_view> m_rowTexts;
    bool m_extentsStale = true;
    // A layout update is posted for rows appended since the last one.
    bool m_layoutPosted = false;

    QRect m_updateRect;
};
