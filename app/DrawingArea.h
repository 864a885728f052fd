#pragma once
// The main window's client area: a back buffer the map picture is drawn into,
// shown by every paint, so covering and uncovering the window keeps the picture.
// The tool bar panel, the map list and the table and search views are children.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "graphics/Canvas.h"

namespace orv::ui {

// Draws onto the back buffer with one-pixel lines, no antialiasing.
// Draws onto the back buffer: one-pixel lines straight into its pixels (clipped to
// the image, the end point left out as a line-to does), texts through QPainter.
class QtCanvas : public Canvas {
 public:
  QtCanvas(QImage& image, const QFont& font, QColor fontColour);
  int Width() const override { return image_.width(); }
  int Height() const override { return image_.height(); }
  void Erase(Rgb colour) override;
  void SetPen(Rgb colour) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void TextOut(int x, int y, std::string_view cp1252) override;

 private:
  void Line(int x0, int y0, int x1, int y1);
  QImage& image_;
  QFont font_;
  QColor fontColour_;
  std::uint32_t pen_ = 0xFF000000u;
  std::uint32_t* bits_ = nullptr;
  qsizetype stride_ = 0;  // pixels per image row
  int px_ = 0, py_ = 0;
};

class DrawingArea : public QWidget {
  Q_OBJECT
 public:
  explicit DrawingArea(QWidget* parent);

  QImage& buffer() { return buffer_; }
  // Starts drawing into the back buffer; the picture is shown when the canvas ends.
  std::unique_ptr<QtCanvas> canvas(const QFont& font, QColor fontColour);
  void setBackground(QColor c) { background_ = c; }

 signals:
  void mousePressed(QMouseEvent* e);
  void mouseMoved(QMouseEvent* e);
  void clicked(QMouseEvent* e);
  void resized();

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  QImage buffer_;
  QColor background_ = Qt::black;
  bool leftPressed_ = false;
};

}  // namespace orv::ui
