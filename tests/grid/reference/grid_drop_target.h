#pragma once

#include "platform/ole_drop_target.h"

namespace reference {

class CGridCtrl;

// Registers a grid's window as a drop target and hands the drags over it to the grid, which
// refuses them all. Never scrolls the grid during a drag.
class CGridOleDropTarget : public COleDropTarget {
public:
    ~CGridOleDropTarget() override = default;

    // False when already registered, when called again from within a registration, or when the
    // window is not a grid.
    bool Register(QWidget* window) override;
    void Revoke() override;
    bool IsRegistered() const { return m_registered; }

    unsigned OnDragEnter(QWidget* window, const QMimeData* data, unsigned keyState, CPoint point) override;
    unsigned OnDragOver(QWidget* window, const QMimeData* data, unsigned keyState, CPoint point) override;
    bool OnDrop(QWidget* window, const QMimeData* data, unsigned dropEffect, CPoint point) override;
    void OnDragLeave(QWidget* window) override;
    unsigned OnDragScroll(QWidget* window, unsigned keyState, CPoint point) override;

private:
    CGridCtrl* GridFor(QWidget* window) const;

    CGridCtrl* m_grid = nullptr;
    bool m_registered = false;
};

} // namespace reference
