#pragma once
// The main window's client area: a back buffer the map picture is drawn into,
// shown by every paint, so covering and uncovering the window keeps the picture.
// The tool bar panel, the map list and the table and search views are children.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <memory>

#include "graphics/Canvas.h"

namespace orv::ui {

// Draws onto the back buffer with one-pixel lines, no antialiasing.
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
  QImage& image_;
  QPainter painter_;
  QColor fontColour_;
  QPen pen_;
  QPoint pos_;
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
