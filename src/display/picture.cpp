#include "display/picture.h"

#include <cmath>
#include <cstdio>

#include "display/canvas.h"
#include "display/display_state.h"

namespace vorn {

namespace {

bool StartsField(char ch) {
  return ch == '#' || ch == '.' || ch == ',';
}

// Characters that end literal text without starting a field of the kinds the
// console uses; '_' makes the character after it literal.
bool StopsLiteral(char ch) {
  return StartsField(ch) || ch == '!' || ch == '&' || ch == '\\' || ch == '$' || ch == '*' ||
         ch == '+';
}

// Prints the literal text from the cursor up to the next field.
void EmitPictureLiteral() {
  auto& picture = Display.Picture;
  const std::string& text = picture.PictureText;
  std::string literal;
  while (picture.PictureCursor < text.size()) {
    char ch = text[picture.PictureCursor];
    if (ch == '_' && picture.PictureCursor + 1 < text.size()) {
      literal += text[picture.PictureCursor + 1];
      picture.PictureCursor += 2;
      continue;
    }
    if (StopsLiteral(ch)) break;
    literal += ch;
    ++picture.PictureCursor;
  }
  if (!literal.empty()) PrintText(literal, false);
}

struct Field {
  int IntegerWidth = 0;
  int DecimalCount = -1;
  bool Grouping = false;
  bool TrailingComma = false;
  int Length = 0;  // characters the field takes in the picture
};

Field ReadField() {
  auto& picture = Display.Picture;
  const std::string& text = picture.PictureText;
  Field field;
  bool groupingCounted = false;
  while (picture.PictureCursor < text.size() && StartsField(text[picture.PictureCursor])) {
    const char ch = text[picture.PictureCursor];
    const bool hashFollows =
        picture.PictureCursor + 1 < text.size() && text[picture.PictureCursor + 1] == '#';
    if (ch == '#') {
      if (field.DecimalCount < 0)
        ++field.IntegerWidth;
      else
        ++field.DecimalCount;
    } else if (ch == '.') {
      field.DecimalCount = 0;
    } else if (hashFollows) {
      field.Grouping = true;
      if (!groupingCounted) ++field.IntegerWidth;
      groupingCounted = true;
    } else {
      field.TrailingComma = true;
    }
    ++field.Length;
    ++picture.PictureCursor;
  }
  return field;
}

// The value in fixed point with exactly `decimals` digits after the point.
std::string FormatFixed(double value, int decimals) {
  const int size = std::snprintf(nullptr, 0, "%.*f", decimals, value);
  std::string text(static_cast<std::size_t>(size) + 1, '\0');
  std::snprintf(text.data(), text.size(), "%.*f", decimals, value);
  text.resize(static_cast<std::size_t>(size));
  return text;
}

}  // namespace

std::string FormatPictureField(double value, int integerWidth, int decimalCount, bool grouping) {
  // Working precision: one finer rounding before the decimals are cut.
  int precision = decimalCount > 0 ? integerWidth + decimalCount - 1 : integerWidth;
  if (precision < 1) precision = 1;
  if (precision > 16) precision = 16;

  std::string text = FormatFixed(value, precision);
  while (!text.empty() && text.back() == '0') text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();

  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.erase(0, 1);
  std::size_t point = text.find('.');
  if (point == std::string::npos && decimalCount > 0) {
    text += '.';
    point = text.size() - 1;
  }
  if (point == std::string::npos) point = text.size();

  if (grouping) {
    for (std::size_t at = point; at > 3; at -= 3) text.insert(at - 3, 1, ',');
    point = text.find('.');
    if (point == std::string::npos) point = text.size();
  }
  std::size_t length = point;
  if (negative) {
    text.insert(0, 1, '-');
    ++length;
    ++point;
  }
  if (integerWidth > 0 && length < static_cast<std::size_t>(integerWidth)) {
    const std::size_t pad = static_cast<std::size_t>(integerWidth) - length;
    text.insert(0, pad, ' ');
    point += pad;
  }
  if (decimalCount > 0) {
    std::string decimals = point < text.size() ? text.substr(point + 1) : std::string();
    decimals.resize(static_cast<std::size_t>(decimalCount), '0');
    text = text.substr(0, point) + "." + decimals;
  } else {
    text.resize(point);
  }
  return text;
}

void BeginPicture(std::string_view picture) {
  Display.Picture.PictureText = std::string(picture);
  Display.Picture.PictureCursor = 0;
  Display.Picture.PictureActive = true;
}

void PrintPictureNumber(double value, bool isLast, bool lineBreak) {
  auto& picture = Display.Picture;
  // Extra numbers start the picture over.
  if (picture.PictureCursor >= picture.PictureText.size()) picture.PictureCursor = 0;
  EmitPictureLiteral();
  const Field field = ReadField();
  std::string number;
  if (std::isfinite(value)) {
    number = FormatPictureField(value, field.IntegerWidth, field.DecimalCount, field.Grouping);
    if (field.TrailingComma) number += ',';
  } else {
    // Not a number to show: fill the field so it cannot be taken for one.
    number.assign(static_cast<std::size_t>(field.Length > 0 ? field.Length : 1), '*');
  }
  PrintText(number, false);
  EmitPictureLiteral();
  if (isLast) {
    if (lineBreak) PrintNewLine();
    picture = PictureState{};
  }
}

void EndPicture() {
  if (Display.Picture.PictureCursor >= Display.Picture.PictureText.size())
    Display.Picture.PictureCursor = Display.Picture.PictureText.size();
  EmitPictureLiteral();
  Display.Picture = PictureState{};
}

}  // namespace vorn
