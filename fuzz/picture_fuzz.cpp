// Fuzzes the numeric pictures with any doubles. Every picture the console
// prints is tried with the numbers and the ending its caller uses, and the
// text that reaches the canvas is read back cell by cell; a picture made of
// the input's own bytes is tried as well, for the odd characters and for
// more or fewer numbers than fields. The number formatting itself is checked
// for its shape and its value with fields of every width.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/console_state.h"
#include "display/canvas.h"
#include "display/picture.h"
#include "fuzz_support.h"

namespace {

using vorn::fuzz::Check;

struct ProgramPicture {
  const char* Text;
  int Numbers;
  bool ContinuesLine;  // ended with EndPicture instead of a line break
};

// The console's pictures, with their callers' numbers and endings.
constexpr ProgramPicture kPictures[] = {
    {"TTR Az      ###.# ", 1, false},
    {"TTR EL      ###.# ", 1, false},
    {"TTR RG  ###,### ", 1, false},
    {"MSL Az      ###.# ", 1, false},
    {"MSL EL      ###.# ", 1, false},
    {"MSL RG  ###,### ", 1, false},
    {"# ", 1, true},
    {"# ", 1, false},
    {"Pred Intercept sec ### ", 1, false},
    {"MSL Gyro Degrees  #### ", 1, false},
    {"Flight Time       ####", 1, false},
    {"Tgt Gnd MPH       ####", 1, false},
    {"Missile MPH       ####", 1, false},
    {"##", 1, false},
    {"Miss distance yards  X= ### Y= ### Z= ### Radius= ###  ", 4, false},
    {"Auto# ", 1, true},
    {"Designated Target = ##            ", 1, false},
};
constexpr int kPictureCount = sizeof kPictures / sizeof kPictures[0];

bool IsFieldChar(char ch) {
  return ch == '#' || ch == '.' || ch == ',';
}

struct FieldShape {
  int Width = 0;
  int Decimals = -1;
  bool Grouping = false;
};

// The pictures' fields and the literal texts around them, for the
// console's own pictures (letters, blanks and '=' around '#', '.', ',').
void SplitPicture(const std::string& picture, std::vector<std::string>& literals,
                  std::vector<FieldShape>& fields) {
  std::size_t at = 0;
  literals.emplace_back();
  while (at < picture.size()) {
    if (!IsFieldChar(picture[at])) {
      literals.back() += picture[at++];
      continue;
    }
    FieldShape field;
    for (; at < picture.size() && IsFieldChar(picture[at]); ++at) {
      if (picture[at] == '.') {
        field.Decimals = 0;
      } else if (picture[at] == ',') {
        field.Grouping = true;
        ++field.Width;
      } else if (field.Decimals < 0) {
        ++field.Width;
      } else {
        ++field.Decimals;
      }
    }
    fields.push_back(field);
    literals.emplace_back();
  }
}

// One formatted number: right-aligned in the integer width, the minus sign
// exactly when the value's sign bit is set, groups of three when asked, and
// the value rounded at the working precision and then cut to the decimals.
void CheckFormatted(double value, int width, int decimals, bool grouping) {
  const std::string text = vorn::FormatPictureField(value, width, decimals, grouping);
  const std::string where = "value " + std::to_string(value) + " in W=" + std::to_string(width) +
                            " D=" + std::to_string(decimals) + (grouping ? " grouped" : "") +
                            ": \"" + text + "\"";
  std::size_t at = text.find_first_not_of(' ');
  Check(at != std::string::npos, where + " is blank");
  const std::size_t blanks = at;
  const bool negative = text[at] == '-';
  Check(negative == std::signbit(value), where + ": sign");
  if (negative) ++at;
  std::string digits;
  std::size_t integerEnd = at;
  int sinceComma = -1;
  for (; integerEnd < text.size() && text[integerEnd] != '.'; ++integerEnd) {
    const char ch = text[integerEnd];
    if (ch == ',') {
      Check(grouping && !digits.empty() && (sinceComma < 0 ? digits.size() <= 3 : sinceComma == 3),
            where + ": misplaced comma");
      sinceComma = 0;
      continue;
    }
    Check(ch >= '0' && ch <= '9', where + ": not a digit");
    digits += ch;
    if (sinceComma >= 0) ++sinceComma;
  }
  Check(!digits.empty(), where + ": no integer digits");
  Check(sinceComma < 0 || sinceComma == 3, where + ": last group not three digits");
  Check(!grouping || digits.size() < 4 || sinceComma == 3, where + ": digits not grouped");
  Check(digits.size() == 1 || digits.front() != '0', where + ": leading zero");
  // Blanks only to fill the integer width; a wider number is shown whole.
  Check(blanks == 0 || static_cast<int>(integerEnd) == width, where + ": padding");
  Check(static_cast<int>(integerEnd) >= width, where + ": narrower than its field");
  if (decimals > 0) {
    Check(integerEnd < text.size() &&
              text.size() - integerEnd - 1 == static_cast<std::size_t>(decimals),
          where + ": decimal count");
    const std::string fraction = text.substr(integerEnd + 1);
    Check(fraction.find_first_not_of("0123456789") == std::string::npos, where + ": decimals");
    digits += '.' + fraction;
  } else {
    Check(integerEnd == text.size(), where + ": a point without decimals");
  }
  // Rounded to N decimals, then cut to D: within 10^-D plus half of 10^-N.
  int precision = decimals > 0 ? width + decimals - 1 : width;
  precision = std::min(std::max(precision, 1), 16);
  const double shown = std::strtod(digits.c_str(), nullptr) * (negative ? -1.0 : 1.0);
  const double allowed = std::pow(10.0, -std::max(std::min(decimals, precision), 0)) +
                         0.5 * std::pow(10.0, -precision) + std::fabs(value) * 1e-15;
  Check(std::fabs(shown - value) <= allowed, where + ": shows another value");
  Check(std::fabs(shown) <=
            std::fabs(value) + 0.5 * std::pow(10.0, -precision) + std::fabs(value) * 1e-15,
        where + ": grew past its rounding");
}

// The picture printed from row 1, column `column`, as the console's callers
// do, and read back from the canvas.
void PrintProgramPicture(const ProgramPicture& picture, const std::vector<double>& values,
                         int column) {
  using namespace vorn;
  std::vector<std::string> literals;
  std::vector<FieldShape> fields;
  SplitPicture(picture.Text, literals, fields);
  Check(static_cast<int>(fields.size()) == picture.Numbers, "picture table");

  SetTextPosition(1, column);
  BeginPicture(picture.Text);
  std::string expected;
  for (int i = 0; i < picture.Numbers; ++i) {
    const bool last = i + 1 == picture.Numbers && !picture.ContinuesLine;
    PrintPictureNumber(values[static_cast<std::size_t>(i)], last, last);
    const FieldShape& f = fields[static_cast<std::size_t>(i)];
    expected += literals[static_cast<std::size_t>(i)];
    const double v = values[static_cast<std::size_t>(i)];
    if (std::isfinite(v)) {
      expected += FormatPictureField(v, f.Width, f.Decimals, f.Grouping);
      CheckFormatted(v, f.Width, f.Decimals, f.Grouping);
    } else {
      const int length = f.Width + (f.Decimals >= 0 ? f.Decimals + 1 : 0);
      expected += std::string(static_cast<std::size_t>(length), '*');
    }
  }
  expected += literals[static_cast<std::size_t>(picture.Numbers)];
  if (picture.ContinuesLine) EndPicture();
  Check(!State.Picture.PictureActive && State.Picture.PictureText.empty(),
        "the picture is not released");

  const auto& c = State.Canvas;
  const int start = column - 1;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const int cell = start + static_cast<int>(i);
    Check(vorn::fuzz::CellShows(cell / c.TextColumns + 1, cell % c.TextColumns + 1,
                                static_cast<unsigned char>(expected[i])),
          std::string("\"") + picture.Text + "\" shows another text than \"" + expected + "\"");
  }
  // The cursor stands after the last character, or at the start of the
  // next row after a line break.
  const int last = start + static_cast<int>(expected.size()) - 1;
  if (picture.ContinuesLine)
    Check(c.CursorRow == last / c.TextColumns && c.CursorColumn == last % c.TextColumns + 1,
          "the line does not continue after the picture");
  else
    Check(c.CursorRow == last / c.TextColumns + 1 && c.CursorColumn == 0,
          "the line break does not go to the next row");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vorn;
  fuzz::Input in(data, size);
  // A fresh picture, cursor and colours on a canvas of the chosen mode. The
  // canvas is kept from run to run when its mode stays: every check reads
  // only cells that this run has printed over.
  State.Picture = PictureState{};
  const std::uint8_t choice = in.Byte();
  const bool help = (choice & 0x80) != 0;
  if (State.Canvas.Width != (help ? 800 : 1280))
    OpenScreen(help ? kHelpMode : kConsoleMode, help ? 32 : 16);
  SetColors(0xFFFFFF, 0);

  const int which = (choice & 0x7F) % (kPictureCount + 2);
  if (which < kPictureCount) {
    const ProgramPicture& picture = kPictures[which];
    std::vector<double> values;
    for (int i = 0; i < picture.Numbers; ++i) values.push_back(in.Double());
    const int column = 1 + in.Byte() % State.Canvas.TextColumns;
    PrintProgramPicture(picture, values, column);
  } else if (which == kPictureCount) {
    // The formatting alone, with fields of every size.
    const double value = in.Double();
    const std::uint8_t shape = in.Byte();
    const int width = shape % 24;
    const int decimals = static_cast<int>(in.Byte() % 24) - 1;
    if (std::isfinite(value)) CheckFormatted(value, width, decimals, (shape & 0x80) != 0);
  } else {
    // A picture of the input's bytes, used any which way.
    const std::uint8_t plan = in.Byte();
    const std::string picture = in.Text(48);
    SetTextPosition(1 + in.Byte() % 64, 1 + in.Byte() % 160);
    BeginPicture(picture);
    const int numbers = plan % 6;
    for (int i = 0; i < numbers; ++i) {
      const bool last = i + 1 == numbers && (plan & 0x40) != 0;
      PrintPictureNumber(in.Double(), last, last && (plan & 0x80) != 0);
    }
    if ((plan & 0x20) != 0) EndPicture();
    if ((plan & 0x10) != 0) PrintPictureNumber(in.Double(), true, true);
  }
  return 0;
}
