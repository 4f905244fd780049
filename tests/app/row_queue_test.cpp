#include "app/power_notices.h"
#include "app/row_queue.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <thread>

TEST(RowQueue, OneWakeUpPerBatchAndRowsInOrder)
{
    CRowQueue queue;
    constexpr int kRows = 20000;
    int wakeUps = 0;
    std::vector<std::string> seen;
    std::thread producer([&] {
        for (int i = 0; i < kRows; ++i)
            if (queue.Push({ReceivedEntry::Kind::Row, {{}, RowDirection::Received, std::to_string(i), {}, {}}, {}}))
                ++wakeUps; // only this thread counts
    });
    while (seen.size() < kRows)
        for (ReceivedEntry& entry : queue.TakeAll())
            seen.push_back(entry.row.encoded);
    producer.join();
    ASSERT_EQ(seen.size(), static_cast<std::size_t>(kRows));
    for (int i = 0; i < kRows; ++i)
        ASSERT_EQ(seen[i], std::to_string(i));
    EXPECT_GE(wakeUps, 1);
    EXPECT_TRUE(queue.TakeAll().empty());
    EXPECT_TRUE(queue.Push({}));
    EXPECT_FALSE(queue.Push({}));
}

TEST(PowerNotices, SleepAndWakeBecomeSuspendAndResumeCodes)
{
    CPowerNotices notices; // with or without a system bus
    QSignalSpy spy(&notices, &CPowerNotices::PowerBroadcast);
    notices.OnPrepareForSleep(true);
    notices.OnPrepareForSleep(false);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(0).toUInt(), unsigned{PBT_APMQUERYSUSPEND});
    EXPECT_EQ(spy.at(1).at(0).toUInt(), unsigned{PBT_APMRESUMESUSPEND});
}

TEST(ReportedDeviceName, IsTheTextUpToTheFirstZeroByte)
{
    EXPECT_EQ(ReportedDeviceName(CountedBytes{20, 20, 'E', 'l', 'm', 'o', 'r', 'a'}), "Elmora");
    EXPECT_EQ(ReportedDeviceName(CountedBytes{20, 20, 'E', 'l', 'm', 'o', 'r', 'a', 0, 0}), "Elmora");
    EXPECT_EQ(ReportedDeviceName(CountedBytes{20, 20, 0, 'x'}), "");
    EXPECT_FALSE(ReportedDeviceName(CountedBytes{20, 20}));
    EXPECT_FALSE(ReportedDeviceName(CountedBytes{20, 21, 'E'}));
}
