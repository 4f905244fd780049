#pragma once

#include <QWidget>

// A dialog's group box as dialog templates place it: a plain etched frame whose top line runs
// through the middle of the title, around controls that are its siblings, not its children.
class CGroupBox : public QWidget {
    Q_OBJECT
public:
    CGroupBox(const QString& title, QWidget* parent);

    QString title() const { return m_title; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_title;
};
