#pragma once
// A canvas that draws nothing and keeps every call, for tests and fuzzers:
// erases, pen changes, lines (each LineTo from the current position in the
// pen colour of the moment), texts with their place, and the raw call order.
#include <cstddef>
#include <string>
#include <vector>

#include "graphics/Canvas.h"

namespace orv {

class RecordingCanvas : public Canvas {
 public:
  struct Line {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    Rgb colour;
    bool operator==(const Line&) const = default;
  };
  struct Text {
    int x = 0, y = 0;
    std::string cp1252;
    bool operator==(const Text&) const = default;
  };
  enum class Op { Erase, SetPen, MoveTo, LineTo, TextOut };
  struct Call {
    Op op = Op::Erase;
    int x = 0, y = 0;  // MoveTo, LineTo, TextOut
    Rgb colour;        // Erase, SetPen
  };

  RecordingCanvas(int width = 800, int height = 600) : width_(width), height_(height) {}

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void Erase(Rgb colour) override;
  void SetPen(Rgb colour) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void TextOut(int x, int y, std::string_view cp1252) override;

  void Resize(int width, int height) { width_ = width; height_ = height; }
  // Forgets every call; the pen and position stay.
  void Clear();

  const std::vector<Line>& Lines() const { return lines_; }
  const std::vector<Text>& Texts() const { return texts_; }
  const std::vector<Rgb>& Erases() const { return erases_; }
  const std::vector<Call>& Calls() const { return calls_; }
  // The pen colours in the order they were set.
  std::vector<Rgb> PenSequence() const;
  std::size_t LineCount(Rgb colour) const;
  std::vector<Line> LinesOf(Rgb colour) const;
  Rgb Pen() const { return pen_; }

 private:
  int width_, height_;
  Rgb pen_ = colours::Black;
  int curX_ = 0, curY_ = 0;
  std::vector<Line> lines_;
  std::vector<Text> texts_;
  std::vector<Rgb> erases_;
  std::vector<Call> calls_;
};

}  // namespace orv
