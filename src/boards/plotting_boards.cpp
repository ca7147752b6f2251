#include "boards/plotting_boards.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "boards/boards_state.h"
#include "display/canvas.h"
#include "model/missile.h"

namespace vorn {

namespace {

// A board: N + 1 cells on each axis, its top-left corner on the screen, and
// its image in the console state.
struct Board {
  int N;
  int Left;
  int Top;
  std::vector<int> BoardState::*Image;
};

constexpr Board kXyBoard{400, 60, 65, &BoardState::XyBoardImage};
constexpr Board kTargetHeightBoard{300, 500, 65, &BoardState::TargetHeightImage};
constexpr Board kInterceptHeightBoard{300, 820, 65, &BoardState::InterceptHeightImage};

// Plan view: 1000 yards per pixel.
constexpr double kYardsToXyPixels = 0.001;
// Height boards: 300 pixels are 33,333 yards (100,000 feet). The factor is
// one unit in the last place below the double nearest 0.009, kept exactly.
constexpr double kYardsToHeightPixels = 0.008999999999999998;
// Height boards: 2 pixels per second of time to intercept.
constexpr double kSecondsToPixels = 2.0;

constexpr int kTrailRed = 0xFF0000;
constexpr int kTrailYellow = 0xFFFF00;
constexpr int kTrailGreen = 0x00FF00;

// Half-width of the carriage d rows above the point: (d - 1) / 3 rounded.
constexpr int kCarriageRows = 14;
constexpr int kCarriageHalfWidth[kCarriageRows + 1] = {0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4};

// A ten-second mark is a corner of two arms of this many pixels.
constexpr int kMarkArm = 6;

struct Label {
  int Row;
  int Column;
  const char* Text;
};

constexpr Label kXyLabels[] = {
    {30, 8, " ^           ^            ^           ^            ^"},
    {31, 8, "200         100                      100          200"},
    {32, 8, "    X,Y Plotting Board, in Thousands of Yards"},
    {33, 8, "-113 miles                0                      +113"},
};
constexpr Label kTargetHeightLabels[] = {
    {25, 62, " ^       ^      ^       ^      ^       ^ "},
    {26, 62, "150     120     90     60      30      0"},
    {27, 62, "       Time to Intercept, in seconds"},
};
constexpr Label kInterceptHeightLabels[] = {
    {25, 102, " ^       ^      ^       ^      ^       ^ "},
    {26, 102, " 0      30     60      90      120     150"},
    {27, 102, "       Time to Intercept, in seconds"},
    {5, 142, "< 100,000 "},
    {8, 142, "< 80,000 "},
    {12, 142, "< 60,000 "},
    {16, 142, "< 40,000 "},
    {20, 142, "< 20,000 "},
    {23, 142, "< 0 "},
    {24, 142, "  Altitude, Feet"},
};

std::vector<int>& ImageOf(const Board& board) {
  return Boards.*board.Image;
}

int& ImageCell(const Board& board, int bx, int by) {
  return ImageOf(board)[static_cast<std::size_t>(by) * static_cast<std::size_t>(board.N + 1) +
                        static_cast<std::size_t>(bx)];
}

bool IsInterior(const Board& board, int bx, int by) {
  return bx > 0 && bx < board.N && by > 0 && by < board.N;
}

void PutBoardPixel(const Board& board, int bx, int by, std::uint32_t pixel) {
  PutPixel(Boards.Canvas, board.Left + bx, board.Top + by, pixel);
}

template <std::size_t Count>
void PrintLabels(const Label (&labels)[Count]) {
  SetColors(0xFFFFFF, -1);
  for (const Label& label : labels) {
    SetTextPosition(label.Row, label.Column);
    PrintText(label.Text, true);
  }
}

// Every cell grey, then black lines at the given columns and rows.
template <std::size_t Columns, std::size_t Rows>
void BuildGrid(const Board& board, const int (&columns)[Columns], const int (&rows)[Rows]) {
  auto& image = ImageOf(board);
  std::fill(image.begin(), image.end(), kBoardBackground);
  for (const int bx : columns)
    for (int by = 0; by <= board.N; ++by) ImageCell(board, bx, by) = kBoardGrid;
  for (const int by : rows)
    for (int bx = 0; bx <= board.N; ++bx) ImageCell(board, bx, by) = kBoardGrid;
}

// The curved area of the intercept height board, two pixels thick, over the
// first 30 s, inside which the missile cannot reliably hit.
void AddDeadZoneCurve() {
  for (int i = 0; i <= 60; ++i) {
    const double v = 100.0 * 100.0 - 3.0 * i * i + 2.0 * 30.0 * i - 30.0 * 30.0;
    const double y = 300.0 - std::sqrt(v);
    ImageCell(kInterceptHeightBoard, i, static_cast<int>(std::nearbyint(y))) = kBoardGrid;
    ImageCell(kInterceptHeightBoard, i, static_cast<int>(std::nearbyint(y - 1.0))) = kBoardGrid;
  }
}

// Copies a whole image to the screen. A fresh image is long runs of grey
// between black grid lines, and most rows repeat the row above, so the image
// goes out in bands of identical rows, each band as one filled box per run
// of equal colour (the canvas fills those a row-run at a time).
void PaintBoard(const Board& board) {
  const int* image = ImageOf(board).data();
  const int size = board.N + 1;
  const auto rowAt = [image, size](int by) {
    return image + static_cast<std::ptrdiff_t>(by) * size;
  };
  for (int top = 0; top < size;) {
    const int* row = rowAt(top);
    int bottom = top + 1;
    while (bottom < size && std::equal(row, row + size, rowAt(bottom))) ++bottom;
    for (int start = 0; start < size;) {
      const int colour = row[start];
      int end = start + 1;
      while (end < size && row[end] == colour) ++end;
      DrawLine(static_cast<float>(board.Left + start), static_cast<float>(board.Top + top),
               static_cast<float>(board.Left + end - 1), static_cast<float>(board.Top + bottom - 1),
               colour, LineKind::FilledBox);
      start = end;
    }
    top = bottom;
  }
}

// Puts back on the screen the colours saved under the carriage.
void EraseCarriage(const Pen& pen, const Board& board) {
  const int bx = pen.PenLastPos.Bx, by = pen.PenLastPos.By;
  for (int c = 0; c < kSaveUnderColumns; ++c) {
    for (int r = 0; r < kSaveUnderRows; ++r) {
      const int saved = pen.PenSaveUnder[static_cast<std::size_t>(c * kSaveUnderRows + r)];
      if (saved != kNoColour) PutBoardPixel(board, bx - 6 + c, by - 1 - r, ConvertColour(saved));
    }
  }
}

void SaveUnder(Pen& pen, const Board& board, int bx, int by) {
  for (int c = 0; c < kSaveUnderColumns; ++c) {
    for (int r = 0; r < kSaveUnderRows; ++r) {
      const int x = bx - 6 + c, y = by - 1 - r;
      pen.PenSaveUnder[static_cast<std::size_t>(c * kSaveUnderRows + r)] =
          IsInterior(board, x, y) ? ImageCell(board, x, y) : kNoColour;
    }
  }
}

// The white arrowhead above the point, on the screen only. It may touch the
// board's right and bottom edges, never its left and top ones.
void DrawCarriage(const Board& board, int bx, int by) {
  const std::uint32_t white = ConvertColour(kCarriageColour);
  for (int d = 1; d <= kCarriageRows; ++d) {
    const int y = by - d;
    if (y <= 0 || y > board.N) continue;
    for (int e = -kCarriageHalfWidth[d]; e <= kCarriageHalfWidth[d]; ++e) {
      const int x = bx + e;
      if (x > 0 && x <= board.N) PutBoardPixel(board, x, y, white);
    }
  }
}

// One point of a trail or mark, in the image and on the screen.
void PlotTrailPoint(const Board& board, int bx, int by, int colour, std::uint32_t pixel) {
  if (!IsInterior(board, bx, by)) return;
  ImageCell(board, bx, by) = colour;
  PutBoardPixel(board, bx, by, pixel);
}

// What every pen does with its position and colour for this tick.
void MovePen(PenIndex index, const Board& board, int bx, int by, int colour) {
  Pen& pen = Boards.Pens[static_cast<std::size_t>(index)];
  const bool markDue = Boards.BoardMarkDue != 0.0;
  if (pen.PenLastPos.Valid) {
    if (pen.PenLastPos.Bx == bx && pen.PenLastPos.By == by && !markDue) return;
    EraseCarriage(pen, board);
  }
  SaveUnder(pen, board, bx, by);
  pen.PenLastPos = BoardPosition{bx, by, true};
  DrawCarriage(board, bx, by);

  const std::uint32_t pixel = ConvertColour(colour);
  PlotTrailPoint(board, bx, by, colour, pixel);
  if (markDue) {
    for (int i = 0; i < kMarkArm; ++i) {
      PlotTrailPoint(board, bx, by + i, colour, pixel);
      PlotTrailPoint(board, bx + i, by, colour, pixel);
    }
  }
}

int XyColumn(double x) {
  return 200 + FloorToBoard(x * kYardsToXyPixels);
}
int XyRow(double y) {
  return 200 - FloorToBoard(y * kYardsToXyPixels);
}
int HeightRow(double alt) {
  return 300 - FloorToBoard(alt * kYardsToHeightPixels);
}

bool PensRun() {
  return Boards.ComputerSettled > 0;
}

}  // namespace

int FloorToBoard(double v) {
  // A million pixels is far off every board and still leaves room for the
  // offsets added to it.
  constexpr double kFar = 1.0e6;
  const double f = std::floor(v);
  if (!(f > -kFar)) return -static_cast<int>(kFar);  // also NaN
  if (f > kFar) return static_cast<int>(kFar);
  return static_cast<int>(f);
}

void DrawPlottingBoards() {
  for (Pen& pen : Boards.Pens) pen.PenLastPos = BoardPosition{};

  constexpr int kXyLines[] = {0, 100, 200, 300, 400};
  BuildGrid(kXyBoard, kXyLines, kXyLines);
  PaintBoard(kXyBoard);
  PrintLabels(kXyLabels);

  // The gap between the two height boards.
  for (int x = 801; x <= 806; ++x)
    DrawLine(static_cast<float>(x), 65.0f, static_cast<float>(x), 365.0f, 0x000000, LineKind::Line);

  // Every 30 s across, every 10,000 feet up; no border lines.
  constexpr int kTimeLines[] = {60, 120, 180, 240};
  constexpr int kHeightLines[] = {30, 60, 90, 120, 150, 180, 210, 240, 270};
  BuildGrid(kTargetHeightBoard, kTimeLines, kHeightLines);
  PaintBoard(kTargetHeightBoard);
  PrintLabels(kTargetHeightLabels);

  BuildGrid(kInterceptHeightBoard, kTimeLines, kHeightLines);
  AddDeadZoneCurve();
  PaintBoard(kInterceptHeightBoard);
  PrintLabels(kInterceptHeightLabels);

  Boards.BoardMarkTime = Boards.Now;
}

// Red: the tracked target's altitude, 150 s at the left edge.
void UpdateTargetHeightPen() {
  if (!PensRun()) return;
  MovePen(kTargetHeightPen, kTargetHeightBoard,
          300 - FloorToBoard(kSecondsToPixels * Boards.TimeToIntercept), HeightRow(Boards.TrackAlt),
          kTrailRed);
}

// The predicted intercept altitude while the missile is ready, then the
// missile's; 0 s at the left edge. Green from the boost to the burst.
void UpdateInterceptHeightPen() {
  if (!PensRun()) return;
  const FlightPhase phase = Boards.MissilePhase;
  const double alt = phase == FlightPhase::Ready ? Boards.PipAlt : Boards.MissileAlt;
  const int colour =
      phase >= FlightPhase::Boost && phase <= FlightPhase::Cruise ? kTrailGreen : kTrailYellow;
  MovePen(kInterceptHeightPen, kInterceptHeightBoard,
          FloorToBoard(kSecondsToPixels * Boards.TimeToIntercept), HeightRow(alt), colour);
}

// Red: the tracked target in plan.
void UpdateTargetXyPen() {
  if (!PensRun()) return;
  MovePen(kTargetXyPen, kXyBoard, XyColumn(Boards.TrackX), XyRow(Boards.TrackY), kTrailRed);
}

// The predicted intercept point while the missile is ready, then the
// missile; green from the launch until the burst.
void UpdateInterceptXyPen() {
  if (!PensRun()) return;
  const FlightPhase phase = Boards.MissilePhase;
  const bool ready = phase == FlightPhase::Ready;
  const double x = ready ? Boards.PipX : Boards.MissileX;
  const double y = ready ? Boards.PipY : Boards.MissileY;
  const int colour =
      phase >= FlightPhase::SettleGyro && phase <= FlightPhase::Cruise ? kTrailGreen : kTrailYellow;
  MovePen(kInterceptXyPen, kXyBoard, XyColumn(x), XyRow(y), colour);
}

}  // namespace vorn
