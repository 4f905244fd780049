#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Standard output of the console tool, gathered into large blocks so that a long decode is not
// held up by one system call per row, with every write checked: a full disk or a closed
// descriptor is an error the user hears about, never a silent success.
class ConsoleOut {
public:
    static constexpr std::size_t kBlock = 64 * 1024;

    explicit ConsoleOut(int fd);
    ConsoleOut(const ConsoleOut&) = delete;
    ConsoleOut& operator=(const ConsoleOut&) = delete;

    // Rows are built here in place and handed on by EndRow.
    std::string& Buffer() { return m_buffer; }
    void Write(std::string_view text) { m_buffer.append(text); EndRow(); }
    // Writes the gathered text once a block is full.
    void EndRow()
    {
        if (m_buffer.size() >= kBlock)
            Flush();
    }
    // Writes everything gathered; false once any write has failed (later text is dropped).
    bool Flush();
    bool Failed() const { return m_error != 0; }
    // The reader has gone (a closed pipe): the run ends quietly.
    bool ReaderGone() const;
    // Flushes and returns the exit status: 0, or 1 after a failed write, which is reported
    // unless the reader has gone.
    int Finish();

private:
    int m_fd;
    int m_error = 0;
    std::string m_buffer;
};

// Standard output of this process.
ConsoleOut& StandardOut();

// "vantrolix-cli: message" on standard error. The message may carry names the user typed or
// text from a device, so its control bytes are shown as \xNN rather than reach the terminal.
void PrintError(std::string_view message);
