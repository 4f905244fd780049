#include "grid/reference/grid_drop_target.h"

#include "grid/reference/grid_ctrl.h"

namespace reference {

namespace {

bool s_registering = false;

} // namespace

bool CGridOleDropTarget::Register(QWidget* window)
{
    if (m_registered || s_registering)
        return false;
    s_registering = true;
    auto* grid = qobject_cast<CGridCtrl*>(window);
    if (grid == nullptr) {
        s_registering = false;
        return false;
    }
    m_grid = grid;
    m_registered = COleDropTarget::Register(grid);
    s_registering = false;
    return m_registered;
}

void CGridOleDropTarget::Revoke()
{
    m_registered = false;
    COleDropTarget::Revoke();
}

CGridCtrl* CGridOleDropTarget::GridFor(QWidget* window) const
{
    return m_grid != nullptr && window == m_grid ? m_grid : nullptr;
}

unsigned CGridOleDropTarget::OnDragEnter(QWidget* window, const QMimeData* data, unsigned keyState, CPoint point)
{
    CGridCtrl* grid = GridFor(window);
    return grid != nullptr ? grid->OnDragEnter(data, keyState, point) : DROPEFFECT_NONE;
}

unsigned CGridOleDropTarget::OnDragOver(QWidget* window, const QMimeData* data, unsigned keyState, CPoint point)
{
    CGridCtrl* grid = GridFor(window);
    return grid != nullptr ? grid->OnDragOver(data, keyState, point) : DROPEFFECT_NONE;
}

bool CGridOleDropTarget::OnDrop(QWidget* window, const QMimeData* data, unsigned dropEffect, CPoint point)
{
    CGridCtrl* grid = GridFor(window);
    return grid != nullptr && grid->OnDrop(data, dropEffect, point);
}

void CGridOleDropTarget::OnDragLeave(QWidget* window)
{
    if (CGridCtrl* grid = GridFor(window))
        grid->OnDragLeave();
}

unsigned CGridOleDropTarget::OnDragScroll(QWidget*, unsigned, CPoint) { return DROPEFFECT_NONE; }

} // namespace reference
