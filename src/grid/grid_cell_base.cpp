#include "grid/grid_cell_base.h"

#include "grid/grid_ctrl.h"

#include <QCursor>

const CRuntimeClass CGridCellBase::classCGridCellBase = {
    "CGridCellBase", &CObject::classCObject, nullptr};

namespace {
const CRuntimeClass* const g_registered = RegisterRuntimeClass(&CGridCellBase::classCGridCellBase);
}

const CRuntimeClass* CGridCellBase::GetRuntimeClass() const { return &classCGridCellBase; }

unsigned CGridCellBase::GetState() const
{
    const CGridCtrl* grid = m_slot.storedRow >= 0 ? GetGrid() : nullptr;
    if (grid == nullptr)
        return m_state;
    const unsigned selected = grid->IsPlacedCellSelected(grid->PlacedRow(m_slot), m_slot.column) ? unsigned{GRIDSTATE_SELECTED} : 0u;
    return (m_state & ~static_cast<unsigned>(GRIDSTATE_SELECTED)) | selected;
}

void CGridCellBase::SetState(unsigned state)
{
    if (CGridCtrl* grid = m_slot.storedRow >= 0 ? GetGrid() : nullptr)
        grid->SetPlacedCellSelected(grid->PlacedRow(m_slot), m_slot.column, (state & GRIDSTATE_SELECTED) != 0);
    const unsigned changed = m_state ^ state;
    m_state = state;
    // The fixed bits choose the template whose font and margin the cell measures with.
    if ((changed & (GRIDSTATE_FIXEDROW | GRIDSTATE_FIXEDCOL)) != 0)
        ContentChanged();
}

CGridDefaultCell* CGridCellBase::GetDefaultCell() const
{
    CGridCtrl* grid = GetGrid();
    if (grid == nullptr)
        return nullptr;
    return grid->GetDefaultCell(IsFixedRow(), IsFixedColumn());
}

void CGridCellBase::Reset() { m_state = 0; }

bool CGridCellBase::OnSetCursor()
{
    if (CGridCtrl* grid = GetGrid())
        grid->viewport()->setCursor(Qt::ArrowCursor);
    return true;
}

void CGridCellBase::ContentChanged()
{
    if (CGridCtrl* grid = GetGrid())
        grid->OnCellContentChanged(this);
}
