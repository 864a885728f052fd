#include "dialogs/Kennfelderanz.h"

#include <QEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>

#include "app/Main.h"
#include "app/QtText.h"
#include "app/Seams.h"
#include "dialogs/KFdefinieren.h"
#include "dialogs/Namenaendern.h"
#include "dialogs/Sysdaten.h"
#include "project/Errors.h"
#include "project/HexText.h"
#include "project/MapDefinition.h"

using orv::ui::BoxKind;

namespace {

constexpr int kColumnWidths[10] = {32, 153, 80, 41, 39, 50, 32, 38, 100, 100};

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int x, int w) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(x, 272, w, 25);
  b->setAutoDefault(false);
  return b;
}

void SetCell(QTableWidget* grid, int row, int col, const QString& text) {
  QTableWidgetItem* item = grid->item(row, col);
  if (!item) {
    item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    grid->setItem(row, col, item);
  }
  item->setText(text);
}

}  // namespace

TKennfelder::TKennfelder(TMainM& main)
    : FormBase(main, QStringLiteral("Kennfelder"), QStringLiteral("Kennfelder"), orv::ui::BorderIcons::CloseOnly) {
  resize(690, 310);
  StringGrid1 = new QTableWidget(2, 10, this);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->setGeometry(8, 8, 674, 254);
  StringGrid1->verticalHeader()->setMinimumSectionSize(1);
  StringGrid1->verticalHeader()->setDefaultSectionSize(15);
  for (int c = 0; c < 10; ++c) StringGrid1->setColumnWidth(c, kColumnWidths[c]);
  // Row 0 (the headings) and column 0 (empty) stay in place while the records
  // scroll: the grid's headers show them, the cells of row 0 and column 0 are
  // kept (row 0 holds the headings) but hidden.
  StringGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  StringGrid1->horizontalHeader()->setFixedHeight(17);
  StringGrid1->horizontalHeader()->setSectionsClickable(false);
  StringGrid1->verticalHeader()->setFixedWidth(kColumnWidths[0]);
  StringGrid1->verticalHeader()->setSectionsClickable(false);
  StringGrid1->setColumnHidden(0, true);
  StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
  StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
  StringGrid1->setToolTip(QStringLiteral("Markieren des Kennfelder das zu ändern ist"));
  // A row is picked however it becomes current: by a click, the arrow keys, a drag.
  connect(StringGrid1, &QTableWidget::cellClicked, this, [this] { StringGrid1Click(); });
  connect(StringGrid1, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous, int) {
    if (!filling_ && row != previous) StringGrid1Click();
  });

  Button1 = MakeButton(this, "Button1", QStringLiteral("Definieren"), 8, 90);
  Button2 = MakeButton(this, "Button2", QStringLiteral("Abbrechen"), 106, 90);
  Button3 = MakeButton(this, "Button3", QStringLiteral("KF-Daten ändern"), 204, 120);
  Button4 = MakeButton(this, "Button4", QStringLiteral("Letzter Datensatz löschen"), 332, 170);
  Button4->setToolTip(QStringLiteral("löscht das zuletzt definierte Kennfeld"));
  Button5 = MakeButton(this, "Button5", QStringLiteral("Controller-Sytem"), 510, 120);
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
  connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
  connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
}

void TKennfelder::showEvent(QShowEvent* e) {
  FormBase::showEvent(e);
  if (e->spontaneous()) return;
  fillFailed_ = false;
  pickedRow_ = -1;  // a new showing starts with no row picked
  FormActivate();
  activatedByShow_ = true;
}

void TKennfelder::changeEvent(QEvent* e) {
  FormBase::changeEvent(e);
  if (e->type() != QEvent::ActivationChange || !isVisible() || !isActiveWindow()) return;
  if (activatedByShow_) {
    activatedByShow_ = false;  // the show has just done it
    return;
  }
  if (!fillFailed_) FormActivate();
}

void TKennfelder::FormActivate() {
  fillFailed_ = !Run([&] {
    Headings();
    Fill();
  });
}

void TKennfelder::Headings() {
  static const char* const kHeadings[10] = {"", "Kennfeldname", "Anfangsadresse", "X-Dim.", "Y-Dim", "KF-Typ",
                                            "KF-Nr", "Faktor", "X-Funktion", "Y-Funktion"};
  if (StringGrid1->rowCount() < 1) StringGrid1->setRowCount(1);
  for (int c = 1; c < 10; ++c) {
    SetCell(StringGrid1, 0, c, QString::fromUtf8(kHeadings[c]));
    StringGrid1->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::fromUtf8(kHeadings[c])));
  }
  StringGrid1->setRowHidden(0, true);
}

void TKennfelder::Fill() {
  // The current row moves while rows are removed and added: that is no pick.
  filling_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{filling_};
  const int picked = pickedRow_;
  // Rows of an earlier fill do not survive into this one.
  StringGrid1->setRowCount(1);
  StringGrid1->setRowCount(2);
  auto& db = Main.db;
  std::int32_t i = 0;
  do {
    if (!db.Datei.AtEnd(i)) {
      db.SatzLesen(i);
      const orv::TDatensatz& r = db.Datensatz;
      const int row = i + 1;
      if (StringGrid1->rowCount() < row + 1) StringGrid1->setRowCount(row + 1);
      SetCell(StringGrid1, row, 1, orv::ui::FromCp1252(r.get(orv::fld::Kennfeldname)));
      const QString geheim = QStringLiteral("Geheim");
      SetCell(StringGrid1, row, 2,
              ExpertMode ? QString::fromStdString(orv::FormatHex(orv::ParseHex(r.get(orv::fld::Anfangsadresse)), 6))
                         : geheim);
      SetCell(StringGrid1, row, 3, QString::number(r.get(orv::fld::XDimension)));
      SetCell(StringGrid1, row, 4, QString::number(r.get(orv::fld::YDimension)));
      SetCell(StringGrid1, row, 5, ExpertMode ? orv::ui::FromCp1252(r.get(orv::fld::KennfeldTyp)) : geheim);
      SetCell(StringGrid1, row, 6, QString::number(r.get(orv::fld::Nummer)));
      SetCell(StringGrid1, row, 7, QString::fromStdString(orv::FormatGeneral(r.get(orv::fld::Faktor), orv::ui::DecimalSeparator())));
      SetCell(StringGrid1, row, 8, orv::ui::FromCp1252(r.get(orv::fld::XBeschriftung)));
      SetCell(StringGrid1, row, 9, orv::ui::FromCp1252(r.get(orv::fld::YBeschriftung)));
    }
    ++i;
    StringGrid1->setRowCount(i + 1);
  } while (!db.Datei.AtEnd(i));
  // The fixed column is empty: no row numbers beside the records.
  for (int r = 0; r < StringGrid1->rowCount(); ++r)
    if (!StringGrid1->verticalHeaderItem(r)) StringGrid1->setVerticalHeaderItem(r, new QTableWidgetItem(QString()));
  // The picked row stays highlighted while it exists; no other row is.
  pickedRow_ = picked >= 1 && picked < StringGrid1->rowCount() ? picked : -1;
  StringGrid1->setCurrentCell(pickedRow_, pickedRow_ < 0 ? -1 : 1);
  setWindowTitle(QStringLiteral("Kennfelder"));
}

void TKennfelder::StringGrid1Click() {
  const int row = StringGrid1->currentRow();
  if (row == pickedRow_) return;  // picked already (a click that made the row current)
  pickedRow_ = row;
  Run([&] { PickRow(); });
}

void TKennfelder::PickRow() {
  const int row = StringGrid1->currentRow();
  if (row < 1) return;  // the heading row is not a record
  const QTableWidgetItem* cell = StringGrid1->item(row, 6);
  const QString text = cell ? cell->text() : QString();
  std::int32_t n = 0;
  if (!orv::TryParseInt(orv::ui::ToCp1252(text), n)) throw orv::EConvertError::NotAnInteger(text.toStdString());
  if (n > 0) {
    setWindowTitle(QStringLiteral("gewähltes Kennfeld Nr: ") + QString::number(n));
    Main.forms.KF_Namen->RecordNumber = n;
  } else if (n == 0) {
    setWindowTitle(QStringLiteral("gewähltes Kennfeld Nr: --"));
  }
}

void TKennfelder::Button1Click() {
  Main.ShowModal(Main.forms.Kennfdefinieren);
  Run([&] { Fill(); });
}

void TKennfelder::Button2Click() {
  Run([&] {
    Main.EmptyMapList();
    Main.FillMapList();
  });
  close();
}

void TKennfelder::Button3Click() {
  Main.ShowModal(Main.forms.KF_Namen);
  Run([&] { Fill(); });
}

void TKennfelder::Button4Click() {
  Run([&] {
    const std::int32_t count = Main.db.Datei.RecordCount();
    if (count <= 1) {
      orv::ui::Ui().Message(this, BoxKind::Information, orv::ui::CaptionOf(BoxKind::Information),
                            QStringLiteral("Der Datensatz Nr. 0 (Drehzahlbegrenzer) kann nicht gelöscht werden."));
      return;
    }
    if (!orv::ui::Ui().Ask(this, BoxKind::Confirmation, orv::ui::CaptionOf(BoxKind::Confirmation),
                           QStringLiteral("Wollen Sie wirklich den letzten Datensatz (Nr. %1) löschen?")
                               .arg(count - 1)))
      return;
    Main.db.Datei.DeleteLast();
    // The main window's list must not keep offering the removed map.
    Main.EmptyMapList();
    Main.FillMapList();
    Fill();
  });
}

void TKennfelder::Button5Click() {
  Main.ShowModal(Main.forms.Sytemdat);
  Run([&] { Fill(); });
}
