#include "grid/grid_ctrl.h"

#include "platform/ole_data_source.h"
#include "platform/ole_drop_target.h"

#include <QAction>

#include <algorithm>
#include <new>

std::unique_ptr<COleDataSource> CGridCtrl::CreateCopyData()
{
    const CGridCellRange range = GetSelectedCellRange();
    if (!IsValid(range))
        return nullptr;
    try {
        std::string text;
        std::vector<CGridCellRange> rowBlocks;
        for (int r = range.minRow; r <= range.maxRow; ++r) {
            if (GetRowHeight(r) == 0)
                continue;
            m_selection.BlocksOnRow(r, rowBlocks);
            for (int c = range.minCol; c <= range.maxCol; ++c) {
                if (GetColumnWidth(c) == 0)
                    continue;
                const bool selected = std::any_of(rowBlocks.begin(), rowBlocks.end(), [c](const CGridCellRange& b) {
                    return c >= b.minCol && c <= b.maxCol;
                });
                if (selected) {
                    const CGridCellBase* cell = CellObject(r, c);
                    if (const char* cellText = cell != nullptr ? cell->GetText() : PlainText(r, c))
                        text += cellText;
                }
                if (c != range.maxCol)
                    text += '\t';
            }
            if (r != range.maxRow)
                text += '\n';
        }
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
