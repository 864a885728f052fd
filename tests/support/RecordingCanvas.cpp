#include "support/RecordingCanvas.h"

#include <algorithm>

namespace orv {

void RecordingCanvas::Erase(Rgb colour) {
  erases_.push_back(colour);
  calls_.push_back({Op::Erase, 0, 0, colour});
}

void RecordingCanvas::SetPen(Rgb colour) {
  pen_ = colour;
  calls_.push_back({Op::SetPen, 0, 0, colour});
}

void RecordingCanvas::MoveTo(int x, int y) {
  curX_ = x;
  curY_ = y;
  calls_.push_back({Op::MoveTo, x, y, {}});
}

void RecordingCanvas::LineTo(int x, int y) {
  lines_.push_back({curX_, curY_, x, y, pen_});
  curX_ = x;
  curY_ = y;
  calls_.push_back({Op::LineTo, x, y, {}});
}

void RecordingCanvas::TextOut(int x, int y, std::string_view cp1252) {
  texts_.push_back({x, y, std::string(cp1252)});
  calls_.push_back({Op::TextOut, x, y, {}});
}

void RecordingCanvas::Clear() {
  lines_.clear();
  texts_.clear();
  erases_.clear();
  calls_.clear();
}

std::vector<Rgb> RecordingCanvas::PenSequence() const {
  std::vector<Rgb> pens;
  for (const Call& c : calls_)
    if (c.op == Op::SetPen) pens.push_back(c.colour);
  return pens;
}

std::size_t RecordingCanvas::LineCount(Rgb colour) const {
  return static_cast<std::size_t>(
      std::count_if(lines_.begin(), lines_.end(), [&](const Line& l) { return l.colour == colour; }));
}

std::vector<RecordingCanvas::Line> RecordingCanvas::LinesOf(Rgb colour) const {
  std::vector<Line> out;
  for (const Line& l : lines_)
    if (l.colour == colour) out.push_back(l);
  return out;
}

}  // namespace orv
