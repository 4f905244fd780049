#pragma once

#include "app/row_filter.h"

class CGridCtrl;

// Where the next row whose description (the log's last column) the rule matches is, searching from
// the row after `from` on (before it, backwards) and round past the end; rows hidden at zero
// height are passed over. -1 when no shown row matches; `wrapped` says the search went round.
int FindLogRow(const CGridCtrl& grid, const CTextRule& rule, int from, bool forward, bool& wrapped);

// Makes the row the focused one, selects it whole (so a copy takes exactly that row) and scrolls
// it into view, however far away it is.
void GoToLogRow(CGridCtrl& grid, int row);
