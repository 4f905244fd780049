#pragma once

#include "log/log_row.h"

class CGridCtrl;

// The response log in its grid: a header row "Time", "Encoded", "Data", "Description" and one row
// per received packet or line error. Rows are added in batches; after each batch the columns fit
// their widest texts, the view follows the new rows only if the last row before them was in view,
// and the grid is redrawn once, at the next frame.
class CResponseLog {
public:
    explicit CResponseLog(CGridCtrl& grid) : m_grid(grid) {}

    void SetUp();

    void BeginBatch();
    void Add(const LogRow& row);
    void EndBatch();

    // Every data row goes; the header stays, and the columns keep their widths until the next row.
    void Clear();

private:
    CGridCtrl& m_grid;
    bool m_followEnd = false;
    int m_added = 0;
};
