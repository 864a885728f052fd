#include "app/DiffView.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Guard.h"
#include "app/Main.h"
#include "app/MapSearchView.h"
#include "app/QtText.h"
#include "app/Seams.h"
#include "maps/DiffReport.h"
#include "project/HexText.h"
#include "project/Images.h"

namespace orv::ui {

namespace {

QTableWidgetItem* Cell(const QString& text, bool right = false) {
  auto* item = new QTableWidgetItem(text);
  item->setTextAlignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
  return item;
}

QString Address(std::int64_t offset) {
  return QStringLiteral("0x") + FromUtf8(FormatHex(static_cast<std::int32_t>(offset), 6));
}

QString Signed(std::int64_t v) { return v > 0 ? QStringLiteral("+%1").arg(v) : QString::number(v); }

QString Percent(const std::optional<double>& p) {
  if (!p) return QStringLiteral("–");
  const QString number = QLocale(QLocale::German).toString(*p, 'f', 1);
  return (*p > 0 ? QStringLiteral("+") : QString()) + number + QStringLiteral(" %");
}

// The run's first bytes, with "…" when it is longer.
QString FirstBytes(std::span<const std::uint8_t> image, const ByteRun& r) {
  const QString hex = FromUtf8(HexBytes(image, r.offset, std::min(r.length, kShownRunBytes)));
  return r.length > kShownRunBytes ? hex + QStringLiteral(" …") : hex;
}

QTableWidget* MakeList(QWidget* parent, const char* name, const QStringList& headings) {
  auto* t = new QTableWidget(0, static_cast<int>(headings.size()), parent);
  t->setObjectName(QString::fromLatin1(name));
  t->setHorizontalHeaderLabels(headings);
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->setSelectionBehavior(QAbstractItemView::SelectRows);
  t->setSelectionMode(QAbstractItemView::SingleSelection);
  t->verticalHeader()->setVisible(false);
  t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  return t;
}

}  // namespace

DiffView::DiffView(TMainM& main, QWidget* parent) : QWidget(parent), main_(main) {
  setObjectName(QStringLiteral("DiffView"));
  setAutoFillBackground(true);
  setPalette(QApplication::palette());

  Status = new QLabel(this);
  Status->setObjectName(QStringLiteral("Status"));
  Status->setWordWrap(true);
  VergleichenMit = new QPushButton(QStringLiteral("Vergleichen mit…"), this);
  VergleichenMit->setObjectName(QStringLiteral("VergleichenMit"));
  MitOriginal = new QPushButton(QStringLiteral("Mit Original vergleichen"), this);
  MitOriginal->setObjectName(QStringLiteral("MitOriginal"));

  Kennfelder = MakeList(this, "Kennfelder",
                        {QStringLiteral("Nr."), QStringLiteral("Kennfeld"), QStringLiteral("Adresse"),
                         QStringLiteral("Geänderte Zellen"), QStringLiteral("Kleinste Änderung"),
                         QStringLiteral("Größte Änderung"), QStringLiteral("Kleinste in %"),
                         QStringLiteral("Größte in %")});
  Bereiche = MakeList(this, "Bereiche",
                      {QStringLiteral("Adresse"), QStringLiteral("Länge (Bytes)"), QStringLiteral("Vorher"),
                       QStringLiteral("Nachher")});
  Definieren = new QPushButton(QStringLiteral("Als Kennfeld definieren"), this);
  Definieren->setObjectName(QStringLiteral("Definieren"));

  auto* top = new QHBoxLayout;
  top->addWidget(Status, 1);
  top->addWidget(VergleichenMit);
  top->addWidget(MitOriginal);

  auto* ranges = new QWidget(this);
  auto* rangesLayout = new QVBoxLayout(ranges);
  rangesLayout->setContentsMargins(0, 0, 0, 0);
  rangesLayout->addWidget(new QLabel(QStringLiteral("Geänderte Bereiche außerhalb der Kennfelder:"), ranges));
  rangesLayout->addWidget(Bereiche, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Definieren);
  buttons->addStretch(1);
  rangesLayout->addLayout(buttons);

  auto* maps = new QWidget(this);
  auto* mapsLayout = new QVBoxLayout(maps);
  mapsLayout->setContentsMargins(0, 0, 0, 0);
  mapsLayout->addWidget(new QLabel(QStringLiteral("Geänderte Kennfelder:"), maps));
  mapsLayout->addWidget(Kennfelder, 1);

  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(maps);
  split->addWidget(ranges);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(top);
  layout->addWidget(split, 1);

  connect(VergleichenMit, &QPushButton::clicked, this, [this] { Guard(this, [&] { VergleichenMitClick(); }); });
  connect(MitOriginal, &QPushButton::clicked, this, [this] { Guard(this, [&] { MitOriginalClick(); }); });
  connect(Definieren, &QPushButton::clicked, this, [this] { Guard(this, [&] { DefinierenClick(); }); });
  connect(Kennfelder, &QTableWidget::cellClicked, this,
          [this](int row, int) { Guard(this, [&] { KennfelderClick(row); }); });
  connect(Kennfelder, &QTableWidget::cellActivated, this,
          [this](int row, int) { Guard(this, [&] { KennfelderClick(row); }); });
  connect(Bereiche, &QTableWidget::currentCellChanged, this, [this] { UpdateButtons(); });
  // Every edit, reset, undo, redo and load: the list follows while it is shown.
  connect(&main_, &TMainM::projectChanged, this, [this] {
    if (isVisible()) Guard(this, [&] { Refresh(); });
  });
  UpdateButtons();
}

void DiffView::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  Guard(this, [&] { Refresh(); });
}

std::vector<DefinedMap> DiffView::DatabaseMaps() const {
  std::vector<DefinedMap> maps;
  const DatabaseState& db = main_.db;
  if (db.Datenbankname.empty() || !db.Datei.IsOpen()) return maps;
  // A record buffer of our own: the main window's keeps the record it holds.
  TDatensatz rec;
  const std::int32_t n = db.Datei.RecordCount();
  for (std::int32_t i = 1; i < n; ++i) {
    db.Datei.SatzLesen(i, rec);
    maps.push_back(DefinedMapOf(i, rec, db.Systemcode));
  }
  return maps;
}

void DiffView::Refresh() {
  result_ = Comparison{};
  // Where a map lies stays hidden, as in the map list, unless expert mode is on.
  Kennfelder->setColumnHidden(ColAdresse, !main_.Expertenmodus1->isChecked());
  const ImageSet& img = main_.images;
  MitOriginal->setEnabled(img.VergleichLoaded());
  const QString against = img.VergleichLoaded()
                              ? QStringLiteral("„%1“").arg(QFileInfo(FromUtf8Path(img.VergleichName)).fileName())
                              : QStringLiteral("der Original-Datei");
  if (!img.TuningLoaded() || img.Reference().empty()) {
    Fill();
    Status->setText(!img.TuningLoaded() ? QStringLiteral("Es ist keine Tuning-Datei geladen.")
                                        : QStringLiteral("Es ist keine Original-Datei geladen; mit „Vergleichen mit…“ "
                                                         "lässt sich eine andere Datei wählen."));
    return;
  }
  result_ = Compare(img.Reference(), img.Tuning(), DatabaseMaps());
  Fill();

  QStringList lines;
  lines << QStringLiteral("Tuning-Datei verglichen mit %1.").arg(against);
  if (!result_.sameSize())
    lines << QStringLiteral("Die Dateien sind verschieden groß (%1 und %2 Bytes); verglichen werden die ersten %3 Bytes.")
                 .arg(result_.referenceSize)
                 .arg(result_.tuningSize)
                 .arg(result_.commonSize());
  if (result_.runs.empty())
    lines << QStringLiteral("Keine geänderten Bytes.");
  else
    lines << QStringLiteral("%1 Kennfelder und %2 Bereiche außerhalb der Kennfelder geändert.")
                 .arg(result_.maps.size())
                 .arg(result_.outside.size());
  if (static_cast<std::int64_t>(result_.outside.size()) > kMaxRangeRows)
    lines << QStringLiteral("Angezeigt werden die ersten %1 Bereiche.").arg(kMaxRangeRows);
  Status->setText(lines.join(QLatin1Char(' ')));
}

void DiffView::Fill() {
  const ImageSet& img = main_.images;
  Kennfelder->setRowCount(static_cast<int>(result_.maps.size()));
  for (int r = 0; r < Kennfelder->rowCount(); ++r) {
    const MapChange& c = result_.maps[static_cast<std::size_t>(r)];
    Kennfelder->setItem(r, ColNummer, Cell(QString::number(c.map.nummer), true));
    Kennfelder->setItem(r, ColName, Cell(FromCp1252(c.map.name)));
    Kennfelder->setItem(r, ColAdresse, Cell(Address(c.map.layout.start), true));
    Kennfelder->setItem(r, ColZellen, Cell(QStringLiteral("%1 von %2").arg(c.changedCells).arg(c.comparedCells), true));
    Kennfelder->setItem(r, ColMin, Cell(Signed(c.minChange), true));
    Kennfelder->setItem(r, ColMax, Cell(Signed(c.maxChange), true));
    Kennfelder->setItem(r, ColMinProzent, Cell(Percent(c.minPercent), true));
    Kennfelder->setItem(r, ColMaxProzent, Cell(Percent(c.maxPercent), true));
  }
  const int ranges = static_cast<int>(std::min<std::size_t>(result_.outside.size(), kMaxRangeRows));
  Bereiche->setRowCount(ranges);
  for (int r = 0; r < ranges; ++r) {
    const ByteRun& run = result_.outside[static_cast<std::size_t>(r)];
    Bereiche->setItem(r, ColBereich, Cell(Address(run.offset), true));
    Bereiche->setItem(r, ColLaenge, Cell(QString::number(run.length), true));
    Bereiche->setItem(r, ColVorher, Cell(FirstBytes(img.Reference(), run)));
    Bereiche->setItem(r, ColNachher, Cell(FirstBytes(img.Tuning(), run)));
  }
  UpdateButtons();
}

void DiffView::UpdateButtons() {
  const int row = Bereiche->currentRow();
  Definieren->setEnabled(row >= 0 && row < static_cast<int>(result_.outside.size()));
}

void DiffView::VergleichenMitClick() {
  const QString path = Ui().OpenFileName(this, QStringLiteral("Vergleichsdatei öffnen"),
                                         QStringLiteral("Alle Dateien (*.*)|*.*"), main_.StartDirectory);
  if (path.isEmpty()) return;
  // A file that cannot be used raises its message here and changes nothing.
  LoadComparison(main_.images, ToUtf8Path(path));
  main_.view.flags.VergleichZeigen = true;
  main_.VergleichGrafik1->setChecked(true);
  Refresh();
}

void DiffView::MitOriginalClick() {
  DropComparison(main_.images);
  Refresh();
}

void DiffView::KennfelderClick(int row) {
  if (row < 0 || row >= static_cast<int>(result_.maps.size())) return;
  const int entry = result_.maps[static_cast<std::size_t>(row)].map.record - 1;
  if (entry >= main_.ComboBox5->count()) return;
  main_.ComboBox5->setCurrentIndex(entry);
  main_.N3DGrafik1Click();
  main_.ComboBox5Change();
}

void DiffView::DefinierenClick() {
  const int row = Bereiche->currentRow();
  if (row < 0 || row >= static_cast<int>(result_.outside.size())) return;
  const ByteRun run = result_.outside[static_cast<std::size_t>(row)];
  // Bytes as 8-bit cells: a short range as one row, a longer one 16 cells wide.
  const int columns = run.length <= 64 ? static_cast<int>(run.length) : 16;
  const int rows = run.length <= 64 ? 1 : static_cast<int>(std::min<std::int64_t>((run.length + 15) / 16, 64));
  DefineMapAt(main_, this, run.offset, CellType::N, columns, rows, QStringLiteral("Geändert ") + Address(run.offset));
}

}  // namespace orv::ui
