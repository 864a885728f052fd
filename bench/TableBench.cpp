// The table view over a 64 x 64 "I16" map: filling it, and the worksheet
// commands over a full selection as the user runs them (undoable edit and the
// table filled again), next to the bare range edits of the core.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QUndoStack>
#include <memory>

#include "app/Main.h"
#include "app/SpeedButton.h"
#include "app/TableView.h"
#include "maps/RangeOps.h"
#include "support/Fixtures.h"

namespace {

using namespace orv;

struct Setup {
  fixtures::TempDir dir;
  std::unique_ptr<TMainM> main;
  ui::TableView* table = nullptr;

  Setup() {
    std::vector<std::uint8_t> image(0x100 + 2 * 4096 + 64, 0);
    for (int r = 0; r < 64; ++r)
      for (int c = 0; c < 64; ++c) {
        const int v = 8000 + 500 * c + 300 * r + 20 * c * r;  // low byte first
        image[0x100 + 2 * std::size_t(r * 64 + c)] = static_cast<std::uint8_t>(v & 0xFF);
        image[0x100 + 2 * std::size_t(r * 64 + c) + 1] = static_cast<std::uint8_t>(v >> 8);
      }
    TDatensatz map = fixtures::MapRecord(1, "Gross", 64, 64, "100", "I16");
    map.set(fld::XAnfangswert, 600);
    map.set(fld::XFaktor, 100.0);
    fixtures::WriteDatabase(dir.File("b.dbc"), {fixtures::RevLimiterRecord("N8", "0", "K", 1.0), map});
    fixtures::WriteBytes(dir.File("b.org"), image);
    for (std::size_t i = 0x100; i < 0x100 + 2 * 4096; i += 14) image[i] ^= 0x11;  // some cells changed
    fixtures::WriteBytes(dir.File("b.tun"), image);
    main = std::make_unique<TMainM>();
    main->CreateForms();
    main->resize(1280, 800);
    main->show();
    QApplication::processEvents();
    main->OpenDatabase(QString::fromStdString(dir.File("b.dbc")));
    main->OpenImage(ImageKind::Original, QString::fromStdString(dir.File("b.org")));
    main->OpenImage(ImageKind::Tuning, QString::fromStdString(dir.File("b.tun")));
    main->SpeedButton21->click();
    main->ComboBox5->setCurrentIndex(0);
    main->ComboBox5Change();
    table = main->Table;
    table->Select({0, 0, 64, 64});
  }
};

Setup& Shared() {
  static Setup s;
  return s;
}

void BM_FillTable64x64(benchmark::State& state) {
  Setup& s = Shared();
  for (auto _ : state) s.table->Fill();
}
BENCHMARK(BM_FillTable64x64)->Unit(benchmark::kMicrosecond);

// Filled and painted: what the user waits for until the table is on the screen.
void BM_FillAndPaintTable64x64(benchmark::State& state) {
  Setup& s = Shared();
  for (auto _ : state) {
    s.table->Fill();
    s.table->Grid->viewport()->repaint();
  }
}
BENCHMARK(BM_FillAndPaintTable64x64)->Unit(benchmark::kMicrosecond);

// One worksheet command over all 4096 cells: the undoable edit, the table filled
// again. Step up and down alternate so the values stay where they were.
void BM_CommandOverFullSelection(benchmark::State& state) {
  Setup& s = Shared();
  const int which = static_cast<int>(state.range(0));
  bool up = true;
  for (auto _ : state) {
    if (which == 0) s.table->StepSelection(up);
    else s.table->Interpolate(InterpolateMode::Both);
    up = !up;
  }
  s.main->undoStack->clear();
}
BENCHMARK(BM_CommandOverFullSelection)->ArgName("step0_interpolate1")->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);

// A full 64 x 64 paste: reading the text and writing it.
void BM_PasteFullBlock(benchmark::State& state) {
  Setup& s = Shared();
  QString text;
  for (int r = 0; r < 64; ++r) {
    for (int c = 0; c < 64; ++c) text += QString::number(9000 + r * 64 + c) + (c < 63 ? "\t" : "\n");
  }
  for (auto _ : state) {
    s.table->Select({0, 0, 1, 1});
    s.table->Paste(text);
  }
  s.main->undoStack->clear();
}
BENCHMARK(BM_PasteFullBlock)->Unit(benchmark::kMicrosecond);

// The bare core edit of all 4096 cells.
void BM_StepRangeCore(benchmark::State& state) {
  std::vector<std::uint8_t> image(2 * 4096, 0x40);
  const MapLayout m{0, 64, 64, CellType::I16};
  int step = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(StepRange(image, m, {0, 0, 64, 64}, step, EditMode::Percent));
    step = -step;
  }
}
BENCHMARK(BM_StepRangeCore)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
