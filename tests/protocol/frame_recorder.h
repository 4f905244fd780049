#pragma once

#include "protocol/receive_framer.h"

#include <string>
#include <vector>

// Records each closed frame as one line: "valid|checksum|broken: frame / payload".
struct FrameRecorder : IFrameSink {
    struct Frame {
        CountedBytes frame;
        CountedBytes payload;
        bool valid = false;
        bool checksumError = false;
    };
    std::vector<Frame> frames;

    void OnFrame(const CountedBytes& frame, const CountedBytes* payload, bool checksumError) override
    {
        frames.push_back({frame, payload ? *payload : CountedBytes{}, payload != nullptr, checksumError});
    }

    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        for (const Frame& f : frames) {
            const char* verdict = f.valid ? "valid" : f.checksumError ? "checksum" : "broken";
            lines.push_back(std::string(verdict) + ": " + FormatBytes(f.frame)
                            + (f.valid ? " / " + FormatBytes(f.payload) : ""));
        }
        return lines;
    }
};

inline void Feed(CReceiveFramer& framer, std::initializer_list<std::uint8_t> bytes)
{
    for (std::uint8_t b : bytes)
        framer.PutByte(b);
}
