#include "app/DrawingArea.h"

#include <QMouseEvent>
#include <QPaintEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/QtText.h"

namespace orv::ui {

namespace {
QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }
}  // namespace

QtCanvas::QtCanvas(QImage& image, const QFont& font, QColor fontColour)
    : image_(image), font_(font), fontColour_(fontColour) {
  if (image_.format() != QImage::Format_RGB32 && image_.format() != QImage::Format_ARGB32)
    image_ = image_.convertToFormat(QImage::Format_RGB32);
  bits_ = reinterpret_cast<std::uint32_t*>(image_.bits());  // detaches a shared image once
  stride_ = image_.bytesPerLine() / 4;
}

void QtCanvas::Erase(Rgb colour) { image_.fill(ToQColor(colour)); }

void QtCanvas::SetPen(Rgb colour) { pen_ = 0xFF000000u | (std::uint32_t{colour.r} << 16) | (colour.g << 8) | colour.b; }

void QtCanvas::MoveTo(int x, int y) {
  px_ = x;
  py_ = y;
}

void QtCanvas::LineTo(int x, int y) {
  Line(px_, py_, x, y);
  px_ = x;
  py_ = y;
}

void QtCanvas::Line(int x0, int y0, int x1, int y1) {
  const int w = image_.width(), h = image_.height();
  if ((x0 < 0 && x1 < 0) || (y0 < 0 && y1 < 0) || (x0 >= w && x1 >= w) || (y0 >= h && y1 >= h)) return;
  bool keepEnd = false;
  if (x0 < 0 || y0 < 0 || x1 < 0 || y1 < 0 || x0 >= w || y0 >= h || x1 >= w || y1 >= h) {
    // Cut the line to the image first (Liang-Barsky), so far-away ends cost nothing.
    double t0 = 0, t1 = 1;
    const double dx = double(x1) - x0, dy = double(y1) - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {double(x0), double(w - 1) - x0, double(y0), double(h - 1) - y0};
    for (int i = 0; i < 4; ++i) {
      if (p[i] == 0) {
        if (q[i] < 0) return;
      } else {
        const double t = q[i] / p[i];
        if (p[i] < 0) t0 = std::max(t0, t);
        else t1 = std::min(t1, t);
      }
    }
    if (t0 > t1) return;
    keepEnd = t1 < 1;  // the true end lies outside: the cut end is drawn
    const int nx0 = int(std::lround(x0 + t0 * dx)), ny0 = int(std::lround(y0 + t0 * dy));
    const int nx1 = int(std::lround(x0 + t1 * dx)), ny1 = int(std::lround(y0 + t1 * dy));
    x0 = nx0; y0 = ny0; x1 = nx1; y1 = ny1;
  }
  // Both ends lie inside the image now, and so does every pixel between them.
  const int adx = std::abs(x1 - x0), ady = std::abs(y1 - y0);
  const qsizetype stepX = x0 < x1 ? 1 : -1;
  const qsizetype stepY = y0 < y1 ? stride_ : -stride_;
  std::uint32_t* pixel = bits_ + qsizetype(y0) * stride_ + x0;
  const std::uint32_t colour = pen_;
  if (adx >= ady) {
    const int n = adx + (keepEnd ? 1 : 0);
    int err = adx / 2;
    for (int i = 0; i < n; ++i) {
      *pixel = colour;
      pixel += stepX;
      err -= ady;
      if (err < 0) {
        pixel += stepY;
        err += adx;
      }
    }
  } else {
    const int n = ady + (keepEnd ? 1 : 0);
    int err = ady / 2;
    for (int i = 0; i < n; ++i) {
      *pixel = colour;
      pixel += stepY;
      err -= adx;
      if (err < 0) {
        pixel += stepX;
        err += ady;
      }
    }
  }
}

void QtCanvas::TextOut(int x, int y, std::string_view cp1252) {
  QPainter painter(&image_);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  painter.setFont(font_);
  painter.setPen(fontColour_);
  const QFontMetrics fm(font_);
  painter.drawText(QPoint(x, y + fm.ascent()), FromCp1252(cp1252));
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
