#pragma once

#include "protocol/command_packet.h"
#include "protocol/counted_bytes.h"

#include <cstddef>
#include <optional>

#include <string>

class CReceivedRows;

// What a test talks to a device through: a way to put a command on the line, and the rows that
// come back, in the order they arrived. The console tool opens a port of its own for it (the
// device session); the window lends the port it already has open, so its log and session record
// see the test's traffic as they see a user's. The runner and the sweep know only this.
class ITestLink {
public:
    virtual ~ITestLink() = default;
    // Puts the payload's packet on the line; false, with the reason, when it could not all go.
    virtual bool Send(const CountedBytes& payload, std::string& error) = 0;
    virtual CReceivedRows& Rows() = 0;
};

// The packet of a test's command; nothing, with the reason, when the payload is too long for one.
std::optional<CCommandPacket> TestPacket(const CountedBytes& payload, std::string& error);
// Why a send failed, worded alike on every port a test talks through.
std::string TransmitErrorText(std::size_t sent, std::size_t count);
