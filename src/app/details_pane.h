#pragma once

#include <QWidget>

#include <functional>

class QPlainTextEdit;

// The pane under the log that explains the focused row (see RowDetailsText). Its top edge is a
// grip: dragged, the pane grows or shrinks and the window lays the log out again; the height it is
// left at is remembered, with whether the pane shows, in the configuration file ([Log]
// DetailsPane, DetailsPaneHeight).
class CDetailsPane : public QWidget {
    Q_OBJECT
public:
    // settingsFile: the configuration file, empty for the user's own settings (see OpenSettings).
    // relayout: called when the pane's height changes by a drag.
    CDetailsPane(QString settingsFile, std::function<void()> relayout, QWidget* parent);

    void SetText(const QString& text);
    QString Text() const;
    // The height the pane asks for, grip included.
    int PaneHeight() const { return m_height; }
    // Whether the configuration file (empty: the user's own settings) says the pane shows.
    static bool StoredVisible(const QString& settingsFile);
    static void StoreVisible(const QString& settingsFile, bool visible);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void StoreHeight() const;

    QString m_settingsFile;
    std::function<void()> m_relayout;
    QPlainTextEdit* m_text;
    int m_height;
    int m_dragFrom = -1; // the pointer's y on the screen where a drag began
    int m_heightBefore = 0;
};
