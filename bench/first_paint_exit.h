#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

#include <cstdio>
#include <ctime>

#include <unistd.h>

// Ends the program at the first paint of a window, printing the processor time it took to get
// there ("cpu_ms N"); the parent takes the peak resident memory from the ended process.
class FirstPaintExit : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->isWindow()) {
            timespec cpu{};
            clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
            std::printf("cpu_ms %.3f\n", static_cast<double>(cpu.tv_sec) * 1e3 + static_cast<double>(cpu.tv_nsec) / 1e6);
            std::fflush(stdout);
            _exit(0);
        }
        return false;
    }
};
