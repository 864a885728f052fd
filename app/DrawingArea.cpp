#include "app/DrawingArea.h"

#include <QMouseEvent>
#include <QPaintEvent>

#include "app/QtText.h"

namespace orv::ui {

namespace {
QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }
}  // namespace

QtCanvas::QtCanvas(QImage& image, const QFont& font, QColor fontColour)
    : image_(image), painter_(&image), fontColour_(fontColour) {
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, false);
  painter_.setFont(font);
  pen_ = QPen(Qt::black, 0);
  pen_.setCosmetic(true);
  painter_.setPen(pen_);
}

void QtCanvas::Erase(Rgb colour) { image_.fill(ToQColor(colour)); }

void QtCanvas::SetPen(Rgb colour) {
  pen_.setColor(ToQColor(colour));
  painter_.setPen(pen_);
}

void QtCanvas::MoveTo(int x, int y) { pos_ = QPoint(x, y); }

void QtCanvas::LineTo(int x, int y) {
  const QPoint to(x, y);
  painter_.drawLine(pos_, to);
  pos_ = to;
}

void QtCanvas::TextOut(int x, int y, std::string_view cp1252) {
  painter_.setPen(fontColour_);
  const QFontMetrics fm(painter_.font());
  painter_.drawText(QPoint(x, y + fm.ascent()), FromCp1252(cp1252));
  painter_.setPen(pen_);
}

DrawingArea::DrawingArea(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  buffer_ = QImage(1, 1, QImage::Format_RGB32);
  buffer_.fill(background_);
}

std::unique_ptr<QtCanvas> DrawingArea::canvas(const QFont& font, QColor fontColour) {
  update();
  return std::make_unique<QtCanvas>(buffer_, font, fontColour);
}

void DrawingArea::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  p.fillRect(e->rect(), background_);
  p.drawImage(e->rect().topLeft(), buffer_, e->rect());
}

void DrawingArea::resizeEvent(QResizeEvent*) {
  // The picture stays as drawn until the next redraw; new space shows the background.
  const QSize s = size().expandedTo(QSize(1, 1));
  if (s == buffer_.size()) return;
  QImage next(s, QImage::Format_RGB32);
  next.fill(background_);
  {
    QPainter p(&next);
    p.drawImage(0, 0, buffer_);
  }
  buffer_ = std::move(next);
  emit resized();
}

void DrawingArea::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) leftPressed_ = true;
  emit mousePressed(e);
}

void DrawingArea::mouseMoveEvent(QMouseEvent* e) { emit mouseMoved(e); }

void DrawingArea::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && leftPressed_) {
    leftPressed_ = false;
    if (rect().contains(e->position().toPoint())) emit clicked(e);
  }
}

}  // namespace orv::ui
