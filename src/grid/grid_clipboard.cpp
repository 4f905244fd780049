#include "grid/grid_ctrl.h"

#include "platform/ole_data_source.h"
#include "platform/ole_drop_target.h"

#include <QAction>

#include <algorithm>
#include <new>
#include <string_view>

// The copied text is built twice over: once to count its bytes, then into a block of exactly
// that size, so that a million rows take their size in memory once, not the spare room of a
// growing string on top.
template <class Put>
void CGridCtrl::ForEachCopiedPiece(const CGridCellRange& range, Put put) const
{
    std::vector<int> shownColumns;
    for (int c = range.minCol; c <= range.maxCol; ++c) {
        if (GetColumnWidth(c) != 0)
            shownColumns.push_back(c);
    }
    std::vector<CGridCellRange> rowBlocks;
    std::vector<std::string_view> plainTexts(static_cast<std::size_t>(m_columnCount));
    for (int r = range.minRow; r <= range.maxRow; ++r) {
        if (GetRowHeight(r) == 0)
            continue;
        m_selection.BlocksOnRow(r, rowBlocks);
        // A row without cell objects has its texts read in one walk over them.
        const Row& cells = m_rows[static_cast<std::size_t>(r)];
        const bool plainRow = !cells.HasObjects();
        if (plainRow)
            cells.AllTexts(plainTexts.data());
        for (const int c : shownColumns) {
            const bool selected = std::any_of(rowBlocks.begin(), rowBlocks.end(), [c](const CGridCellRange& b) {
                return c >= b.minCol && c <= b.maxCol;
            });
            if (selected && plainRow) {
                if (cells.At(c).format != Row::kNoCell)
                    put(plainTexts[static_cast<std::size_t>(c)]);
            } else if (selected) {
                const CGridCellBase* cell = CellObject(r, c);
                if (const char* cellText = cell != nullptr ? cell->GetText() : PlainText(r, c))
                    put(std::string_view(cellText));
            }
            if (c != range.maxCol)
                put(std::string_view("\t", 1));
        }
        if (r != range.maxRow)
            put(std::string_view("\n", 1));
    }
}

std::unique_ptr<COleDataSource> CGridCtrl::CreateCopyData()
{
    const CGridCellRange range = GetSelectedCellRange();
    if (!IsValid(range))
        return nullptr;
    try {
        std::size_t size = 1;
        ForEachCopiedPiece(range, [&size](std::string_view piece) { size += piece.size(); });
        std::string text;
        text.reserve(size);
        ForEachCopiedPiece(range, [&text](std::string_view piece) { text.append(piece); });
        text += '\0';
        auto source = std::make_unique<COleDataSource>();
        source->CacheGlobalData(CF_TEXT, std::move(text));
        return source;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void CGridCtrl::OnEditCopy()
{
    if (const std::unique_ptr<COleDataSource> source = CreateCopyData())
        source->SetClipboard();
}

void CGridCtrl::OnEditCut() {}
void CGridCtrl::OnEditPaste() {}

bool CGridCtrl::IsEditCopyEnabled() const
{
    // A valid range is never empty: it holds at least one selected cell.
    return IsValid(GetSelectedCellRange());
}

void CGridCtrl::OnUpdateEditCopy(QAction* action) const { action->setEnabled(IsEditCopyEnabled()); }
void CGridCtrl::OnUpdateEditCut(QAction* action) const { action->setEnabled(false); }
void CGridCtrl::OnUpdateEditPaste(QAction* action) const { action->setEnabled(false); }
void CGridCtrl::OnUpdateEditSelectAll(QAction* action) const { action->setEnabled(true); }

bool CGridCtrl::OnCommand(int id)
{
    switch (id) {
    case ID_EDIT_COPY: OnEditCopy(); return true;
    case ID_EDIT_CUT: OnEditCut(); return true;
    case ID_EDIT_PASTE: OnEditPaste(); return true;
    case ID_EDIT_SELECT_ALL: SelectAll(); return true;
    default: return false;
    }
}

unsigned CGridCtrl::OnDragEnter(const QMimeData*, unsigned, CPoint) { return DROPEFFECT_NONE; }
unsigned CGridCtrl::OnDragOver(const QMimeData*, unsigned, CPoint) { return DROPEFFECT_NONE; }
bool CGridCtrl::OnDrop(const QMimeData*, unsigned, CPoint) { return false; }
void CGridCtrl::OnDragLeave() {}
