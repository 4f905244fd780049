#pragma once

#include "grid/cell_id.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

// What a grid should answer, worked out the plain way: texts in a map, the selection as a set of
// cells, row heights and column widths as arrays, every rule written out once. The comparison
// tests drive it beside a CGridCtrl with the same operations and compare the answers.
//
// Where the pointer lands depends on how the grid is scrolled, which is the grid's own business:
// the mouse operations take the view's first scrolled cell and the shift of its first column
// from the grid and find the cell under a point with the plain arrays.
class PlainGridModel {
public:
    struct View {
        CGridCellId topLeft;
        int columnShift = 0;
        int width = 0;
        int height = 0;
    };

    PlainGridModel(int rowHeight, int columnWidth) : m_newRowHeight(rowHeight), m_newColumnWidth(columnWidth) {}

    void SetRowCount(int rows);
    void SetColumnCount(int columns);
    void SetFixedRowCount(int fixedRows);
    void SetFixedColumnCount(int fixedColumns);
    void DeleteRows(int first, int count);
    void SetRowHeight(int row, int height);
    void SetColumnWidth(int column, int width);

    void SetItemText(int row, int column, const std::string& text);
    // Toggles the selected or read-only bit, as SetItemState with the bit flipped does.
    void ToggleState(int row, int column, unsigned bit);

    void SetFocusCell(CGridCellId cell);
    void SelectRange(int minRow, int minColumn, int maxRow, int maxColumn, bool select);
    void ClearSelection();
    void SelectAll();
    // kind: 0 cell span, 1 row span, 2 column span.
    void SelectSpan(int kind, CGridCellId cell, bool select);
    void SetSelectionStartCell(CGridCellId cell) { m_anchor = cell; }

    // A left press, moves with the button held, and the release; flags as the events give them.
    void LeftPress(const View& view, int x, int y, bool shift, bool control);
    void LeftDrag(const View& view, int x, int y);
    void LeftRelease();
    void RightClick(const View& view, int x, int y);
    // A navigation or command key with its modifiers (not Page Up/Down, which scroll first).
    void Key(int qtKey, bool shift, bool control);

    int Rows() const { return m_rows; }
    int Columns() const { return m_columns; }
    int FixedRows() const { return m_fixedRows; }
    // The same text the test makes of a grid's answers.
    std::string Describe() const;
    // The bytes a copy puts on the clipboard, or "<none>".
    std::string Copied() const;
    const std::vector<std::string>& Notes() const { return m_notes; }

private:
    bool IsValid(CGridCellId cell) const
    {
        return cell.row >= 0 && cell.row < m_rows && cell.col >= 0 && cell.col < m_columns;
    }
    bool IsFixed(CGridCellId cell) const { return cell.row < m_fixedRows || cell.col < m_fixedColumns; }
    CGridCellId Raised(CGridCellId cell) const
    {
        return CGridCellId(std::max(cell.row, m_fixedRows), std::max(cell.col, m_fixedColumns));
    }
    unsigned State(int row, int column) const;
    void Notify(int code, CGridCellId cell);
    CGridCellId CellAt(const View& view, int x, int y) const;
    void ExtendSelection(CGridCellId cell);
    // Cuts the rows or columns from the count on out of every cell set and map.
    void Cut(int rows, int columns);

    int m_newRowHeight;
    int m_newColumnWidth;
    int m_rows = 0;
    int m_columns = 0;
    int m_fixedRows = 0;
    int m_fixedColumns = 0;
    std::vector<int> m_heights;
    std::vector<int> m_widths;
    std::map<CGridCellId, std::string> m_texts;
    std::set<CGridCellId> m_readOnly;
    std::set<CGridCellId> m_selected;
    // What a Ctrl press kept, selected again under every block a drag makes.
    std::set<CGridCellId> m_kept;
    CGridCellId m_focus;
    CGridCellId m_anchor;
    CGridCellId m_clickDown;
    int m_mode = 0;
    bool m_buttonDown = false;
    std::vector<std::string> m_notes;
};
