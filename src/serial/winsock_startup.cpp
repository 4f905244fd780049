#include "winsock_startup.h"

#include <winsock2.h>

int StartWinsock()
{
    static const int status = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data);
    }();
    return status;
}
