#include "device/worker_platform.h"

#include <gtest/gtest.h>

#include <atomic>

TEST(WorkerPlatform, ElapsedTicksSurviveTheWrap) {
    struct Case {
        const char* name;
        uint32_t earlier;
        uint32_t later;
        uint32_t expected;
    } cases[] = {
        {"no wrap", 1000, 4000, 3000},
        {"same tick", 77, 77, 0},
        {"wrap by one", 0xFFFFFFFFu, 0, 1},
        {"limit straddling the wrap", 0xFFFFFE0Cu, 500, 1000},
        {"dump silence across the wrap", 0xFFFFF830u, 1000, 3000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ticksBetween(c.earlier, c.later), c.expected) << c.name;
    }
}

// Windows ticks advance in steps of 10 to 16 ms, so a measured time may fall
// short of the true one by one step.
constexpr uint32_t kTickStepMs = 16;

TEST(WorkerPlatform, TickFollowsSleeps) {
    uint32_t start = tickCount();
    sleepMs(120);
    uint32_t elapsed = ticksBetween(start, tickCount());
    EXPECT_GE(elapsed, 120u - kTickStepMs);
    EXPECT_LT(elapsed, 1000u);
}

TEST(WorkerPlatform, OneSignalReleasesOneWait) {
    AutoResetEvent event;
    struct Step {
        const char* name;
        int sets;
        bool resetFirst;
        WaitResult expected;
    } steps[] = {
        {"created not signalled", 0, false, WaitResult::TimedOut},
        {"a signal releases a wait", 1, false, WaitResult::Signalled},
        {"the release used the signal up", 0, false, WaitResult::TimedOut},
        {"two signals count as one", 2, false, WaitResult::Signalled},
        {"nothing left of the second signal", 0, false, WaitResult::TimedOut},
        {"reset drops a pending signal", 1, true, WaitResult::TimedOut},
    };
    for (const Step& s : steps) {
        for (int i = 0; i < s.sets; ++i)
            event.set();
        if (s.resetFirst)
            event.reset();
        EXPECT_EQ(event.wait(30), s.expected) << s.name;
    }
}

TEST(WorkerPlatform, WaitTimesOutAfterItsTime) {
    AutoResetEvent event;
    uint32_t start = tickCount();
    EXPECT_EQ(event.wait(200), WaitResult::TimedOut);
    uint32_t elapsed = ticksBetween(start, tickCount());
    EXPECT_GE(elapsed, 200u - kTickStepMs);
    EXPECT_LT(elapsed, 1500u);
}

namespace {

struct Rendezvous {
    AutoResetEvent go;
    AutoResetEvent done;
    std::atomic<int> runs{0};
};

uint32_t waitForGo(void* argument) {
    Rendezvous& r = *static_cast<Rendezvous*>(argument);
    if (r.go.wait(5000) == WaitResult::Signalled)
        ++r.runs;
    r.done.set();
    return 0;
}

} // namespace

TEST(WorkerPlatform, ThreadRunsAndCanBeAwaited) {
    Rendezvous r;
    WorkerThread thread;
    EXPECT_TRUE(thread.wait(0)) << "no thread counts as ended";
    ASSERT_TRUE(thread.start(waitForGo, &r));
    EXPECT_TRUE(thread.exists());
    EXPECT_FALSE(thread.wait(50)) << "the thread waits for its go";
    r.go.set();
    EXPECT_TRUE(thread.wait(5000));
    EXPECT_EQ(r.runs.load(), 1);
    EXPECT_TRUE(thread.exists()) << "the handle outlives the thread";
    thread.join();
    EXPECT_FALSE(thread.exists());
}

TEST(WorkerPlatform, ClosingLetsARunningThreadGoOn) {
    Rendezvous r;
    WorkerThread thread;
    ASSERT_TRUE(thread.start(waitForGo, &r));
    thread.close();
    EXPECT_FALSE(thread.exists());
    ASSERT_TRUE(thread.start(waitForGo, &r));
    // Both threads wait; each signal releases exactly one of them.
    r.go.set();
    EXPECT_EQ(r.done.wait(5000), WaitResult::Signalled);
    r.go.set();
    EXPECT_EQ(r.done.wait(5000), WaitResult::Signalled);
    thread.join();
    EXPECT_EQ(r.runs.load(), 2);
}
