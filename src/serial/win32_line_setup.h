#pragma once

#include "serial/line_settings.h"

#include <chrono>

#include <windows.h>

// How the Win32 channel sets a COM port's line: the device control block from the same settings
// the POSIX channel turns into termios (binary, no flow control, no character replacement,
// errors not aborting transfers, DTR on, RTS off), and the time-outs of one transfer.

// Sets every setting into the block, over what the port had; false when Windows has no value
// for one of them.
bool ApplyLineSettings(DCB& dcb, const LineSettings& settings);

// SetCommState may take a block it cannot fully apply; what counts is what reads back.
bool LineSettingsTook(const DCB& wanted, const DCB& actual);

// A read waits for its first byte as long as it takes (the channel bounds the wait itself and
// cancels the read when the port closes), then ends once the line has been quiet for readGap; a
// write may take writePerByte for each of its bytes, as on POSIX. The usual "return at once, or
// with the first byte" setting is not used: Wine never completes an overlapped read with it.
COMMTIMEOUTS DeviceTimeouts(std::chrono::milliseconds readGap, std::chrono::milliseconds writePerByte);
