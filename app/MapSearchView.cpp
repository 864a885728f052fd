#include "app/MapSearchView.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/DrawingArea.h"
#include "app/Guard.h"
#include "app/Main.h"
#include "app/QtText.h"
#include "app/Seams.h"
#include "dialogs/KFdefinieren.h"
#include "graphics/ViewModel.h"
#include "project/Catalogue.h"
#include "project/HexText.h"
#include "project/MapDefinition.h"

namespace orv::ui {

namespace {

// Progress bar steps for the whole scan.
constexpr int kProgressSteps = 1000;

// Entries of the type box, in their order.
struct TypeChoice {
  const char* text;
  MapTypeFilter filter;
};
constexpr TypeChoice kTypeChoices[] = {
    {"Alle", MapTypeFilter::All},
    {"8 Bit", MapTypeFilter::N},
    {"16 Bit Motorola", MapTypeFilter::M16},
    {"16 Bit Intel", MapTypeFilter::I16},
};

MapTypeFilter FilterOf(CellType t) {
  switch (t) {
    case CellType::N: return MapTypeFilter::N;
    case CellType::M16: return MapTypeFilter::M16;
    case CellType::I16: return MapTypeFilter::I16;
    default: return MapTypeFilter::All;
  }
}

// "8 Bit", "16 Bit Motorola", "16 Bit Intel": the type box texts of the map forms.
QString TypeText(CellType t) {
  const int i = MapTypeIndexOfCode(MapTypeCode(t));
  if (i < 0) return {};
  const std::string_view text = kMapTypes[static_cast<std::size_t>(i)].text;
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Divisor that turns a byte offset into a database address for the system code.
int AddressDivisor(const std::string& systemcode) {
  if (systemcode == "N16") return 2;
  if (systemcode == "N32") return 4;
  return 1;
}

QTableWidgetItem* Cell(const QString& text, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
  auto* item = new QTableWidgetItem(text);
  item->setTextAlignment(align);
  return item;
}

// "0x00A010 (16 Bit Motorola)", "0x00A010 (8 Bit, Schritte)", or "–" when none was found.
QString AxisText(const AxisRef& a) {
  if (!a.Found()) return QStringLiteral("–");
  QString kind = a.cellBytes == 2 ? (a.bigEndian ? QStringLiteral("16 Bit Motorola") : QStringLiteral("16 Bit Intel"))
                                  : QStringLiteral("8 Bit");
  if (a.isSigned) kind += QStringLiteral(", mit Vorzeichen");
  if (a.deltaCoded) kind += QStringLiteral(", Schritte");
  return QStringLiteral("0x") + FromUtf8(FormatHex(static_cast<std::int32_t>(a.offset), 6)) + QStringLiteral(" (") +
         kind + QStringLiteral(")");
}

const QString kJa = QStringLiteral("ja");
const QString kNein = QStringLiteral("nein");

}  // namespace

// ============================================================== preview

MapPreview::MapPreview(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Vorschau"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(160, 120);
  buffer_ = QImage(1, 1, QImage::Format_RGB32);
  buffer_.fill(background_);
}

void MapPreview::Prepare(QColor background) {
  background_ = background;
  const QSize s = size().expandedTo(QSize(1, 1));
  if (buffer_.size() != s) buffer_ = QImage(s, QImage::Format_RGB32);
  buffer_.fill(background_);
}

void MapPreview::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  p.fillRect(e->rect(), background_);
  p.drawImage(e->rect().topLeft(), buffer_, e->rect());
}

// ============================================================== the view

// What one scan works on: its own copies of the bytes, so edits of the images
// during the scan race with nothing, and the flag that stops it.
struct MapSearchView::Job {
  std::vector<std::uint8_t> image;
  std::vector<std::uint8_t> original;
  FinderOptions options;
  std::atomic<bool> cancel{false};
};

MapSearchView::MapSearchView(TMainM& main, QWidget* parent)
    : QWidget(parent), main_(main), scene_(std::make_unique<Scene>()) {
  setObjectName(QStringLiteral("MapSearchView"));
  // A panel of its own colours on the picture's background.
  setAutoFillBackground(true);
  setPalette(QApplication::palette());

  SuchTyp = new QComboBox(this);
  SuchTyp->setObjectName(QStringLiteral("SuchTyp"));
  for (const TypeChoice& c : kTypeChoices) SuchTyp->addItem(QString::fromUtf8(c.text));
  SuchTyp->setCurrentIndex(0);

  auto spin = [this](const char* name, int value) {
    auto* s = new QSpinBox(this);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(2, kMapFinderMaxDim);
    s->setValue(value);
    return s;
  };
  MinDim = spin("MinDim", 4);
  MaxDim = spin("MaxDim", 32);

  Suchen = new QPushButton(QStringLiteral("Suchen"), this);
  Suchen->setObjectName(QStringLiteral("Suchen"));
  Abbrechen = new QPushButton(QStringLiteral("Abbrechen"), this);
  Abbrechen->setObjectName(QStringLiteral("Abbrechen"));
  Fortschritt = new QProgressBar(this);
  Fortschritt->setObjectName(QStringLiteral("Fortschritt"));
  Fortschritt->setRange(0, kProgressSteps);
  Fortschritt->setValue(0);
  Status = new QLabel(this);
  Status->setObjectName(QStringLiteral("Status"));

  SuchErgebnis = new QTableWidget(0, ColumnCount, this);
  SuchErgebnis->setObjectName(QStringLiteral("SuchErgebnis"));
  SuchErgebnis->setHorizontalHeaderLabels({QStringLiteral("Adresse"), QStringLiteral("Typ"),
                                           QStringLiteral("Spalten × Zeilen"), QStringLiteral("Bewertung"),
                                           QStringLiteral("In Datenbank"), QStringLiteral("Geändert"),
                                           QStringLiteral("X-Achse"), QStringLiteral("Y-Achse"),
                                           QStringLiteral("Erkannt an")});
  SuchErgebnis->setEditTriggers(QAbstractItemView::NoEditTriggers);
  SuchErgebnis->setSelectionBehavior(QAbstractItemView::SelectRows);
  SuchErgebnis->setSelectionMode(QAbstractItemView::SingleSelection);
  SuchErgebnis->verticalHeader()->setVisible(false);
  SuchErgebnis->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

  Vorschau = new MapPreview(this);

  Definieren = new QPushButton(QStringLiteral("Als Kennfeld definieren"), this);
  Definieren->setObjectName(QStringLiteral("Definieren"));

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Typ:"), this));
  top->addWidget(SuchTyp);
  top->addWidget(new QLabel(QStringLiteral("Spalten/Zeilen von"), this));
  top->addWidget(MinDim);
  top->addWidget(new QLabel(QStringLiteral("bis"), this));
  top->addWidget(MaxDim);
  top->addWidget(Suchen);
  top->addWidget(Abbrechen);
  top->addWidget(Fortschritt, 1);
  top->addWidget(Status);

  auto* split = new QSplitter(Qt::Horizontal, this);
  split->addWidget(SuchErgebnis);
  split->addWidget(Vorschau);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 1);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(Definieren);
  bottom->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(top);
  layout->addWidget(split, 1);
  layout->addLayout(bottom);

  connect(Suchen, &QPushButton::clicked, this, [this] { Guard(this, [&] { SuchenClick(); }); });
  connect(Abbrechen, &QPushButton::clicked, this, [this] { Guard(this, [&] { AbbrechenClick(); }); });
  connect(Definieren, &QPushButton::clicked, this, [this] { Guard(this, [&] { DefinierenClick(); }); });
  connect(SuchErgebnis, &QTableWidget::cellDoubleClicked, this,
          [this](int row, int) { Guard(this, [&] { SuchErgebnisDoubleClick(row); }); });
  connect(SuchErgebnis, &QTableWidget::currentCellChanged, this, [this] { UpdateButtons(); });
  // The application may end while a scan runs: stop it before anything goes away.
  if (QCoreApplication* app = QCoreApplication::instance())
    connect(app, &QCoreApplication::aboutToQuit, this, [this] { StopWorker(); });

  UpdateButtons();
}

MapSearchView::~MapSearchView() { StopWorker(); }

void MapSearchView::StopWorker() {
  if (!worker_.joinable()) return;
  job_->cancel = true;
  worker_.join();
  // Whatever the stopped scan still posts belongs to an old generation.
  ++generation_;
  Fortschritt->setValue(0);
  UpdateButtons();
}

void MapSearchView::UpdateButtons() {
  const bool busy = Searching();
  Suchen->setEnabled(!busy);
  Abbrechen->setEnabled(busy);
  SuchTyp->setEnabled(!busy);
  MinDim->setEnabled(!busy);
  MaxDim->setEnabled(!busy);
  const int row = SuchErgebnis->currentRow();
  Definieren->setEnabled(!busy && row >= 0 && row < static_cast<int>(results_.size()));
}

void MapSearchView::StartSearch(CellType type) {
  const MapTypeFilter filter = FilterOf(type);
  for (int i = 0; i < SuchTyp->count(); ++i)
    if (kTypeChoices[i].filter == filter) SuchTyp->setCurrentIndex(i);
  Start(filter);
}

void MapSearchView::SuchenClick() {
  const int i = std::clamp(SuchTyp->currentIndex(), 0, static_cast<int>(std::size(kTypeChoices)) - 1);
  Start(kTypeChoices[i].filter);
}

void MapSearchView::Start(MapTypeFilter filter) {
  const ImageSet& img = main_.images;
  if (!img.TuningLoaded() && !img.OriginalLoaded()) {
    Ui().Message(this, BoxKind::Information, CaptionOf(BoxKind::Information),
                 QStringLiteral("Es ist keine EPROM-Datei geladen."));
    return;
  }
  StopWorker();

  auto job = std::make_shared<Job>();
  if (img.TuningLoaded()) {
    const auto t = img.Tuning();
    job->image.assign(t.begin(), t.end());
    // With both images the finder also tells where the tuning image was changed.
    if (img.OriginalLoaded()) {
      const auto o = img.Original();
      job->original.assign(o.begin(), o.end());
    }
  } else {
    const auto o = img.Original();
    job->image.assign(o.begin(), o.end());
  }
  job->options.types = filter;
  job->options.minDim = std::min(MinDim->value(), MaxDim->value());
  job->options.maxDim = std::max(MinDim->value(), MaxDim->value());

  job_ = job;
  const std::uint64_t generation = ++generation_;
  results_.clear();
  SuchErgebnis->setRowCount(0);
  Vorschau->Prepare(palette().color(QPalette::Window));
  Vorschau->update();
  Fortschritt->setValue(0);
  Status->setText(QStringLiteral("Suche läuft …"));

  worker_ = std::thread([this, job, generation] {
    int last = -1;
    auto progress = [&](double fraction) {
      const int permille = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * kProgressSteps);
      if (permille == last) return;  // one event per visible step
      last = permille;
      QMetaObject::invokeMethod(
          this, [this, generation, permille] { Progress(generation, permille); }, Qt::QueuedConnection);
    };
    std::vector<MapCandidate> found;
    bool failed = false;
    try {
      found = FindMaps(job->image, job->options, job->original, progress, &job->cancel);
    } catch (...) {
      failed = true;  // out of memory: the scan ends with nothing
    }
    const bool cancelled = failed || job->cancel.load();
    QMetaObject::invokeMethod(
        this,
        [this, generation, found = std::move(found), cancelled]() mutable {
          Finished(generation, std::move(found), cancelled);
        },
        Qt::QueuedConnection);
  });
  UpdateButtons();
}

void MapSearchView::AbbrechenClick() {
  if (!Searching()) return;
  // The scan stops soon and reports what it found so far.
  job_->cancel = true;
  Status->setText(QStringLiteral("Suche wird abgebrochen …"));
  Abbrechen->setEnabled(false);
}

void MapSearchView::Progress(std::uint64_t generation, int permille) {
  // Steps of a scan that has already finished change nothing.
  if (generation != generation_ || !job_) return;
  Fortschritt->setValue(permille);
}

void MapSearchView::Finished(std::uint64_t generation, std::vector<MapCandidate> found, bool cancelled) {
  if (generation != generation_) return;
  // The worker posts this as its last act: the join returns at once.
  if (worker_.joinable()) worker_.join();
  job_.reset();
  std::stable_sort(found.begin(), found.end(),
                   [](const MapCandidate& a, const MapCandidate& b) { return a.score > b.score; });
  results_ = std::move(found);
  // A stopped scan leaves the bar empty; its partial results are listed.
  Fortschritt->setValue(cancelled ? 0 : kProgressSteps);
  const QString count = QString::number(results_.size());
  Status->setText(cancelled ? QStringLiteral("Suche abgebrochen, %1 gefunden").arg(count)
                            : QStringLiteral("%1 gefunden").arg(count));
  Guard(this, [&] { FillResults(); });
  UpdateButtons();
  emit searchFinished();
}

void MapSearchView::FillResults() {
  SuchErgebnis->setRowCount(static_cast<int>(results_.size()));
  const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
  for (int r = 0; r < static_cast<int>(results_.size()); ++r) {
    const MapCandidate& c = results_[static_cast<std::size_t>(r)];
    SuchErgebnis->setItem(
        r, ColAdresse,
        Cell(QStringLiteral("0x") + FromUtf8(FormatHex(static_cast<std::int32_t>(c.offset), 6)), right));
    SuchErgebnis->setItem(r, ColTyp, Cell(TypeText(c.type)));
    SuchErgebnis->setItem(r, ColDimension,
                          Cell(QStringLiteral("%1 × %2").arg(c.columns).arg(c.rows), Qt::AlignCenter));
    SuchErgebnis->setItem(r, ColBewertung, Cell(QString::number(c.score, 'f', 1), right));
    SuchErgebnis->setItem(r, ColDatenbank, Cell(kNein, Qt::AlignCenter));
    SuchErgebnis->setItem(r, ColGeaendert, Cell(c.differsFromOriginal ? kJa : kNein, Qt::AlignCenter));
    SuchErgebnis->setItem(r, ColXAchse, Cell(AxisText(c.xAxis)));
    SuchErgebnis->setItem(r, ColYAchse, Cell(AxisText(c.yAxis)));
    SuchErgebnis->setItem(r, ColErkannt,
                          Cell(c.layout == MapLayoutKind::Header ? QStringLiteral("Kopf") : QStringLiteral("Werte"),
                               Qt::AlignCenter));
  }
  UpdateDatabaseColumn();
}

void MapSearchView::UpdateDatabaseColumn() {
  const std::vector<ByteRange> ranges = DatabaseMapRanges(main_);
  for (int r = 0; r < SuchErgebnis->rowCount() && r < static_cast<int>(results_.size()); ++r) {
    const MapCandidate& c = results_[static_cast<std::size_t>(r)];
    if (QTableWidgetItem* item = SuchErgebnis->item(r, ColDatenbank))
      item->setText(Overlaps(ranges, c.offset, c.ByteSize()) ? kJa : kNein);
  }
}

// ============================================================== preview

void MapSearchView::SuchErgebnisDoubleClick(int row) {
  if (row < 0 || row >= static_cast<int>(results_.size())) return;
  DrawPreview(results_[static_cast<std::size_t>(row)]);
}

void MapSearchView::DrawPreview(const MapCandidate& c) {
  const ViewState& view = main_.view;
  const Rgb bg = view.colours.background;
  Vorschau->Prepare(QColor(bg.r, bg.g, bg.b));

  // A map of its own: the main window's active map stays as it is.
  ActiveMap m;
  m.KfNummer = 0;
  m.KfAdresse = static_cast<std::int32_t>(c.offset);
  m.KfXDim = c.columns;
  m.KfYDim = c.rows;
  m.KfZellen = c.columns * c.rows;
  m.KfTyp = MapTypeCode(c.type);
  m.KfKreuz = 4;

  const int w = Vorschau->buffer().width();
  const int h = Vorschau->buffer().height();
  ViewParams params = view.params;
  params.MitteX = w / 2;
  params.MitteY = h / 2;
  // The same view as the main picture, shrunk to fit the preview.
  const int aw = std::max(main_.area->width(), 1);
  const int ah = std::max(main_.area->height(), 1);
  params.Zoomfaktor *= std::min({1.0, 1.6 * w / aw, 1.6 * h / ah});
  SceneFlags flags = view.flags;
  flags.PfeilZeigen = false;

  QtCanvas canvas(Vorschau->buffer(), main_.WindowFont(), QColor(view.colours.font.r, view.colours.font.g,
                                                                 view.colours.font.b));
  if (DrawsAsSurface(m))
    RedrawView(*scene_, view.trig, params, flags, m, main_.images, view.colours, canvas);
  else if (DrawsAsChart(m))
    DrawCurveChart(*scene_, flags, m, main_.images, view.colours, canvas);
  Vorschau->update();
}

// ============================================================== definition

void MapSearchView::DefinierenClick() {
  const int row = SuchErgebnis->currentRow();
  if (row < 0 || row >= static_cast<int>(results_.size())) {
    Ui().Message(this, BoxKind::Information, CaptionOf(BoxKind::Information),
                 QStringLiteral("Bitte zuerst einen Fund in der Liste auswählen."));
    return;
  }
  const MapCandidate c = results_[static_cast<std::size_t>(row)];
  const QString byteOffset = FromUtf8(FormatHex(static_cast<std::int32_t>(c.offset), 6));
  if (DefineMapAt(main_, this, c.offset, c.type, c.columns, c.rows, QStringLiteral("Gefunden ") + byteOffset, &c.xAxis,
                  &c.yAxis))
    UpdateDatabaseColumn();
}

bool DefineMapAt(TMainM& main, QWidget* parent, std::int64_t offset, CellType type, int columns, int rows,
                 const QString& name, const AxisRef* xAxis, const AxisRef* yAxis) {
  if (main.db.Datenbankname.empty()) {
    Ui().Message(parent, BoxKind::Information, CaptionOf(BoxKind::Information),
                 QStringLiteral("Es ist keine Datenbank geöffnet, in der das Kennfeld definiert werden könnte."));
    return false;
  }
  const QString byteOffset = FromUtf8(FormatHex(static_cast<std::int32_t>(offset), 6));
  const int divisor = AddressDivisor(main.db.Systemcode);
  if (offset % divisor != 0) {
    Ui().Message(parent, BoxKind::Information, CaptionOf(BoxKind::Information),
                 QStringLiteral("Die Adresse 0x%1 lässt sich im System %2 nicht als Anfangsadresse angeben.")
                     .arg(byteOffset, FromUtf8(main.db.Systemcode)));
    return false;
  }
  TKennfdefinieren* form = main.forms.Kennfdefinieren;
  if (!form) return false;
  form->Edit1->setText(FromUtf8(FormatHex(static_cast<std::int32_t>(offset / divisor), 6)));
  // The dimension and type boxes are disabled in the form; what they show is stored.
  form->ComboBox3->setEditText(QString::number(columns));
  form->ComboBox6->setEditText(QString::number(rows));
  const int typeIndex = MapTypeIndexOfCode(MapTypeCode(type));
  form->ComboBox2->setCurrentIndex(typeIndex < 0 ? 0 : typeIndex);
  form->ComboBox1->setEditText(name);
  // Axes that hold plain breakpoints label the map by address; step-coded axes
  // of the lookup routine do not.
  auto axis = [&](const AxisRef* a, QCheckBox* box, QLineEdit* field) {
    const bool use = a && a->PlainBreakpoints() && a->offset % divisor == 0;
    box->setChecked(use);  // checking empties and shows the field
    if (use) field->setText(FromUtf8(FormatHex(static_cast<std::int32_t>(a->offset / divisor), 6)));
  };
  axis(xAxis, form->CheckBox8, form->Edit7);
  axis(yAxis, form->CheckBox7, form->Edit8);
  main.ShowModal(form);

  main.EmptyMapList();
  main.FillMapList();
  return true;
}

// ============================================================== database ranges

std::vector<ByteRange> DatabaseMapRanges(TMainM& main) {
  std::vector<ByteRange> ranges;
  if (main.db.Datenbankname.empty() || !main.db.Datei.IsOpen()) return ranges;
  for (std::int32_t i = 1; !main.db.Datei.AtEnd(i); ++i) {
    main.db.SatzLesen(i);
    const TDatensatz& rec = main.db.Datensatz;
    const std::int64_t start =
        ScaleAddress(ParseHex(rec.get(fld::Anfangsadresse)), main.db.Systemcode);
    int width = CellWidth(CellTypeFromCode(rec.get(fld::KennfeldTyp)));
    if (width == 0) width = 1;  // a type the maps do not use: count its cells as bytes
    const std::int64_t cells =
        std::int64_t{std::max(rec.get(fld::XDimension), 0)} * std::max(rec.get(fld::YDimension), 0);
    if (cells == 0) continue;
    ranges.push_back({start, start + cells * width});
  }
  return ranges;
}

bool Overlaps(const std::vector<ByteRange>& ranges, std::int64_t offset, std::int64_t size) {
  const std::int64_t end = offset + std::max<std::int64_t>(size, 1);
  return std::any_of(ranges.begin(), ranges.end(),
                     [&](const ByteRange& r) { return r.first < end && offset < r.last; });
}

}  // namespace orv::ui
