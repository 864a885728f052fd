// A whole redraw of the largest map into the window's back buffer, next to the
// very same lines drawn raw with QPainter, one call a line.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <memory>
#include <vector>

#include "app/DrawingArea.h"
#include "graphics/ViewModel.h"
#include "support/RecordingCanvas.h"

namespace {

using namespace orv;

struct Setup {
  TrigTables trig;
  ViewParams view;
  SceneFlags flags;
  ImageSet images;
  ActiveMap map;
  WindowColours colours;
  std::unique_ptr<Scene> scene = std::make_unique<Scene>();
  QImage buffer{1280, 800, QImage::Format_RGB32};
  QFont font;

  // smooth: a map as controllers hold them; noisy: every cell jumps (the worst case,
  // long up-and-down lines everywhere).
  explicit Setup(bool smooth) {
    BuildTrigTables(trig);
    ViewStart(view, buffer.width(), buffer.height());
    flags.OriginalZeigen = flags.TuningZeigen = true;
    map.KfXDim = map.KfYDim = 64;
    map.KfZellen = 4096;
    map.KfTyp = "I16";
    map.KfAdresse = 0x100;
    map.KfKreuz = 1;
    map.KfXText = "Drehzahl";
    map.KfYText = "Last";
    const std::size_t size = 0x100 + 2 * 4096 + 64;
    images.OriginalPuffer.assign(size + 1, 0);
    images.TuningPuffer.assign(size + 1, 0);
    for (std::size_t i = 0; i < size; ++i) {
      images.OriginalPuffer[i] = static_cast<std::uint8_t>(i * 7 + (i >> 7));
      images.TuningPuffer[i] = static_cast<std::uint8_t>(i * 11 + (i >> 5));
    }
    if (smooth) {
      for (int r = 0; r < 64; ++r)
        for (int c = 0; c < 64; ++c) {
          const int v = 8000 + 500 * c + 300 * r + 20 * c * r;  // "I16", low byte first
          const std::size_t at = 0x100 + 2 * std::size_t(r * 64 + c);
          images.OriginalPuffer[at] = images.TuningPuffer[at] = static_cast<std::uint8_t>(v & 0xFF);
          images.OriginalPuffer[at + 1] = static_cast<std::uint8_t>(v >> 8);
          images.TuningPuffer[at + 1] = static_cast<std::uint8_t>((v + 40 * c) >> 8);
        }
    }
    images.OriginalGroesse = images.TuningGroesse = static_cast<std::int32_t>(size);
    font.setPixelSize(11);
  }
};

Setup& Shared(bool smooth) {
  static Setup smoothSetup(true), noisySetup(false);
  return smooth ? smoothSetup : noisySetup;
}

void BM_RedrawViewIntoBackBuffer(benchmark::State& state) {
  Setup& s = Shared(state.range(0) != 0);
  for (auto _ : state) {
    ui::QtCanvas canvas(s.buffer, s.font, QColor(255, 0, 0));
    RedrawView(*s.scene, s.trig, s.view, s.flags, s.map, s.images, s.colours, canvas);
  }
}
BENCHMARK(BM_RedrawViewIntoBackBuffer)->ArgName("smooth")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The same erase, lines and texts, replayed straight onto a QPainter.
void BM_SameLinesRawQPainter(benchmark::State& state) {
  Setup& s = Shared(state.range(0) != 0);
  RecordingCanvas rec(s.buffer.width(), s.buffer.height());
  RedrawView(*s.scene, s.trig, s.view, s.flags, s.map, s.images, s.colours, rec);
  const auto& lines = rec.Lines();
  const auto& texts = rec.Texts();
  for (auto _ : state) {
    s.buffer.fill(Qt::black);
    QPainter p(&s.buffer);
    p.setFont(s.font);
    QPen pen(Qt::white, 0);
    Rgb current{1, 2, 3};
    for (const auto& l : lines) {
      if (!(l.colour == current)) {
        current = l.colour;
        pen.setColor(QColor(l.colour.r, l.colour.g, l.colour.b));
        p.setPen(pen);
      }
      p.drawLine(l.x1, l.y1, l.x2, l.y2);
    }
    p.setPen(Qt::red);
    for (const auto& t : texts) p.drawText(t.x, t.y + 9, QString::fromLatin1(t.cp1252.data(), int(t.cp1252.size())));
  }
  state.counters["lines"] = static_cast<double>(lines.size());
}
BENCHMARK(BM_SameLinesRawQPainter)->ArgName("smooth")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
