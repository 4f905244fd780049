#include "app/power_notices.h"
#include "app/row_queue.h"

#include <gtest/gtest.h>

#include <atomic>
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

TEST(PowerNotices, EachSystemsSleepAndWakeBecomeTheWindowsSuspendAndResumeCodes)
{
    EXPECT_EQ(PowerCodeOfPrepareForSleep(true), unsigned{PBT_APMQUERYSUSPEND});
    EXPECT_EQ(PowerCodeOfPrepareForSleep(false), unsigned{PBT_APMRESUMESUSPEND});
    // Windows since Vista sends only PBT_APMSUSPEND before sleeping; the port must still close.
    EXPECT_EQ(PowerCodeOfWindowsEvent(PBT_APMSUSPEND), unsigned{PBT_APMQUERYSUSPEND});
    for (const unsigned kept : {unsigned{PBT_APMQUERYSUSPEND}, unsigned{PBT_APMRESUMESUSPEND},
                                unsigned{PBT_APMRESUMEAUTOMATIC}, unsigned{PBT_APMRESUMECRITICAL}, 10u})
        EXPECT_EQ(PowerCodeOfWindowsEvent(kept), kept);
}

TEST(ReportedDeviceName, IsTheTextUpToTheFirstZeroByte)
{
    EXPECT_EQ(ReportedDeviceName(CountedBytes{20, 20, 'E', 'l', 'm', 'o', 'r', 'a'}), "Elmora");
    EXPECT_EQ(ReportedDeviceName(CountedBytes{20, 20, 'E', 'l', 'm', 'o', 'r', 'a', 0, 0}), "Elmora");
    EXPECT_EQ(ReportedDeviceName(CountedBytes{20, 20, 0, 'x'}), "");
    EXPECT_FALSE(ReportedDeviceName(CountedBytes{20, 20}));
    EXPECT_FALSE(ReportedDeviceName(CountedBytes{20, 21, 'E'}));
}

TEST(RowQueue, AFloodWaitsForRoomUntilTakenOrAbandonedAndTheConsumersOwnRowsNeverWait)
{
    CRowQueue queue;
    constexpr std::size_t kRows = CRowQueue::kMostWaiting + 1000;
    std::atomic<std::size_t> pushed{0};
    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (std::size_t i = 0; i < kRows; ++i) {
            queue.Push({ReceivedEntry::Kind::Row, {{}, RowDirection::Received, std::to_string(i), {}, {}}, {}});
            ++pushed;
        }
        done = true;
    });
    while (pushed.load() < CRowQueue::kMostWaiting)
        std::this_thread::yield();
    // Given time to run on, the producer would finish; held at the bound, it cannot.
    for (int spins = 0; spins < 10'000 && !done.load(); ++spins)
        std::this_thread::yield();
    EXPECT_FALSE(done.load());
    // Full: the consumer's own rows still go in, or the UI thread would wait on itself.
    queue.PushNow({});
    std::vector<ReceivedEntry> first = queue.TakeAll();
    ASSERT_EQ(first.size(), CRowQueue::kMostWaiting + 1);
    // Taking makes room: the rest follows, in order.
    std::size_t next = CRowQueue::kMostWaiting;
    while (next < kRows)
        for (ReceivedEntry& entry : queue.TakeAll())
            ASSERT_EQ(entry.row.encoded, std::to_string(next++));
    producer.join();

    // Abandoned, a producer waiting for room returns, and later rows are dropped.
    for (std::size_t i = 0; i < CRowQueue::kMostWaiting; ++i)
        queue.PushNow({});
    std::thread waiting([&] { queue.Push({}); });
    queue.Abandon();
    waiting.join();
    EXPECT_TRUE(queue.TakeAll().empty());
    EXPECT_FALSE(queue.Push({}));
}

// A watched line that the window leaves stops its workers while the window stays: one that waits
// for room gives up when told, its row dropped, and the queue goes on for everyone else.
TEST(RowQueue, AProducerBeingStoppedStopsWaitingForRoom)
{
    CRowQueue queue;
    for (std::size_t i = 0; i < CRowQueue::kMostWaiting; ++i)
        queue.PushNow({});
    std::atomic<bool> stopping{false};
    std::thread waiting([&] { queue.Push({ReceivedEntry::Kind::Row, {{}, RowDirection::Device, "late", {}, {}}, {}}, stopping); });
    stopping = true;
    queue.Wake();
    waiting.join();
    const std::vector<ReceivedEntry> taken = queue.TakeAll();
    EXPECT_EQ(taken.size(), CRowQueue::kMostWaiting);
    EXPECT_NE(taken.back().row.encoded, "late");
    EXPECT_TRUE(queue.Push({}));
}
