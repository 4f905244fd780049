#pragma once

#include <cstddef>
#include <string>

// Lines typed or piped on a descriptor, read in bounded memory: a line longer than the limit
// keeps its first maxLine characters and the rest is skipped up to its end. A wait for input also
// ends when wakeFd becomes readable, so another thread can stop the reader at any time.
class InputLines {
public:
    enum class Got { Line, End, Woken };

    InputLines(int fd, int wakeFd, std::size_t maxLine) : m_fd(fd), m_wakeFd(wakeFd), m_maxLine(maxLine) {}

    // The next line without its line feed. The text after the last line feed counts as a line.
    Got Next(std::string& line);
    // Whether the line Next returned last was cut to the limit.
    bool Cut() const { return m_cut; }

private:
    bool TakeLine(std::string& line);

    int m_fd;
    int m_wakeFd;
    std::size_t m_maxLine;
    std::string m_pending; // the start of the line being read, up to maxLine characters
    std::string m_block;   // read but not yet looked at
    std::size_t m_blockPos = 0;
    bool m_skipping = false; // the line is over the limit; its rest is dropped
    bool m_cut = false;
    bool m_ended = false;
};
