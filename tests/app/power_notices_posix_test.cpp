// Asking for the system's sleep notices never waits for the system bus: a bus daemon that hangs
// would otherwise hold the window up to D-Bus's 25 s time-out.
#include "app/power_notices.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

TEST(PowerNoticesOnLinux, AreAskedForWithoutWaitingForAHungSystemBus)
{
    // A system bus that takes connections into its queue and never answers them.
    QTemporaryDir dir;
    const std::string path = dir.filePath("bus").toStdString();
    const int bus = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(bus, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size());
    ASSERT_EQ(bind(bus, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(bus, 8), 0);
    const QByteArray before = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", QByteArray::fromStdString("unix:path=" + path));

    // A constructor that waited for the bus would wait for good: after 10 s (far more than making
    // an object and a thread takes) the bus goes away, which lets it return, and the test fails.
    std::mutex mutex;
    std::condition_variable cancelled;
    bool made = false;
    bool busClosed = false;
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (!cancelled.wait_for(lock, std::chrono::seconds(10), [&] { return made; })) {
            close(bus);
            busClosed = true;
        }
    });
    {
        const CPowerNotices notices;
        EXPECT_TRUE(notices.IsListening());
        const std::lock_guard lock(mutex);
        made = true;
    }
    cancelled.notify_all();
    watchdog.join();
    EXPECT_FALSE(busClosed) << "making the notices waited for the system bus";

    // Let go of the subscribing thread: its connection is refused now.
    if (!busClosed)
        close(bus);
    if (before.isNull())
        qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    else
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", before);
}
