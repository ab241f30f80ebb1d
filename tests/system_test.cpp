// Key tracking, timer tick counting on the virtual clock, and how the program ends.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "engine/platform.h"
#include "engine/platform/headless.h"
#include "engine/stream.h"
#include "engine/system.h"

namespace {

void Queue(int id, int data = 0) { headless::QueueEvent({id, data}); }
void Press(int key) { Queue(platform::kEventKeyDown, key); }
void Release(int key) { Queue(platform::kEventKeyUp, key); }

// Tracking on (as after the window opened), no keys, nothing pending.
class KeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnableKeyTracking(true);
    FlushKeys();
    ClearCloseRequest();
  }
  void TearDown() override {
    FlushKeys();
    EnableKeyTracking(false);
  }
};

TEST_F(KeysTest, PressAndReleaseBeforeTheQueryCountOneHit) {
  Press(kKeySpace);
  Release(kKeySpace);
  EXPECT_EQ(KeyDown(kKeySpace), 0);
  EXPECT_EQ(KeyHit(kKeySpace), 1);
  EXPECT_EQ(KeyHit(kKeySpace), 0);
}

TEST_F(KeysTest, AutoRepeatAndRepeatedPressesOfAHeldKeyCountOnce) {
  Press(kKeySpace);
  for (int i = 0; i < 30; ++i) Queue(platform::kEventKeyRepeat, kKeySpace);
  Press(kKeySpace);  // a second press without a release in between
  EXPECT_EQ(KeyHit(kKeySpace), 1);
  EXPECT_EQ(KeyDown(kKeySpace), 1);
  Queue(platform::kEventKeyRepeat, kKeySpace);
  EXPECT_EQ(KeyHit(kKeySpace), 0);
  Release(kKeySpace);
  EXPECT_EQ(KeyDown(kKeySpace), 0);
}

TEST_F(KeysTest, HitsAccumulateUntilAsked) {
  for (int i = 0; i < 3; ++i) {
    Press(kKeyUp);
    Release(kKeyUp);
  }
  Press(kKeyRight);
  EXPECT_EQ(KeyHit(kKeyUp), 3);
  EXPECT_EQ(KeyHit(kKeyUp), 0);
  EXPECT_EQ(KeyHit(kKeyRight), 1);  // asking for one key leaves the others alone
}

TEST_F(KeysTest, FlushWhileHeldNeedsAFreshPress) {
  Press(kKeyRight);
  EXPECT_EQ(KeyDown(kKeyRight), 1);
  Press(kKeySpace);
  FlushKeys();
  EXPECT_EQ(KeyDown(kKeyRight), 0);
  EXPECT_EQ(KeyHit(kKeySpace), 0);
  Queue(platform::kEventKeyRepeat, kKeyRight);
  EXPECT_EQ(KeyDown(kKeyRight), 0);
  Release(kKeyRight);
  Press(kKeyRight);
  EXPECT_EQ(KeyDown(kKeyRight), 1);
  EXPECT_EQ(KeyHit(kKeyRight), 1);
}

TEST_F(KeysTest, FlushProcessesPendingEventsFirst) {
  Press(kKeySpace);
  FlushKeys();  // the press arrives and is flushed with the rest
  EXPECT_EQ(KeyHit(kKeySpace), 0);
  EXPECT_EQ(KeyDown(kKeySpace), 0);
}

TEST_F(KeysTest, ActivationChangesClearAllKeys) {
  Press(kKeyRight);
  Press(kKeySpace);
  Queue(platform::kEventDeactivate);
  EXPECT_EQ(KeyDown(kKeyRight), 0);
  EXPECT_EQ(KeyHit(kKeySpace), 0);
  EXPECT_EQ(AppSuspended(), 1);

  Press(kKeyUp);  // pressed while away, released where we cannot see it
  Queue(platform::kEventActivate);
  EXPECT_EQ(KeyDown(kKeyUp), 0);
  EXPECT_EQ(KeyHit(kKeyUp), 0);
  EXPECT_EQ(AppSuspended(), 0);
}

TEST_F(KeysTest, CodesOutOfRangeAnswerZero) {
  for (int code : {-1, 0, 256, 100000, -100000}) Press(code);
  for (int code : {-1, 256, 100000, -100000}) {
    EXPECT_EQ(KeyHit(code), 0) << code;
    EXPECT_EQ(KeyDown(code), 0) << code;
  }
  EXPECT_EQ(KeyHit(0), 0);
  Press(255);
  EXPECT_EQ(KeyDown(255), 1);
  EXPECT_EQ(KeyHit(255), 1);
}

TEST_F(KeysTest, KeysAreIgnoredWhileTrackingIsOff) {
  EnableKeyTracking(false);
  Press(kKeySpace);
  Queue(platform::kEventClose);
  EXPECT_EQ(KeyHit(kKeySpace), 0);
  EXPECT_EQ(AppTerminate(), 0);
  EnableKeyTracking(true);
  EXPECT_EQ(KeyDown(kKeySpace), 0);
  Press(kKeySpace);
  EXPECT_EQ(KeyHit(kKeySpace), 1);
}

TEST_F(KeysTest, CloseRequestIsOnlyRecorded) {
  Press(kKeySpace);
  Queue(platform::kEventClose);
  EXPECT_EQ(KeyDown(kKeySpace), 1);
  EXPECT_EQ(AppTerminate(), 1);
  ClearCloseRequest();
  EXPECT_EQ(AppTerminate(), 0);
}

TEST_F(KeysTest, CharactersQueueUpToTheLimitAndFlushEmptiesThem) {
  Queue(platform::kEventKeyChar, 'a');
  Queue(platform::kEventKeyChar, 'b');
  EXPECT_EQ(GetChar(), 'a');
  EXPECT_EQ(GetChar(), 'b');
  EXPECT_EQ(GetChar(), 0);

  for (int i = 0; i < 300; ++i) Queue(platform::kEventKeyChar, 1000 + i);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(GetChar(), 1000 + i);
  EXPECT_EQ(GetChar(), 0);  // the 44 that found the queue full are gone

  Queue(platform::kEventKeyChar, 'c');
  FlushKeys();
  EXPECT_EQ(GetChar(), 0);
}

// The timers run on the headless virtual clock, which moves only through AdvanceClock and the
// waits; every test stops what it starts.
class TimerTest : public KeysTest {
 protected:
  void TearDown() override {
    for (TTimerPtr& timer : timers_) timer->Stop();
    KeysTest::TearDown();
  }
  TTimer& Start(float hertz) {
    TTimerPtr timer = CreateTimer(hertz);
    EXPECT_TRUE(timer);
    timers_.push_back(timer);
    return *timer;
  }
  std::vector<TTimerPtr> timers_;
};

TEST_F(TimerTest, QuickFramesWaitForEachTick) {
  TTimer& timer = Start(50);
  const int start = MilliSecs();
  for (int frame = 1; frame <= 10; ++frame) {
    headless::AdvanceClock(5);  // the frame's work
    ASSERT_EQ(WaitTimer(timer), 1);
    ASSERT_EQ(MilliSecs() - start, 20 * frame);
  }
  EXPECT_EQ(timer.Ticks(), 10);
}

TEST_F(TimerTest, SlowFramesFindTicksCountedAndDoNotCatchUp) {
  TTimer& timer = Start(50);
  const int start = MilliSecs();
  int ticks = 0;
  const int frames = 50;
  for (int frame = 0; frame < frames; ++frame) {
    headless::AdvanceClock(45);
    const int n = WaitTimer(timer);
    ASSERT_TRUE(n == 2 || n == 3) << "frame " << frame << " got " << n;
    ticks += n;
  }
  const int elapsed = MilliSecs() - start;
  EXPECT_EQ(ticks, elapsed / 20);
  EXPECT_EQ(ticks, timer.Ticks());
  const double frames_per_second = frames * 1000.0 / elapsed;
  EXPECT_GT(frames_per_second, 21.0);
  EXPECT_LT(frames_per_second, 23.0);
}

TEST_F(TimerTest, PeriodIsTruncatedToWholeMilliseconds) {
  TTimer& sixty = Start(60);  // 16 ms, not 16.67
  headless::AdvanceClock(160);
  EXPECT_EQ(WaitTimer(sixty), 10);
  EXPECT_FALSE(CreateTimer(0));
  EXPECT_FALSE(CreateTimer(2000));  // below 1 ms
  EXPECT_FALSE(CreateTimer(-5));
}

TEST_F(TimerTest, TimersCountOnlyTheirOwnTicks) {
  TTimer& fast = Start(100);  // 10 ms
  TTimer& slow = Start(25);   // 40 ms
  headless::AdvanceClock(80);
  EXPECT_EQ(WaitTimer(slow), 2);
  EXPECT_EQ(fast.Ticks(), 8);
  EXPECT_EQ(WaitTimer(fast), 8);
}

TEST_F(TimerTest, EventsArriveDuringTheWait) {
  TTimer& timer = Start(50);
  Press(kKeySpace);
  Release(kKeySpace);
  EXPECT_EQ(WaitTimer(timer), 1);
  EnableKeyTracking(false);  // ticks count with tracking off as well
  headless::AdvanceClock(40);
  EXPECT_EQ(WaitTimer(timer), 2);
  EnableKeyTracking(true);
  EXPECT_EQ(KeyHit(kKeySpace), 0);  // switching tracking off flushed the press seen in the wait
}

TEST_F(TimerTest, ACloseRequestEndsTheWaitWithoutATick) {
  TTimer& timer = Start(50);
  const int start = MilliSecs();
  Queue(platform::kEventClose);
  EXPECT_EQ(WaitTimer(timer), 0);
  EXPECT_EQ(MilliSecs(), start);
  EXPECT_EQ(AppTerminate(), 1);
  ClearCloseRequest();
  EXPECT_EQ(WaitTimer(timer), 1);  // once the request is taken, the wait is for a tick again
  EXPECT_EQ(MilliSecs() - start, 20);
}

TEST_F(TimerTest, StoppedTimerReturnsAtOnceAndIgnoresItsPendingTicks) {
  TTimer& timer = Start(50);
  headless::AdvanceClock(60);  // three ticks queued
  timer.Stop();
  EXPECT_EQ(timer.Handle(), 0);
  EXPECT_EQ(WaitTimer(timer), 0);
  PollSystem();
  EXPECT_EQ(timer.Ticks(), 0);
  timer.Stop();
  EXPECT_EQ(WaitTimer(timer), 0);
}

TEST_F(TimerTest, AtMostSixteenRunAtOnce) {
  for (int i = 0; i < 16; ++i) Start(50);
  EXPECT_FALSE(CreateTimer(50));
  timers_.front()->Stop();
  Start(50);
}

TEST(RunGuarded, UnhandledEngineErrorEndsWithItsTextAndStatus255) {
  EXPECT_EXIT(RunGuarded([] { throw TStreamReadException(); }), ::testing::ExitedWithCode(255),
              "^Error reading from stream\n$");
  EXPECT_EXIT(RunGuarded([] { throw std::length_error("vector too long"); }),
              ::testing::ExitedWithCode(255), "^vector too long\n$");
}

TEST(RunGuarded, ErrorExitStillRunsTheAtExitActions) {
  EXPECT_EXIT(RunGuarded([] {
                std::atexit([] { std::fputs("window closed\n", stderr); });
                throw TStreamWriteException();
              }),
              ::testing::ExitedWithCode(255), "^Error writing to stream\nwindow closed\n$");
}

TEST(RunGuarded, NormalReturnGivesZero) {
  bool ran = false;
  EXPECT_EQ(RunGuarded([&] { ran = true; }), 0);
  EXPECT_TRUE(ran);
}

TEST(End, ExitsWithStatusZeroThroughTheAtExitActions) {
  EXPECT_EXIT(
      {
        std::atexit([] { std::fputs("window closed\n", stderr); });
        End();
      },
      ::testing::ExitedWithCode(0), "^window closed\n$");
}

}  // namespace
