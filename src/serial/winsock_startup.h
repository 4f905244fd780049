#pragma once

// Starts Winsock for the process the first time it is called, from whichever thread; 0 when it
// runs, else WSAStartup's error. It is never stopped: a look-up thread may outlive every port.
int StartWinsock();
