#pragma once

#include "grid/grid_ctrl.h"

// The main window's set-up of its response log: four columns under one fixed header row, no
// editing, no resizing by the user, columns sized to their titles.
inline void SetUpLogGrid(CGridCtrl& grid)
{
    grid.SetColumnCount(4);
    grid.SetFixedRowCount(1);
    grid.EnableColumnResize(false);
    grid.EnableRowResize(false);
    grid.SetTrackFocusHeaders(false);
    grid.SetEditable(false);
    const char* const titles[] = {"Time", "Encoded", "Data", "Description"};
    for (int c = 0; c < 4; ++c)
        grid.SetItemText(0, c, titles[c]);
    grid.AutoSizeColumns(0);
}
