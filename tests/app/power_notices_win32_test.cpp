// WM_POWERBROADCAST reaches the window as Windows delivers it: through the native event filters
// Qt calls for each message to one of its windows.
#include "app/power_notices.h"

#include <QAbstractEventDispatcher>
#include <QSignalSpy>
#include <QWidget>

#include <gtest/gtest.h>

#include <windows.h>

namespace {

bool Deliver(HWND hwnd, UINT message, WPARAM wParam)
{
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    qintptr result = 0;
    return QAbstractEventDispatcher::instance()->filterNativeEvent("windows_generic_MSG", &msg, &result);
}

} // namespace

TEST(PowerNoticesOnWindows, TheOwnersWindowsBroadcastsBecomeCodesOncePerEvent)
{
    QWidget owner;
    // The offscreen platform the tests draw on gives no window a handle of its own (0): another
    // window is any other handle.
    const auto ownHwnd = reinterpret_cast<HWND>(owner.winId());
    const auto otherHwnd = reinterpret_cast<HWND>(owner.winId() + 1);
    auto* notices = new CPowerNotices(&owner);
    ASSERT_TRUE(notices->IsListening());
    QSignalSpy spy(notices, &CPowerNotices::PowerBroadcast);

    // Windows sends the broadcast to every top-level window: the other one's copy is not counted.
    EXPECT_FALSE(Deliver(otherHwnd, WM_POWERBROADCAST, PBT_APMSUSPEND));
    EXPECT_FALSE(Deliver(ownHwnd, WM_POWERBROADCAST, PBT_APMSUSPEND));
    EXPECT_FALSE(Deliver(ownHwnd, WM_PAINT, PBT_APMSUSPEND));
    EXPECT_FALSE(Deliver(ownHwnd, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC));
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(0).toUInt(), unsigned{PBT_APMQUERYSUSPEND});
    EXPECT_EQ(spy.at(1).at(0).toUInt(), unsigned{PBT_APMRESUMEAUTOMATIC});

    // Gone with its owner, it hears nothing more.
    delete notices;
    EXPECT_FALSE(Deliver(ownHwnd, WM_POWERBROADCAST, PBT_APMSUSPEND));

    // Without a window to own them, every window's broadcast counts.
    CPowerNotices loose;
    QSignalSpy looseSpy(&loose, &CPowerNotices::PowerBroadcast);
    Deliver(otherHwnd, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND);
    ASSERT_EQ(looseSpy.count(), 1);
    EXPECT_EQ(looseSpy.at(0).at(0).toUInt(), unsigned{PBT_APMRESUMESUSPEND});
}
