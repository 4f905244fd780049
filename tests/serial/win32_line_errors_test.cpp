// Apart from the channel's other tests: <windows.h> defines the CE_ names as macros.

#include "serial/line_errors.h"
#include "serial/win32_error.h"

#include <gtest/gtest.h>

TEST(Win32LineErrors, ClearCommErrorFlagsBecomeThePortsFlags)
{
    // The documented values of ClearCommError's flags.
    EXPECT_EQ(LineErrorsFromCommErrors(0x0001), CE_RXOVER);
    EXPECT_EQ(LineErrorsFromCommErrors(0x0002), CE_OVERRUN);
    EXPECT_EQ(LineErrorsFromCommErrors(0x0004), CE_RXPARITY);
    EXPECT_EQ(LineErrorsFromCommErrors(0x0008), CE_FRAME);
    EXPECT_EQ(LineErrorsFromCommErrors(0x0010), CE_BREAK);
    EXPECT_EQ(LineErrorsFromCommErrors(0x0400), CE_IOE);
    EXPECT_EQ(LineErrorsFromCommErrors(0x0008 | 0x0002), CE_FRAME | CE_OVERRUN);
    // Output-side conditions (a full transmit queue, a bad mode) are no receive error.
    EXPECT_EQ(LineErrorsFromCommErrors(0x0100 | 0x8000), 0u);
    EXPECT_EQ(LineErrorsFromCommErrors(0), 0u);
}
