#pragma once
// The map search view behind "KS": scans the tuning image (or the original when
// no tuning image is loaded) for maps in a worker thread, lists what it finds,
// previews a hit as a surface and hands it to the new map definition form.
#include <QImage>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "maps/CellCodec.h"
#include "maps/MapFinder.h"

class TMainM;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace orv {
struct Scene;
}

namespace orv::ui {

// The preview area: shows its back buffer, drawn by the search view.
class MapPreview : public QWidget {
  Q_OBJECT
 public:
  explicit MapPreview(QWidget* parent);
  QImage& buffer() { return buffer_; }
  // Makes the buffer match the widget's size and fills it with `background`.
  void Prepare(QColor background);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QImage buffer_;
  QColor background_ = Qt::black;
};

class MapSearchView : public QWidget {
  Q_OBJECT
 public:
  MapSearchView(TMainM& main, QWidget* parent);
  ~MapSearchView() override;

  // Column order of the result list.
  enum Column {
    ColAdresse,
    ColTyp,
    ColDimension,
    ColBewertung,
    ColDatenbank,
    ColGeaendert,
    ColXAchse,
    ColYAchse,
    ColErkannt,
    ColumnCount
  };

  // ---- controls
  QComboBox* SuchTyp = nullptr;  // "Alle", "8 Bit", "16 Bit Motorola", "16 Bit Intel"
  QSpinBox* MinDim = nullptr;    // 2..64, 4
  QSpinBox* MaxDim = nullptr;    // 2..64, 32
  QPushButton* Suchen = nullptr;
  QPushButton* Abbrechen = nullptr;
  QProgressBar* Fortschritt = nullptr;
  QLabel* Status = nullptr;
  QTableWidget* SuchErgebnis = nullptr;
  MapPreview* Vorschau = nullptr;
  QPushButton* Definieren = nullptr;  // "Als Kennfeld definieren"

  // Starts a scan for one cell type (N, M16 or I16; anything else looks for all).
  void StartSearch(CellType type);
  // ---- handlers
  void SuchenClick();
  void AbbrechenClick();
  // Double click on a result row: draws the candidate into the preview.
  void SuchErgebnisDoubleClick(int row);
  // Defines the selected candidate through the new map definition form.
  void DefinierenClick();

  bool Searching() const { return worker_.joinable(); }
  // Candidates of the last finished scan, in the order of the rows.
  const std::vector<MapCandidate>& Results() const { return results_; }
  // Re-checks the "In Datenbank" column against the open database.
  void UpdateDatabaseColumn();

 signals:
  // A scan ended (finished or cancelled) and its results are in the list.
  void searchFinished();

 private:
  struct Job;
  void Start(MapTypeFilter filter);
  void StopWorker();
  void Finished(std::uint64_t generation, std::vector<MapCandidate> found, bool cancelled);
  void Progress(std::uint64_t generation, int permille);
  void FillResults();
  void UpdateButtons();
  void DrawPreview(const MapCandidate& c);

  TMainM& main_;
  std::thread worker_;
  std::shared_ptr<Job> job_;
  std::uint64_t generation_ = 0;
  std::vector<MapCandidate> results_;
  std::unique_ptr<Scene> scene_;
};

// Opens the new map definition form pre-filled with a map at a byte offset of the
// images (address by the system code, type, columns, rows, name) and fills the map
// list again when it closes. With no database open, or an offset that is no
// address of the database's system, it says so and opens nothing (false). Axes
// given that hold plain breakpoints fill in the axis addresses ("Adressbeschriftung").
bool DefineMapAt(TMainM& main, QWidget* parent, std::int64_t offset, CellType type, int columns, int rows,
                 const QString& name, const AxisRef* xAxis = nullptr, const AxisRef* yAxis = nullptr);

// Byte ranges [first, last) of the maps records 1..n of the open database
// define, read through the main window's record buffer (which afterwards holds
// the last record read).
struct ByteRange {
  std::int64_t first = 0;
  std::int64_t last = 0;
};
std::vector<ByteRange> DatabaseMapRanges(TMainM& main);
// True when [offset, offset + size) overlaps one of the ranges.
bool Overlaps(const std::vector<ByteRange>& ranges, std::int64_t offset, std::int64_t size);

}  // namespace orv::ui
