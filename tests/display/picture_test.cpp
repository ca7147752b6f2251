#include "display/picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "display/canvas.h"
#include "support/console_test.h"

namespace vorn {
namespace {

using test::ReadCanvasText;

class PictureTest : public test::ConsoleScreenTest {
 protected:
  // Prints the numbers through the picture on row 10, over a row of '~' so
  // that printed blanks show, and reads back what was printed.
  std::string Print(const std::string& picture, const std::vector<double>& values) {
    SetTextPosition(10, 1);
    PrintText(std::string(150, '~'), false);
    SetTextPosition(10, 1);
    BeginPicture(picture);
    for (std::size_t i = 0; i < values.size(); ++i) {
      const bool last = i + 1 == values.size();
      PrintPictureNumber(values[i], last, last);
    }
    const std::string row = ReadCanvasText(10, 1, 150);
    return row.substr(0, row.find('~'));
  }
};

struct WorkedResult {
  const char* Picture;
  std::vector<double> Values;
  const char* Printed;
};

TEST_F(PictureTest, WorkedResultsReadBackFromTheCanvas) {
  const WorkedResult results[] = {
      {"TTR Az      ###.# ", {123.456}, "TTR Az      123.4 "},
      {"TTR Az      ###.# ", {5.2}, "TTR Az        5.2 "},
      {"TTR Az      ###.# ", {359.99}, "TTR Az      359.9 "},
      {"TTR Az      ###.# ", {359.99999}, "TTR Az      360.0 "},
      {"TTR EL      ###.# ", {-0.04}, "TTR EL       -0.0 "},
      {"TTR EL      ###.# ", {45.67}, "TTR EL       45.6 "},
      {"TTR RG  ###,### ", {30000}, "TTR RG   30,000 "},
      {"TTR RG  ###,### ", {999}, "TTR RG      999 "},
      {"TTR RG  ###,### ", {1234567}, "TTR RG  1,234,567 "},
      {"TTR RG  ###,### ", {200000}, "TTR RG  200,000 "},
      {"##", {9}, " 9"},
      {"##", {-12}, "-12"},
      {"Pred Intercept sec ### ", {42.7}, "Pred Intercept sec  42 "},
      {"MSL Gyro Degrees  #### ", {-12.5}, "MSL Gyro Degrees   -12 "},
      {"Flight Time       ####", {-0.3}, "Flight Time         -0"},
      {"Flight Time       ####", {0}, "Flight Time          0"},
      {"TTR Az      ###.# ", {0}, "TTR Az        0.0 "},
      {"Miss distance yards  X= ### Y= ### Z= ### Radius= ###  ",
       {12, 3, 0, 13},
       "Miss distance yards  X=  12 Y=   3 Z=   0 Radius=  13  "},
      {"Designated Target = ##            ", {5}, "Designated Target =  5            "},
  };
  for (const auto& r : results) {
    SCOPED_TRACE(r.Picture);
    EXPECT_EQ(Print(r.Picture, r.Values), r.Printed);
    EXPECT_EQ(State.Canvas.CursorRow, 10);  // 0-based: the line break went to row 11
    EXPECT_EQ(State.Canvas.CursorColumn, 0);
  }
}

TEST_F(PictureTest, EndPictureContinuesTheLine) {
  SetTextPosition(5, 1);
  BeginPicture("Auto# ");
  PrintPictureNumber(3, false, false);
  EndPicture();
  PrintText("x", false);
  EXPECT_EQ(ReadCanvasText(5, 1, 7), "Auto3 x");
  EXPECT_FALSE(State.Picture.PictureActive);
}

// Fields for a value, digits before the point, digits after it (-1: no
// point) and thousands separators. Wide numbers push the rest right; the sign
// survives a zero and takes a position; decimals are cut after the working
// rounding.
TEST_F(PictureTest, FieldsOfNumbers) {
  const struct {
    double Value;
    int Digits, Decimals;
    bool Commas;
    const char* Text;
  } fields[] = {{-12, 2, -1, false, "-12"},      {123456, 3, -1, false, "123456"},
                {-0.3, 4, -1, false, "  -0"},    {-0.0, 4, -1, false, "  -0"},
                {-0.04, 3, 1, false, " -0.0"},   {-999, 3, -1, false, "-999"},
                {-1234, 7, -1, true, " -1,234"}, {12.9, 4, -1, false, "  12"},
                {99.99, 3, 1, false, " 99.9"},   {99.9999, 3, 1, false, "100.0"},
                {100, 1, -1, false, "100"}};
  for (const auto& f : fields) {
    EXPECT_EQ(FormatPictureField(f.Value, f.Digits, f.Decimals, f.Commas), f.Text) << f.Value;
  }
  SetTextPosition(7, 1);
  BeginPicture("Pred Intercept sec ### ");
  PrintPictureNumber(12345, true, false);
  EXPECT_EQ(ReadCanvasText(7, 1, 25), "Pred Intercept sec 12345 ");
}

TEST_F(PictureTest, AnyDoubleIsSafe) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double huge = std::numeric_limits<double>::max();
  const double tiny = std::numeric_limits<double>::denorm_min();
  EXPECT_EQ(Print("TTR RG  ###,### ", {inf}), "TTR RG  ******* ");
  EXPECT_EQ(Print("TTR Az      ###.# ", {-inf}), "TTR Az      ***** ");
  EXPECT_EQ(Print("##", {nan}), "**");
  const std::string hugeText = FormatPictureField(huge, 7, -1, true);
  EXPECT_EQ(hugeText.size(), 309u + 102u);  // every digit, grouped
  EXPECT_EQ(hugeText.substr(0, 4), "179,");
  EXPECT_EQ(FormatPictureField(-huge, 3, 1, false).size(), 312u);
  EXPECT_EQ(FormatPictureField(tiny, 3, 1, false), "  0.0");
  EXPECT_EQ(FormatPictureField(-tiny, 4, -1, false), "  -0");
}

TEST_F(PictureTest, ExtraNumbersReuseThePictureAndReleaseItAtTheEnd) {
  SetTextPosition(3, 1);
  BeginPicture("A## ");
  PrintPictureNumber(1, false, false);
  PrintPictureNumber(2, true, false);
  EXPECT_EQ(ReadCanvasText(3, 1, 8), "A 1 A 2 ");
  EXPECT_FALSE(State.Picture.PictureActive);
  // A number with no picture at all still prints, in the narrowest field.
  PrintPictureNumber(7, true, false);
  EXPECT_EQ(ReadCanvasText(3, 9, 1), "7");
}

}  // namespace
}  // namespace vorn
