#!/usr/bin/env python3
"""The peer of the scripted round trips: a pyserial loop a user would write instead of a script.

Sends the packet of Query Power Mode N times and, each time, reads the line until the device's
answer has been framed (start marker, escaped payload, end marker, escaped checksum), checks the
checksum and that the answer names the queried variable; other frames (radio text) are passed over.
Prints the number of round trips per second of wall time.  Usage: peer_round_trips.py PORT N
(PORT a device path or socket://HOST:PORT)."""
import sys
import time

import serial

START, END, ESCAPE, FIRST_PLAIN, ESCAPE_BIT = 0x01, 0x02, 0x5E, 0x14, 0x40
QUERY = bytes([0x01, 20, 21, 0x02, 214])  # Query Power Mode


def frames(port):
    """Yields (payload, checksum_ok) for every frame the line carries."""
    payload, total, escaped, state = bytearray(), 0, False, None
    while True:
        chunk = port.read(port.in_waiting or 1)
        if not chunk:
            raise TimeoutError("no answer within the port's time-out")
        for b in chunk:
            if b == START:
                payload, total, escaped, state = bytearray(), 0, False, "payload"
                continue
            if state is None:
                continue
            if b == END and state == "payload":
                state = "checksum"
                continue
            if b == ESCAPE and not escaped:
                escaped = True
                continue
            if escaped:
                escaped = False
                b &= ~ESCAPE_BIT & 0xFF
            if state == "payload":
                payload.append(b)
                total = (total + b) & 0xFF
            else:
                yield bytes(payload), b == (~total & 0xFF)
                state = None


def main():
    port = serial.serial_for_url(sys.argv[1], baudrate=9600, timeout=2)
    rounds = int(sys.argv[2])
    incoming = frames(port)
    begun = time.monotonic()
    for _ in range(rounds):
        port.write(QUERY)
        sent = time.monotonic()
        for payload, checksum_ok in incoming:
            if time.monotonic() - sent > 2:
                sys.exit("no answer within 2 s")
            if not checksum_ok:
                sys.exit("checksum error")
            if len(payload) >= 2 and payload[1] == 21:
                break
    elapsed = time.monotonic() - begun
    print(f"{rounds / elapsed:.0f}")


if __name__ == "__main__":
    main()
