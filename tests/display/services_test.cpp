#include "display/services.h"

#include <gtest/gtest.h>

#include <limits>
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
}

void Hand(InputEvent::Kind kind, int code, int x, int y) {
  ConsoleInput().Hand(InputEvent{kind, code, x, y});
}
void Press(int bit, int x, int y) {
  Hand(InputEvent::Kind::ButtonDown, bit, x, y);
}
void Release(int bit, int x, int y) {
  Hand(InputEvent::Kind::ButtonUp, bit, x, y);
}

// A click that begins and ends between two reads is seen by the next read,
// once, where it was pressed; a button held stays down for every read, where
// the pointer is.
TEST_F(ServicesTest, QuickClickIsSeenOnceWhereItWasMade) {
  OpenScreen(kConsoleMode, 16);
  Press(kButtonLeft, 100, 200);
  Release(kButtonLeft, 100, 200);
  EXPECT_EQ(ReadMouse().Buttons, 1);
  EXPECT_EQ(ReadMouse().Buttons, 0);

  Press(kButtonRight, 100, 200);
  EXPECT_EQ(ReadMouse().Buttons, 2);
  Hand(InputEvent::Kind::Pointer, 0, 300, 400);
  const MouseReading held = ReadMouse();
  EXPECT_EQ(held.Buttons, 2);
  EXPECT_EQ(held.X, 300);          // held: where the pointer is now
  Press(kButtonMiddle, 300, 400);  // the middle button joins, and both let go
  Release(kButtonMiddle, 300, 400);
  Release(kButtonRight, 300, 400);
  EXPECT_EQ(ReadMouse().Buttons, 4);
  EXPECT_EQ(ReadMouse().Buttons, 0);

  // The hand moves on before the read: the click counts where it was made,
  // even when the pointer has left the canvas since.
  Press(kButtonLeft, 880, 5);
  Release(kButtonLeft, 880, 5);
  Hand(InputEvent::Kind::Pointer, 0, 935, 5);
  MouseReading m = ReadMouse();
  EXPECT_EQ(m.X, 880);
  EXPECT_EQ(m.Y, 5);
  EXPECT_EQ(m.Buttons, 1);
  EXPECT_EQ(ReadMouse().X, 935);
  Press(kButtonLeft, 640, 500);
  Release(kButtonLeft, 640, 500);
  Hand(InputEvent::Kind::Pointer, 0, -1, -1);
  m = ReadMouse();
  EXPECT_EQ(m.X, 640);
  EXPECT_EQ(m.Buttons, 1);
  EXPECT_EQ(ReadMouse().Buttons, -1);

  // Two quick clicks between reads count once, at the first.
  Press(kButtonLeft, 10, 20);
  Release(kButtonLeft, 10, 20);
  Press(kButtonLeft, 30, 40);
  Release(kButtonLeft, 30, 40);
  m = ReadMouse();
  EXPECT_EQ(m.X, 10);
  EXPECT_EQ(m.Buttons, 1);
}

// The rest of what a host hands in: keys and the close request into the key
// ring, the wheel, the focus.
TEST_F(ServicesTest, InputSinkFeedsKeysWheelAndFocus) {
  OpenScreen(kConsoleMode, 16);
  Hand(InputEvent::Kind::Key, 'a', 0, 0);
  Hand(InputEvent::Kind::CloseRequest, 0, 0, 0);
  EXPECT_EQ(ReadKey(), "a");
  EXPECT_EQ(ReadKey(), std::string({static_cast<char>(255), kCloseRequestScanCode}));
  Hand(InputEvent::Kind::Pointer, 0, 50, 60);
  Hand(InputEvent::Kind::Wheel, 3, 0, 0);
  Hand(InputEvent::Kind::Wheel, -1, 0, 0);
  EXPECT_EQ(ReadMouse().Wheel, 2);
  // However many notches come (a crafted journal), the count holds in an int.
  Hand(InputEvent::Kind::Wheel, std::numeric_limits<int>::max(), 0, 0);
  Hand(InputEvent::Kind::Wheel, std::numeric_limits<int>::max(), 0, 0);
  EXPECT_EQ(ReadMouse().Wheel, std::numeric_limits<int>::max());
  for (int i = 0; i < 3; ++i) Hand(InputEvent::Kind::Wheel, std::numeric_limits<int>::min(), 0, 0);
  EXPECT_EQ(ReadMouse().Wheel, std::numeric_limits<int>::min());
  Hand(InputEvent::Kind::Focus, 0, 0, 0);
  EXPECT_EQ(ReadMouse().X, -1);
  Hand(InputEvent::Kind::Focus, 1, 0, 0);
  EXPECT_EQ(ReadMouse().X, 50);
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
