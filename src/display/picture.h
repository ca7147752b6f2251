#pragma once
// Numeric pictures: every numeric read-out of the console is printed through
// a short text in which runs of '#', '.' and ',' are number fields and the
// rest is literal text, such as "TTR RG  ###,### ".

#include <cstddef>
#include <string>
#include <string_view>

namespace vorn {

struct PictureState {
  std::string PictureText;        // private copy of the current picture; empty when released
  std::size_t PictureCursor = 0;  // where the next literal text or field starts
  bool PictureActive = false;
};

void BeginPicture(std::string_view picture);
void PrintPictureNumber(double value, bool isLast, bool lineBreak);
void EndPicture();

// The text one number takes in a field of integer width W and decimal count D
// (D = -1 for a field without a point), with or without digit grouping.
std::string FormatPictureField(double value, int integerWidth, int decimalCount, bool grouping);

}  // namespace vorn
