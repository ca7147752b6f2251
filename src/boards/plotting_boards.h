#pragma once
// The three plotting boards (X/Y, target height, intercept height) and the
// four pens that record the engagement on them while the computer is settled.

#include <array>
#include <vector>

namespace vorn {

// Colours of the board images, 0xRRGGBB.
inline constexpr int kBoardBackground = 0xA0A0A0;
inline constexpr int kBoardGrid = 0x000000;  // grid lines, borders and the dead-zone curve
inline constexpr int kCarriageColour = 0xFFFFFF;

// The carriage hides a block of the board this size: 6 pixels either side of
// the point and the 16 pixels above it.
inline constexpr int kSaveUnderColumns = 13;
inline constexpr int kSaveUnderRows = 16;
inline constexpr int kNoColour = -1;  // a save-under cell that holds nothing

// A board position, or none.
struct BoardPosition {
  int Bx = 0;
  int By = 0;
  bool Valid = false;  // false: none
};

struct Pen {
  // Where the carriage was last drawn; none after every board drawing.
  BoardPosition PenLastPos;
  // Colours saved from the board image under the carriage, cell (c, r) at
  // [c * kSaveUnderRows + r] for board position (bx - 6 + c, by - 1 - r) of
  // the saved position; kNoColour where the position is not inside the board.
  std::array<int, kSaveUnderColumns * kSaveUnderRows> PenSaveUnder{};
};

// Pens in update order.
enum PenIndex {
  kTargetHeightPen = 0,
  kInterceptHeightPen = 1,
  kTargetXyPen = 2,
  kInterceptXyPen = 3
};

struct BoardState {
  // Board images, 0xRRGGBB, (N + 1) x (N + 1) cells for a board of size N.
  // Cell (bx, by) is stored row by row, at [by * (N + 1) + bx], so that the
  // images are painted in the canvas's own order.
  std::vector<int> XyBoardImage = std::vector<int>(401 * 401, kBoardBackground);
  std::vector<int> TargetHeightImage = std::vector<int>(301 * 301, kBoardBackground);
  std::vector<int> InterceptHeightImage = std::vector<int>(301 * 301, kBoardBackground);
  std::array<Pen, 4> Pens{};  // indexed by PenIndex

  // The ten-second marks: when the last one fell due (reset to Now whenever
  // the boards are drawn afresh), and 1.0 during a tick at which one falls
  // due. The main loop keeps the time; the pens draw the marks.
  double BoardMarkTime = 0.0;
  double BoardMarkDue = 0.0;
};

void DrawPlottingBoards();
void UpdateTargetHeightPen();
void UpdateInterceptHeightPen();
void UpdateTargetXyPen();
void UpdateInterceptXyPen();

// floor(v) as a whole number of board pixels; a quantity too large for the
// boards (or not a number) lands far off every board instead of overflowing.
int FloorToBoard(double v);

}  // namespace vorn
