#include "display/services.h"

#include <gtest/gtest.h>

#include <string>

#include "display/canvas.h"
#include "support/console_test.h"

namespace vorn {
namespace {

class ServicesTest : public test::ConsoleTest {};

TEST_F(ServicesTest, FullKeyRingKeepsTheLastFifteen) {
  for (int i = 0; i < 20; ++i) QueueKey('a' + i);
  std::string read;
  for (std::string key = ReadKey(); !key.empty(); key = ReadKey()) read += key;
  EXPECT_EQ(read, "fghijklmnopqrst");
  EXPECT_FALSE(KeyWaiting());
  EXPECT_EQ(ReadKey(), "");
}

TEST_F(ServicesTest, SpecialKeysReadAsTwoCharacters) {
  const std::string prefix(1, static_cast<char>(255));
  const struct {
    int Code;
    char Second;
  } keys[] = {{kKeyUp, 'H'},     {kKeyDown, 'P'},     {kKeyLeft, 'K'}, {kKeyRight, 'M'},
              {kKeyInsert, 'R'}, {kKeyDelete, 'S'},   {kKeyHome, 'G'}, {kKeyEnd, 'O'},
              {kKeyPageUp, 'I'}, {kKeyPageDown, 'Q'}, {kKeyF1, 59},    {kKeyF1 + 9, 68}};
  std::string seconds;
  for (const auto& key : keys) {
    QueueKey(key.Code);
    EXPECT_EQ(ReadKey(), prefix + key.Second) << key.Code;
    seconds += key.Second;
  }
  // Lower-cased, Down and Page Down are not "p" and "q".
  QueueKey(kKeyDown);
  EXPECT_EQ(LowerCaseKey(ReadKey()), prefix + "p");
  QueueKey(kKeyPageDown);
  EXPECT_NE(LowerCaseKey(ReadKey()), "q");
  // The close request's second character is its own.
  QueueKey(kKeyCloseRequest);
  const std::string close = ReadKey();
  ASSERT_EQ(close.size(), 2u);
  EXPECT_EQ(close[0], static_cast<char>(255));
  EXPECT_EQ(seconds.find(close[1]), std::string::npos);
  EXPECT_EQ(LowerCaseKey("AbZ{@"), "abz{@");
}

TEST_F(ServicesTest, ShortSleepsIgnoreTheKeyboard) {
  QueueKey('x');
  const double start = Host().Time();
  SleepMs(10);
  EXPECT_NEAR(Host().Time() - start, 0.010, 1e-9);
  SleepMs(0);
  SleepMs(-5);
  EXPECT_NEAR(Host().Time() - start, 0.010, 1e-9);
  EXPECT_TRUE(KeyWaiting());
}

TEST_F(ServicesTest, LongSleepsGoInSlicesAndStopForAKey) {
  double start = Host().Time();
  SleepMs(175);
  EXPECT_NEAR(Host().Time() - start, 0.175, 1e-9);

  QueueKey('x');
  start = Host().Time();
  SleepMs(175);
  EXPECT_EQ(Host().Time(), start);
  EXPECT_EQ(ReadKey(), "x");

  // A key arriving during the second slice ends the sleep after it.
  start = Host().Time();
  Host().ScheduleKey(start + 0.060, 'y');
  SleepMs(175);
  EXPECT_NEAR(Host().Time() - start, 0.100, 1e-9);
  EXPECT_EQ(ReadKey(), "y");
}

TEST_F(ServicesTest, WaitingForAKeyDiscardsEarlierOnes) {
  QueueKey('a');
  QueueKey('b');
  const double start = Host().Time();
  Host().ScheduleKey(start + 0.3, 'c');
  SleepMs(-1);
  EXPECT_GE(Host().Time() - start, 0.3);
  EXPECT_EQ(ReadKey(), "c");
  EXPECT_FALSE(KeyWaiting());
}

TEST_F(ServicesTest, MouseRules) {
  OpenScreen(kConsoleMode, 16);
  auto& mouse = State.Mouse;
  mouse.PointerX = 100;
  mouse.PointerY = 200;
  mouse.Buttons = 1;
  mouse.Wheel = 3;
  MouseReading m = ReadMouse();
  EXPECT_EQ(m.X, 100);
  EXPECT_EQ(m.Y, 200);
  EXPECT_EQ(m.Wheel, 3);
  EXPECT_EQ(m.Buttons, 1);

  mouse.WindowActive = false;
  m = ReadMouse();
  EXPECT_EQ(m.X, -1);
  EXPECT_EQ(m.Buttons, -1);
  EXPECT_EQ(mouse.Buttons, 1);  // an inactive window keeps its buttons
  mouse.WindowActive = true;

  // Off the canvas the buttons are forgotten until pressed again.
  for (const auto& [x, y] : {std::pair{-1, 5}, std::pair{1280, 5}, std::pair{5, 1024}}) {
    mouse.PointerX = x;
    mouse.PointerY = y;
    mouse.Buttons = 1;
    m = ReadMouse();
    EXPECT_EQ(m.X, -1);
    EXPECT_EQ(m.Y, -1);
    EXPECT_EQ(m.Wheel, -1);
    EXPECT_EQ(m.Buttons, -1);
    mouse.PointerX = 640;
    mouse.PointerY = 512;
    EXPECT_EQ(ReadMouse().Buttons, 0);
  }

  // Full screen clamps the pointer to the canvas.
  mouse.FullScreen = true;
  mouse.PointerX = 1500;
  mouse.PointerY = -20;
  mouse.Buttons = 2;
  m = ReadMouse();
  EXPECT_EQ(m.X, 1279);
  EXPECT_EQ(m.Y, 0);
  EXPECT_EQ(m.Buttons, 2);
}

// A click that begins and ends between two reads is seen by the next read,
// once; a button held stays down for every read.
TEST_F(ServicesTest, QuickClickIsSeenOnce) {
  OpenScreen(kConsoleMode, 16);
  State.Mouse.PointerX = 100;
  State.Mouse.PointerY = 200;
  SetMouseButtons(1);
  SetMouseButtons(0);
  EXPECT_EQ(ReadMouse().Buttons, 1);
  EXPECT_EQ(ReadMouse().Buttons, 0);

  SetMouseButtons(2);
  EXPECT_EQ(ReadMouse().Buttons, 2);
  EXPECT_EQ(ReadMouse().Buttons, 2);
  SetMouseButtons(6);  // the middle button joins, and both let go
  SetMouseButtons(0);
  EXPECT_EQ(ReadMouse().Buttons, 4);
  EXPECT_EQ(ReadMouse().Buttons, 0);

  // Leaving the canvas forgets a quick click too.
  SetMouseButtons(1);
  SetMouseButtons(0);
  State.Mouse.PointerX = -1;
  EXPECT_EQ(ReadMouse().Buttons, -1);
  State.Mouse.PointerX = 100;
  EXPECT_EQ(ReadMouse().Buttons, 0);
}

TEST_F(ServicesTest, GeneratorStartsFromOneInEveryRun) {
  EXPECT_EQ(NextRandom(1), 0.001251220703125);
  EXPECT_EQ(NextRandom(0), 0.001251220703125);
  EXPECT_EQ(NextRandom(1), 18467.0 / 32768.0);
  EXPECT_EQ(NextRandom(1), 6334.0 / 32768.0);
  ResetConsoleState();
  EXPECT_EQ(NextRandom(1), 41.0 / 32768.0);
  for (int i = 0; i < 100000; ++i) {
    const double u = NextRandom(1);
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
  }
}

}  // namespace
}  // namespace vorn
