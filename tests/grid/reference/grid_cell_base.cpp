#include "grid/reference/grid_cell_base.h"

#include "grid/reference/grid_ctrl.h"

#include <QCursor>

namespace reference {

const CRuntimeClass CGridCellBase::classCGridCellBase = {
    "CGridCellBase", &CObject::classCObject, nullptr};

namespace {
const CRuntimeClass* const g_registered = RegisterRuntimeClass(&CGridCellBase::classCGridCellBase);
}

const CRuntimeClass* CGridCellBase::GetRuntimeClass() const { return &classCGridCellBase; }

void CGridCellBase::SetState(unsigned state)
{
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

} // namespace reference
