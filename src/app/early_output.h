#pragma once

// Lets --help, --version and the errors about arguments, printed before Qt starts, reach the
// user: on Windows a window program has no console of its own (early_output_win32.cpp); elsewhere
// there is nothing to do.
void ConnectEarlyOutput();
