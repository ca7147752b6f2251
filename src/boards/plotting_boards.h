#pragma once
// The three plotting boards (X/Y, target height, intercept height) and the
// four pens that record the engagement on them while the computer is settled.

#include <array>
#include <cstdint>
#include <vector>

namespace vorn {

// A board position, or none.
struct BoardPosition {
  int Bx = 0;
  int By = 0;
  bool Valid = false;
};

struct Pen {
  BoardPosition PenLastPos;
  // 13 columns x 16 rows of colours saved from the board image under the
  // carriage, indexed [c * 16 + r]; -1 where nothing was saved.
  std::array<int, 13 * 16> PenSaveUnder{};
};

struct BoardState {
  // Board images, 0xRRGGBB, indexed [bx * size + by].
  std::vector<int> XyBoardImage = std::vector<int>(401 * 401, 0);
  std::vector<int> TargetHeightImage = std::vector<int>(301 * 301, 0);
  std::vector<int> InterceptHeightImage = std::vector<int>(301 * 301, 0);
  // The pens in update order: target height, intercept height, target X/Y, intercept X/Y.
  std::array<Pen, 4> Pens{};
};

void DrawPlottingBoards();
void UpdateTargetHeightPen();
void UpdateInterceptHeightPen();
void UpdateTargetXyPen();
void UpdateInterceptXyPen();

}  // namespace vorn
