#pragma once

// A pipe that wakes a waiting thread: written from other threads and from signal handlers (a
// write to a pipe is safe there), read by whoever waits with poll on ReadFd. Each note is one
// character saying why.
class StopPipe {
public:
    StopPipe();
    ~StopPipe();
    StopPipe(const StopPipe&) = delete;
    StopPipe& operator=(const StopPipe&) = delete;

    bool IsOpen() const { return m_read >= 0; }
    int ReadFd() const { return m_read; }
    void Note(char why) const;
    // Routes SIGINT, SIGTERM and SIGHUP to a note 'S' on this pipe while it lives.
    void CatchStopSignals() const;

private:
    int m_read = -1;
    int m_write = -1;
};
