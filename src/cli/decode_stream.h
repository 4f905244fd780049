#pragma once

#include <functional>
#include <string>

class IFrameSink;

// Reads a capture from a descriptor in fixed blocks and hands every frame to the sink, so memory
// stays the same however long the capture is. With asText the capture is byte values written as
// text. The end of the capture closes a partial frame, as a failed read would on the line.
// keepGoing is asked after each block (false stops early: nobody reads the rows any more).
// False, with a message naming the input in error, when it cannot be read or is not byte text.
bool DecodeStream(int fd, const std::string& name, bool asText, IFrameSink& sink, const std::function<bool()>& keepGoing,
                  std::string& error);
