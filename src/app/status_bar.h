#pragma once

#include <QStatusBar>

#include <cstddef>
#include <optional>

class QLabel;

// The main window's bottom line: the port and its state in words, the rows in the log (and how many
// the scrollback dropped), the error rows since the last Clear, and the session file being recorded.
// Each part is a label of its own, so a screen reader names it and a long reason does not hide the rest.
class CWindowStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit CWindowStatusBar(QWidget* parent);

    // "COM1: could not open: no such port"; the whole text is also the tool tip, for a narrow window.
    void SetPortState(const QString& port, const QString& state);
    // `passed`: while a filter hides rows, how many of `rows` it shows.
    void SetCounts(std::size_t rows, std::size_t dropped, std::size_t errors, std::optional<std::size_t> passed);
    // The file name shows, its full path is the tool tip; an empty path says nothing is recorded
    // and `why` tells why.
    void SetSessionFile(const QString& path, const QString& why = {});

    QString PortText() const;
    QString RowsText() const;
    QString ErrorsText() const;
    QString SessionText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_port;
    QLabel* m_rows;
    QLabel* m_errors;
    QLabel* m_session;
};
