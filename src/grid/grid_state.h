#pragma once

// State bits kept in every cell.
enum GridCellState : unsigned {
    GRIDSTATE_FOCUSED = 0x01,
    GRIDSTATE_SELECTED = 0x02,
    GRIDSTATE_READONLY = 0x08,
    GRIDSTATE_FIXED = 0x10,
    GRIDSTATE_FIXEDROW = 0x20,
    GRIDSTATE_FIXEDCOL = 0x40,
};
