#pragma once

#include "log/session_row.h"

#include <string>

// The full account of one log row, as the details pane shows it and Copy Row Details copies it:
// the time to the millisecond with its date, the direction, then every byte of the packet as it
// was on the line, one a line with its offset, hexadecimal and decimal value and its part in the
// packet (start marker, escape, payload byte and its unescaped value, end marker, the checksum
// received against the one computed); then the payload as the catalogue reads it, and for line
// errors and broken packets what went wrong, in plain words. Made from the row's own columns, so a
// row of a reopened session is explained as the live one was. Lines end in LF.
std::string RowDetailsText(const SessionRow& row);
