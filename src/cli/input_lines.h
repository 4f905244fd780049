#pragma once

#include "stop_pipe.h"

#include <cstddef>
#include <memory>
#include <string>

// Lines typed or piped on a descriptor, read in bounded memory: a line longer than the limit
// keeps its first maxLine characters and the rest is skipped up to its end. A wait for input also
// ends when a note is written to the wake pipe, so another thread can stop the reader at any time.
// The reading itself has one file per platform.
class InputLines {
public:
    enum class Got { Line, End, Woken };

    InputLines(int fd, const StopPipe& wake, std::size_t maxLine);
    ~InputLines();
    InputLines(const InputLines&) = delete;
    InputLines& operator=(const InputLines&) = delete;

    // The next line without its line feed. The text after the last line feed counts as a line.
    Got Next(std::string& line);
    // Whether the line Next returned last was cut to the limit.
    bool Cut() const { return m_cut; }

private:
    enum class Fill { Data, End, Woken };
    struct Reader; // the platform's reading state

    bool TakeLine(std::string& line);
    // Replaces the block with what the descriptor gives next, waiting for it or a note.
    Fill FillBlock();

    int m_fd;
    const StopPipe& m_wake;
    std::size_t m_maxLine;
    std::unique_ptr<Reader> m_reader;
    std::string m_pending; // the start of the line being read, up to maxLine characters
    std::string m_block;   // read but not yet looked at
    std::size_t m_blockPos = 0;
    bool m_skipping = false; // the line is over the limit; its rest is dropped
    bool m_cut = false;
    bool m_ended = false;
};
