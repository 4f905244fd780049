#pragma once

#include "platform/geometry.h"

#include <QObject>
#include <QPointer>

class QMimeData;
class QWidget;

// What a drop target answers for a drag.
enum DropEffect : unsigned {
    DROPEFFECT_NONE = 0,
    DROPEFFECT_COPY = 1,
    DROPEFFECT_MOVE = 2,
    DROPEFFECT_LINK = 4,
    DROPEFFECT_SCROLL = 0x80000000u,
};

// Makes a window a drop target: registering turns on drops for it (and for the viewport of a
// scroll area, where the drags arrive) and delivers its drag events to the handlers below.
// The handlers' answers decide whether Qt's drag is accepted, and with which action.
class COleDropTarget {
public:
    COleDropTarget();
    virtual ~COleDropTarget();
    COleDropTarget(const COleDropTarget&) = delete;
    COleDropTarget& operator=(const COleDropTarget&) = delete;

    virtual bool Register(QWidget* window);
    virtual void Revoke();
    QWidget* GetRegisteredWindow() const { return m_window; }

    // keyState holds MK_ flags; points are in the registered window's client coordinates.
    virtual unsigned OnDragEnter(QWidget* window, const QMimeData* data, unsigned keyState, CPoint point);
    virtual unsigned OnDragOver(QWidget* window, const QMimeData* data, unsigned keyState, CPoint point);
    virtual bool OnDrop(QWidget* window, const QMimeData* data, unsigned dropEffect, CPoint point);
    virtual void OnDragLeave(QWidget* window);
    // Runs before OnDragOver; an answer with DROPEFFECT_SCROLL stands instead of OnDragOver's.
    virtual unsigned OnDragScroll(QWidget* window, unsigned keyState, CPoint point);

private:
    class Filter;

    void Watch(QWidget* widget, bool on);

    QPointer<QWidget> m_window;
    QPointer<QWidget> m_viewport;
    Filter* m_filter;
};
