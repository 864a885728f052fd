#include "app/Main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QUndoStack>

#include "app/DiffView.h"
#include "app/DrawingArea.h"
#include "app/EmulatorUpload.h"
#include "app/Guard.h"
#include "app/MapSearchView.h"
#include "app/QtText.h"
#include "app/Seams.h"
#include "app/SpeedButton.h"
#include "app/TableView.h"
#include "app/XdfCommands.h"
#include "dialogs/Checksum.h"
#include "dialogs/Drehzdef.h"
#include "dialogs/ExpertMode.h"
#include "dialogs/Inffo.h"
#include "dialogs/KFdefinieren.h"
#include "dialogs/Kennfelderanz.h"
#include "dialogs/Namenaendern.h"
#include "dialogs/SetupFenster.h"
#include "dialogs/Speedlimit.h"
#include "dialogs/Sysdaten.h"
#include "maps/CellCodec.h"
#include "project/FileIo.h"
#include "project/HexText.h"
#include "project/MapDefinition.h"

using orv::ui::BoxKind;
using orv::ui::CaptionOf;
using orv::ui::FromCp1252;
using orv::ui::FromUtf8Path;
using orv::ui::ToUtf8Path;
using orv::ui::Guard;
using orv::ui::SpeedButton;
using orv::ui::SaveChoice;
using orv::ui::Ui;

namespace {

const QString kTitle = QStringLiteral("Orvanta 2000");
const QString kDbFilter = QStringLiteral("Chip-Datenbank (*.dbc)|*.dbc");
const QString kSizeMessage = QStringLiteral(
    "Original- und Tuning-Datei  sind nicht gleich gross, deshalb kann die Datei   nicht  zurückgestzt werden!");
constexpr int kPanelHeight = 37;
constexpr int kListWidth = 217;

// The map list's dropped-down rows are 13 pixels high, whatever the style would give.
class MapListRows : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    s.setHeight(13);
    return s;
  }
};

// A patch of the tuning image that the undo stack can take back and put again.
class TuningPatchCommand : public QUndoCommand {
 public:
  TuningPatchCommand(TMainM& main, const QString& text, orv::TuningPatch patch)
      : QUndoCommand(text), main_(main), patch_(std::move(patch)) {}
  void undo() override { Apply(true); }
  void redo() override {
    // The change is already in the image when the command is pushed.
    if (first_) {
      first_ = false;
      return;
    }
    Apply(false);
  }

 private:
  void Apply(bool undo) {
    orv::ApplyPatch(main_.images.TuningMutable(), patch_, undo);
    Guard(&main_, [&] { main_.RedrawAfterEdit(); });
    if (main_.Table->isVisible()) main_.FillTable();
  }
  TMainM& main_;
  orv::TuningPatch patch_;
  bool first_ = true;
};

// The application's colours, every role marked as set, so a child keeps them
// whatever colour the picture behind it takes.
QPalette OrdinaryPalette() {
  QPalette p = QApplication::palette();
  for (int g = 0; g < QPalette::NColorGroups; ++g)
    for (int r = 0; r < QPalette::NColorRoles; ++r) {
      const auto group = static_cast<QPalette::ColorGroup>(g);
      const auto role = static_cast<QPalette::ColorRole>(r);
      p.setBrush(group, role, p.brush(group, role));
    }
  return p;
}

// Pictures of the file buttons, drawn rather than loaded.
QIcon MakeIcon(const QString& kind) {
  QPixmap pm(21, 21);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  if (kind == QLatin1String("back") || kind == QLatin1String("forward")) {
    QPainterPath path;
    if (kind == QLatin1String("back")) {
      path.moveTo(3, 10.5); path.lineTo(11, 3); path.lineTo(11, 7); path.lineTo(18, 7);
      path.lineTo(18, 14); path.lineTo(11, 14); path.lineTo(11, 18);
    } else {
      path.moveTo(18, 10.5); path.lineTo(10, 3); path.lineTo(10, 7); path.lineTo(3, 7);
      path.lineTo(3, 14); path.lineTo(10, 14); path.lineTo(10, 18);
    }
    path.closeSubpath();
    p.fillPath(path, QColor(0, 96, 0));
  } else if (kind == QLatin1String("save")) {
    p.fillRect(3, 3, 15, 15, QColor(40, 40, 140));
    p.fillRect(6, 3, 9, 6, Qt::white);
    p.fillRect(6, 12, 9, 6, QColor(200, 200, 200));
  } else {
    // an opened folder with the file kind's letter
    p.setBrush(QColor(230, 190, 60));
    p.setPen(QColor(120, 90, 20));
    p.drawRect(2, 6, 17, 12);
    p.drawRect(2, 4, 7, 3);
    QFont f;
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRect(2, 6, 17, 12), Qt::AlignCenter, kind);
  }
  return QIcon(pm);
}

}  // namespace

// ============================================================== construction

TMainM::TMainM() {
  setObjectName(QStringLiteral("MainM"));
  setWindowTitle(kTitle);
  setGeometry(2, 2, 638, 446);
  StartDirectory = QDir::currentPath();

  area = new orv::ui::DrawingArea(this);
  area->setObjectName(QStringLiteral("ClientArea"));
  setCentralWidget(area);
  setFont(WindowFont());

  undoStack = new QUndoStack(this);
  connect(undoStack, &QUndoStack::indexChanged, this, &TMainM::projectChanged);
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(1);
  connect(Timer1, &QTimer::timeout, this, [this] { Guard(this, [&] { Timer1Timer(); }); });

  BuildMenus();
  BuildToolBar();

  ComboBox5 = new QComboBox(area);
  ComboBox5->setObjectName(QStringLiteral("ComboBox5"));
  ComboBox5->setEditable(false);
  ComboBox5->setMaxVisibleItems(25);
  ComboBox5->setFixedWidth(kListWidth);
  QFont listFont = WindowFont();
  ComboBox5->setFont(listFont);
  ComboBox5->setItemDelegate(new MapListRows(ComboBox5));
  connect(ComboBox5, &QComboBox::activated, this, [this](int) { Guard(this, [&] { ComboBox5Change(); }); });

  Table = new orv::ui::TableView(*this, area);
  Table->setPalette(OrdinaryPalette());  // the table keeps the ordinary colours
  Table->setAutoFillBackground(true);
  Table->hide();
  Table->AddCommandsTo(menuBar()->findChild<QMenu*>(QStringLiteral("Bearbeiten1")), AktivesKennfeldzurcksetzen1);
  StringGrid1 = Table->Grid;

  SearchView = new orv::ui::MapSearchView(*this, area);
  DiffView = new orv::ui::DiffView(*this, area);
  for (QWidget* v : std::initializer_list<QWidget*>{SearchView, DiffView}) {
    v->setPalette(OrdinaryPalette());
    v->setAutoFillBackground(true);
    v->hide();
  }

  connect(area, &orv::ui::DrawingArea::mousePressed, this, [this](QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    FormMouseDown(e->button(), p.x(), p.y());
  });
  connect(area, &orv::ui::DrawingArea::mouseMoved, this, [this](QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    Guard(this, [&] { FormMouseMove(e->buttons(), e->modifiers(), p.x(), p.y()); });
  });
  connect(area, &orv::ui::DrawingArea::clicked, this, [this](QMouseEvent*) { Guard(this, [&] { FormClick(); }); });
  connect(area, &orv::ui::DrawingArea::resized, this, [this] {
    if (!shown_) return;
    // Until the first picture is drawn the window is still finding its size:
    // the view centre follows it, as at the moment of showing.
    if (!drawnSinceShow_) orv::ViewStart(view.params, area->width(), area->height());
    PlaceMapList();
    Panel1->setFixedWidth(area->width());
  });
  // A right click anywhere in the client area, the tool bar included, opens the pop-up menu.
  for (QWidget* w : {static_cast<QWidget*>(area), Panel1}) {
    w->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(w, &QWidget::customContextMenuRequested, this,
            [this, w](const QPoint& p) { PopupMenu1->popup(w->mapToGlobal(p)); });
  }
}

TMainM::~TMainM() {
  // The widgets, the views and the undo stack die after this body, when the window
  // is no longer a TMainM: nothing they signal on their way out may reach it, and
  // the views are hidden while the window is still whole.
  for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
  hide();
}

void TMainM::CreateForms() {
  forms.Info = new TInfo(*this);
  forms.Speedlimitdef = new TSpeedlimitdef(*this);
  forms.Kennfelder = new TKennfelder(*this);
  forms.Kennfdefinieren = new TKennfdefinieren(*this);
  forms.KF_Namen = new TKF_Namen(*this);
  forms.Speedlimiter = new TSpeedlimiter(*this);
  forms.Checksumme = new TChecksumme(*this);
  forms.Setup = new TSetup(*this);
  forms.Sytemdat = new TSytemdat(*this);
  orv::ui::ApplyExpertMode(*this, Expertenmodus1->isChecked());
}

void TMainM::Expertenmodus1Click() {
  orv::ui::SetExpertMode(*this, Expertenmodus1->isChecked());
  emit projectChanged();
}

QFont TMainM::WindowFont() const {
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(11);
  return f;
}

void TMainM::BuildMenus() {
  // Each action runs its handler under the central error box.
  auto act = [this](QMenu* menu, const QString& name, const QString& text, void (TMainM::*handler)()) {
    QAction* a = menu->addAction(text);
    a->setObjectName(name);
    connect(a, &QAction::triggered, this, [this, handler] { Guard(this, [&] { (this->*handler)(); }); });
    return a;
  };
  auto checkable = [](QAction* a, bool checked) {
    a->setCheckable(true);
    a->setChecked(checked);
    return a;
  };

  QMenu* datei = menuBar()->addMenu(QStringLiteral("&Datei"));
  datei->setObjectName(QStringLiteral("Datei1"));
  Datenbankanlegen1 = act(datei, "Datenbankanlegen1", "Datenbank &anlegen", &TMainM::Datenbankanlegen1Click);
  datei->addSeparator();
  Datenbankffnen1 = act(datei, "Datenbankffnen1", "Daten&bank öffnen", &TMainM::Datenbankffnen1Click);
  Datenbankffnen1->setShortcut(QKeySequence::Open);
  OriginaleEPROMDateiffnen1 = act(datei, "OriginaleEPROMDateiffnen1", "&Originale EPROM-Datei öffnen",
                                  &TMainM::OriginaleEPROMDateiffnen1Click);
  TuningEPROMDateiffnen1 =
      act(datei, "TuningEPROMDateiffnen1", "&Tuning EPROM-Datei öffnen", &TMainM::TuningEPROMDateiffnen1Click);
  Vergleichenmit1 = act(datei, "Vergleichenmit1", "Vergleichen mit…", &TMainM::Vergleichenmit1Click);
  datei->addSeparator();
  DatenbankausXDFerzeugen1 = act(datei, "DatenbankausXDFerzeugen1", "Datenbank aus XDF erzeugen…",
                                 &TMainM::DatenbankausXDFerzeugen1Click);
  AlsXDFexportieren1 = act(datei, "AlsXDFexportieren1", "Als XDF exportieren…", &TMainM::AlsXDFexportieren1Click);
  datei->addSeparator();
  Aenderungenspeichern1 =
      act(datei, "Aenderungenspeichern1", "Aen&derungen speichern", &TMainM::Aenderungenspeichern1Click);
  Aenderungenspeichern1->setShortcut(QKeySequence::Save);
  AnEmulatorsenden1 = act(datei, "AnEmulatorsenden1", "An &Emulator senden", &TMainM::AnEmulatorsenden1Click);
  datei->addSeparator();
  Beenden1 = act(datei, "Beenden1", "&Beenden", &TMainM::Beenden1Click);
  Beenden1->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));

  QMenu* bearbeiten = menuBar()->addMenu(QStringLiteral("&Bearbeiten"));
  bearbeiten->setObjectName(QStringLiteral("Bearbeiten1"));
  Rueckgaengig1 = bearbeiten->addAction(QStringLiteral("&Rückgängig"));
  Rueckgaengig1->setObjectName(QStringLiteral("Rueckgaengig1"));
  Rueckgaengig1->setShortcut(QKeySequence::Undo);
  Rueckgaengig1->setEnabled(false);
  connect(Rueckgaengig1, &QAction::triggered, this, [this] { Guard(this, [&] { undoStack->undo(); }); });
  connect(undoStack, &QUndoStack::canUndoChanged, Rueckgaengig1, &QAction::setEnabled);
  Wiederholen1 = bearbeiten->addAction(QStringLiteral("&Wiederholen"));
  Wiederholen1->setObjectName(QStringLiteral("Wiederholen1"));
  Wiederholen1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
  Wiederholen1->setEnabled(false);
  connect(Wiederholen1, &QAction::triggered, this, [this] { Guard(this, [&] { undoStack->redo(); }); });
  connect(undoStack, &QUndoStack::canRedoChanged, Wiederholen1, &QAction::setEnabled);
  bearbeiten->addSeparator();
  AktivesKennfeldzurcksetzen1 = act(bearbeiten, "AktivesKennfeldzurcksetzen1", "Reset aktives &Kennfeld ",
                                    &TMainM::AktivesKennfeldzurcksetzen1Click);
  GanzeDateizurcksetzen1 =
      act(bearbeiten, "GanzeDateizurcksetzen1", "Reset &Ganze Datei ", &TMainM::GanzeDateizurcksetzen1Click);
  Drehzahlbegrenzerzurcksetzen1 = act(bearbeiten, "Drehzahlbegrenzerzurcksetzen1", "Reset &Drehzahlbegrenzer",
                                      &TMainM::Drehzahlbegrenzerzurcksetzen1Click);
  bearbeiten->addSeparator();
  OriginalBilddarstellung1 = act(bearbeiten, "OriginalBilddarstellung1", "&Original Bilddarstellung",
                                 &TMainM::OriginalBilddarstellung1Click);

  DefinierenMenu = menuBar()->addMenu(QStringLiteral("De&finieren"));
  DefinierenMenu->setObjectName(QStringLiteral("Definieren1"));
  Kennfelderdefinieren1 = act(DefinierenMenu, "Kennfelderdefinieren1", "&Kennfelder definieren",
                              &TMainM::Kennfelderdefinieren1Click);
  Drehzahlbegrenzerdefinieren1 = act(DefinierenMenu, "Drehzahlbegrenzerdefinieren1",
                                     "&Drehzahlbegrenzer definieren", &TMainM::Drehzahlbegrenzerdefinieren1Click);
  DefinierenMenu->setEnabled(false);

  QMenu* ansicht = menuBar()->addMenu(QStringLiteral("&Ansicht"));
  ansicht->setObjectName(QStringLiteral("Ansicht1"));
  N3DGrafik1 = checkable(act(ansicht, "N3DGrafik1", "&3D Grafik", &TMainM::N3DGrafik1Click), true);
  Tabelle1 = checkable(act(ansicht, "Tabelle1", "&SG", &TMainM::Tabelle1Click), false);
  N3DGrafikTabelle1 =
      checkable(act(ansicht, "N3DGrafikTabelle1", "Kennfelder suchen", &TMainM::N3DGrafikTabelle1Click), false);
  Unterschiede1 = checkable(act(ansicht, "Unterschiede1", "Unterschiede", &TMainM::Unterschiede1Click), false);
  Unterschiede1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
  ansicht->addSeparator();
  OrignalGrafik1 = checkable(act(ansicht, "OrignalGrafik1", "&Orignal Grafik", &TMainM::OrignalGrafik1Click), true);
  TuningGrafik1 = checkable(act(ansicht, "TuningGrafik1", "&Tuning Grafik", &TMainM::TuningGrafik1Click), true);
  Bodengitter1 = checkable(act(ansicht, "Bodengitter1", "&Bodengitter", &TMainM::Bodengitter1Click), true);
  Koordinatenkreuz1 =
      checkable(act(ansicht, "Koordinatenkreuz1", "&Koordinatenkreuz", &TMainM::Koordinatenkreuz1Click), true);
  Pfeil1 = checkable(act(ansicht, "Pfeil1", "&Zugriffspfeil", &TMainM::Pfeil1Click), false);
  Pfeil1->setEnabled(false);
  VergleichGrafik1 = act(ansicht, "VergleichGrafik1", "&Vergleich Grafik", &TMainM::VergleichGrafik1Click);
  // The check marks change by the handlers alone, never by the click itself.
  for (QAction* a : {N3DGrafik1, Tabelle1, N3DGrafikTabelle1, Unterschiede1, OrignalGrafik1, TuningGrafik1,
                     Bodengitter1, Koordinatenkreuz1, Pfeil1, VergleichGrafik1}) {
    disconnect(a, &QAction::triggered, this, nullptr);
    a->setCheckable(false);
  }
  const std::pair<QAction*, void (TMainM::*)()> marked[] = {
      {N3DGrafik1, &TMainM::N3DGrafik1Click},         {Tabelle1, &TMainM::Tabelle1Click},
      {N3DGrafikTabelle1, &TMainM::N3DGrafikTabelle1Click}, {OrignalGrafik1, &TMainM::OrignalGrafik1Click},
      {TuningGrafik1, &TMainM::TuningGrafik1Click},   {Bodengitter1, &TMainM::Bodengitter1Click},
      {Koordinatenkreuz1, &TMainM::Koordinatenkreuz1Click}, {Pfeil1, &TMainM::Pfeil1Click},
      {Unterschiede1, &TMainM::Unterschiede1Click},   {VergleichGrafik1, &TMainM::VergleichGrafik1Click}};
  for (const auto& [a, handler] : marked) {
    const bool checked = a == N3DGrafik1 || a == OrignalGrafik1 || a == TuningGrafik1 || a == Bodengitter1 ||
                         a == Koordinatenkreuz1 || a == VergleichGrafik1;
    a->setCheckable(true);
    a->setChecked(checked);
    connect(a, &QAction::triggered, this, [this, a = a, handler = handler] {
      // Undo Qt's own toggle: the handler decides the mark.
      a->setChecked(!a->isChecked());
      Guard(this, [&] { (this->*handler)(); });
    });
  }

  QMenu* einstellungen = menuBar()->addMenu(QStringLiteral("&Einstellungen"));
  einstellungen->setObjectName(QStringLiteral("Einstellungen1"));
  Checksumme1 = act(einstellungen, "Checksumme1", "&Checksumme", &TMainM::Checksumme1Click);
  Drehzahlbegrenzer1 = act(einstellungen, "Drehzahlbegrenzer1", "&Drehzahlbegrenzer", &TMainM::Drehzahlbegrenzer1Click);
  QMenu* farbe = einstellungen->addMenu(QStringLiteral("&Hintergrundfarbe"));
  farbe->setObjectName(QStringLiteral("Hintergrundfarbe1"));
  Schwarz1 = act(farbe, "Schwarz1", "&Schwarz", &TMainM::Schwarz1Click);
  Weiss1 = act(farbe, "Weiss1", "&Weiss", &TMainM::Weiss1Click);
  Weiss1->setEnabled(false);
  Grau1 = act(farbe, "Grau1", "S&ilver", &TMainM::Grau1Click);
  einstellungen->addSeparator();
  Hardware1 = act(einstellungen, "Hardware1", "&Hardware", &TMainM::Hardware1Click);
  einstellungen->addSeparator();
  Expertenmodus1 = checkable(act(einstellungen, "Expertenmodus1", "&Expertenmodus", &TMainM::Expertenmodus1Click),
                             orv::ui::ExpertModeStored());

  KennfeldSuchenMenu = menuBar()->addMenu(QStringLiteral("Kennfeld &suchen"));
  KennfeldSuchenMenu->setObjectName(QStringLiteral("Kennfeldsuchen1"));
  auto search = [this](const char* name, const QString& text, orv::CellType type) {
    QAction* a = KennfeldSuchenMenu->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, [this, type] { Guard(this, [&] { KennfeldSuchenClick(type); }); });
    return a;
  };
  Bit81 = search("Bit81", QStringLiteral("8 &Bit"), orv::CellType::N);
  BitMotorola1 = search("BitMotorola1", QStringLiteral("16 Bit &Motorola"), orv::CellType::M16);
  BitIntel1 = search("BitIntel1", QStringLiteral("16 Bit &Intel"), orv::CellType::I16);
  KennfeldSuchenMenu->addSeparator();
  KennfeldSuchenMenu->setEnabled(false);

  QMenu* hilfe = menuBar()->addMenu(QStringLiteral("&Hilfe"));
  hilfe->setObjectName(QStringLiteral("Hilfe1"));
  Info1 = act(hilfe, "Info1", "&Info", &TMainM::Info1Click);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  Infos1 = act(PopupMenu1, "Infos1", "&Projekt-Infos", &TMainM::Infos1Click);
  Zugriffspfeil1 = act(PopupMenu1, "Zugriffspfeil1", "&Zugriffspfeil", &TMainM::Zugriffspfeil1Click);
  Zugriffspfeil1->setEnabled(false);
  Kennfelddatenaedern1 =
      act(PopupMenu1, "Kennfelddatenaedern1", "Kennfelddaten ädern", &TMainM::Kennfelddatenaedern1Click);
}

void TMainM::BuildToolBar() {
  Panel1 = new QWidget(area);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setAutoFillBackground(true);
  Panel1->setPalette(OrdinaryPalette());
  Panel1->setGeometry(0, 0, 638, kPanelHeight);
  // The tool bar is a control of its own: a click on its free space or on a
  // disabled button must not reach the picture below (and edit cells there).
  Panel1->setAttribute(Qt::WA_NoMousePropagation);

  group1_ = std::make_unique<orv::ui::SpeedButtonGroup>(1);
  group2_ = std::make_unique<orv::ui::SpeedButtonGroup>(2);
  group3_ = std::make_unique<orv::ui::SpeedButtonGroup>(3);
  group5_ = std::make_unique<orv::ui::SpeedButtonGroup>(5);
  // None of "ZD", "SR", "ST" is down at start, yet a second click keeps one down
  // until "1W" or "AW" lets the group be all up.
  group5_->AllowAllUp = true;

  struct ButtonLayout {
    SpeedButton** slot;
    const char* name;
    const char* caption;
    const char* hint;
    bool showHint;
    orv::ui::SpeedButtonGroup* group;
    int left, top, size;
    void (TMainM::*handler)();
  };
  const ButtonLayout buttons[] = {
      {&SpeedButton4, "SpeedButton4", "", "Zurück", true, nullptr, 5, 2, 33, &TMainM::SpeedButton4Click},
      {&SpeedButton5, "SpeedButton5", "", "Vorwärts", true, nullptr, 38, 2, 33, &TMainM::SpeedButton5Click},
      {&SpeedButton1, "SpeedButton1", "", "Datenbank öffnen", true, nullptr, 72, 6, 25, &TMainM::SpeedButton1Click},
      {&SpeedButton2, "SpeedButton2", "", "Original EPROM-Datei öffnen", true, nullptr, 96, 6, 25,
       &TMainM::SpeedButton2Click},
      {&SpeedButton3, "SpeedButton3", "", "Tuning-EPROM-Datei öffnen", true, nullptr, 120, 6, 25,
       &TMainM::SpeedButton3Click},
      {&SpeedButton7, "SpeedButton7", "", "Aenderungen speichern", true, nullptr, 144, 6, 25,
       &TMainM::SpeedButton7Click},
      {&SpeedButton8, "SpeedButton8", "CS", "Checksumme", true, nullptr, 184, 6, 25, &TMainM::SpeedButton8Click},
      {&SpeedButton9, "SpeedButton9", "RA", "Aktives Kennfeld Reset", true, nullptr, 208, 6, 25,
       &TMainM::SpeedButton9Click},
      {&SpeedButton14, "SpeedButton14", "R1", "Nur 1 Wert zurücksetzen", true, group5_.get(), 232, 6, 25,
       &TMainM::SpeedButton14Click},
      {&SpeedButton10, "SpeedButton10", "+", "Wert erhöhen \"+\" oder vermindern \"-\"", true, nullptr, 257, 6, 25,
       &TMainM::SpeedButton10Click},
      {&SpeedButton11, "SpeedButton11", "%", "Wert umd Bits oder % erhöhen", true, nullptr, 281, 6, 25,
       &TMainM::SpeedButton11Click},
      {&SpeedButton12, "SpeedButton12", "1W", "Nur 1 Wert ändern", true, group1_.get(), 352, 8, 25,
       &TMainM::SpeedButton12Click},
      {&SpeedButton15, "SpeedButton15", "AW", "Ganzes Kennfeld ändern", true, group1_.get(), 376, 8, 25,
       &TMainM::SpeedButton15Click},
      {&SpeedButton13, "SpeedButton13", "9W", "9 Werte ändern", false, group1_.get(), 400, 8, 25,
       &TMainM::SpeedButton13Click},
      {&SpeedButton16, "SpeedButton16", "ZD", "Drehen und Zoomen", true, group2_.get(), 432, 8, 25,
       &TMainM::SpeedButton16Click},
      {&SpeedButton17, "SpeedButton17", "SR", "Schrägestellen", true, group2_.get(), 456, 8, 25,
       &TMainM::SpeedButton17Click},
      {&SpeedButton19, "SpeedButton19", "ST", "", false, group2_.get(), 480, 8, 25, &TMainM::SpeedButton19Click},
      {&SpeedButton20, "SpeedButton20", "KF", "Ansicht Kennfeldgrafik", true, group3_.get(), 512, 8, 25,
       &TMainM::SpeedButton20Click},
      {&SpeedButton21, "SpeedButton21", "SG", "Ansicht Tabelle", false, group3_.get(), 536, 8, 25,
       &TMainM::SpeedButton21Click},
      {&SpeedButton22, "SpeedButton22", "KS", "Kennfelder suchen", true, group3_.get(), 560, 8, 25,
       &TMainM::SpeedButton22Click},
  };
  for (const ButtonLayout& s : buttons) {
    auto* b = new SpeedButton(Panel1, s.group);
    b->setObjectName(QString::fromLatin1(s.name));
    b->setText(QString::fromUtf8(s.caption));
    b->hint = QString::fromUtf8(s.hint);
    if (s.showHint) b->setToolTip(b->hint);
    b->setGeometry(s.left, s.top, s.size, s.size);
    const auto handler = s.handler;
    connect(b, &SpeedButton::speedClicked, this, [this, handler] { Guard(this, [&] { (this->*handler)(); }); });
    *s.slot = b;
  }
  SpeedButton4->setIcon(MakeIcon(QStringLiteral("back")));
  SpeedButton5->setIcon(MakeIcon(QStringLiteral("forward")));
  SpeedButton1->setIcon(MakeIcon(QStringLiteral("D")));
  SpeedButton2->setIcon(MakeIcon(QStringLiteral("O")));
  SpeedButton3->setIcon(MakeIcon(QStringLiteral("T")));
  SpeedButton7->setIcon(MakeIcon(QStringLiteral("save")));
  for (SpeedButton* b : {SpeedButton4, SpeedButton5}) b->setIconSize(QSize(25, 25));
  SpeedButton4->setEnabled(false);
  SpeedButton5->setEnabled(false);
  QFont plus = WindowFont();
  plus.setBold(true);
  plus.setPixelSize(19);
  SpeedButton10->setFont(plus);
  SpeedButton12->setSpeedDown(true);
  SpeedButton13->setEnabled(false);
  SpeedButton20->setSpeedDown(true);

  SpinEdit1 = new QSpinBox(Panel1);
  SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
  SpinEdit1->setRange(-100, 1000);
  SpinEdit1->setValue(3);
  SpinEdit1->setGeometry(306, 8, 44, 22);
  SpinEdit1->setFocusPolicy(Qt::ClickFocus);
  connect(SpinEdit1, &QSpinBox::valueChanged, this, [this](int) { SpinEdit1Change(); });
  connect(SpinEdit1->findChild<QLineEdit*>(), &QLineEdit::textEdited, this, [this](const QString&) { SpinEdit1Change(); });
}

// ============================================================== start and end

void TMainM::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (!shown_) {
    shown_ = true;
    Guard(this, [&] { FormShow(); });
  }
}

void TMainM::FormShow() {
  orv::BuildTrigTables(view.trig);
  Kf.KfTyp = "N8";
  orv::ViewStart(view.params, area->width(), area->height());
  Panel1->setFixedWidth(std::max(area->width(), 1));
  PlaceMapList();
  view.flags.BodengitterZeigen = true;
  view.flags.OriginalZeigen = false;
  view.flags.TuningZeigen = false;
  view.flags.KreuzZeigen = true;
  view.flags.PfeilZeigen = false;
  view.flags.PfeilZelle = 23;
  Kf.KfKreuz = 4;
  StartDirectory = QDir::currentPath();
  view.colours.font = orv::colours::Red;
  ApplyColours();
}

void TMainM::PlaceMapList() {
  // div truncates toward zero, also for a client narrower than the list
  const int left = (area->width() - kListWidth) / 2;
  ComboBox5->move(left, kPanelHeight + 3);
  const int top = kPanelHeight + 3 + ComboBox5->height() + 4;
  for (QWidget* v : std::initializer_list<QWidget*>{Table, SearchView, DiffView})
    v->setGeometry(0, top, area->width(), std::max(area->height() - top, 0));
}

void TMainM::closeEvent(QCloseEvent* e) {
  if (!MayDropTuningEdits()) {
    e->ignore();
    return;
  }
  FormClose();
  e->accept();
}

void TMainM::FormClose() {
  Timer1->stop();
  images.OriginalPuffer.clear();
  images.OriginalPuffer.shrink_to_fit();
  images.TuningPuffer.clear();
  images.TuningPuffer.shrink_to_fit();
  if (!db.Datenbankname.empty()) Guard(this, [&] { db.Datei.Close(); });
}

void TMainM::Beenden1Click() {
  if (!MayDropTuningEdits()) return;
  Timer1->stop();
  QApplication::exit(0);
}

// ============================================================== database

void TMainM::Datenbankanlegen1Click() {
  const QString path =
      Ui().SaveFileName(this, QStringLiteral("Chip-Datenbank anlegen"), kDbFilter, QString());
  if (path.isEmpty()) return;
  CreateDatabase(path);
}

void TMainM::CreateDatabase(const QString& chosen) {
  if (!db.Datenbankname.empty()) {
    db.Datenbankname.clear();
    db.Datei.Close();
  }
  db.Datenbankname.clear();
  setWindowTitle(kTitle);
  if (chosen.isEmpty()) return;
  // The file is created where the user chose it; ".dbc" only when no extension was given.
  QString path = chosen;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".dbc");
  db.Datei.Create(ToUtf8Path(path));
  db.Datenbankname = ToUtf8Path(path);
  setWindowTitle(kTitle + QStringLiteral("       ") + path);
  // Record 0 of a new file starts from a clean buffer, not from the record read last.
  db.Datensatz = orv::NewRevLimiterRecord();
  db.SatzSchreiben(0);
  // A new database has no maps: the list empties and the system is the new file's.
  EmptyMapList();
  db.Systemcode = "N8";
  DefinierenMenu->setEnabled(true);
}

void TMainM::Datenbankffnen1Click() {
  const QString path =
      Ui().OpenFileName(this, QStringLiteral("Kennfelddatenbank öffnen"), kDbFilter, StartDirectory);
  if (path.isEmpty()) return;  // cancelled: the open database keeps its list
  EmptyMapList();
  OpenDatabase(path);
}

void TMainM::OpenDatabase(const QString& path) {
  if (!db.Datenbankname.empty()) {
    db.Datenbankname.clear();
    db.Datei.Close();
  }
  db.Datenbankname.clear();
  setWindowTitle(kTitle);
  if (path.isEmpty()) return;
  // A failed open leaves no half-open state: no database, the plain caption.
  try {
    db.Datei.Open(ToUtf8Path(path));
    db.Datenbankname = ToUtf8Path(path);
    db.SatzLesen(0);
  } catch (...) {
    db.Datenbankname.clear();
    db.Datei.Close();
    throw;
  }
  db.Systemcode = db.Datensatz.get(orv::fld::XBeschriftung);
  FillMapList();
  setWindowTitle(kTitle + QStringLiteral("       ") + path);
  DefinierenMenu->setEnabled(true);
}

// ============================================================== images

void TMainM::OriginaleEPROMDateiffnen1Click() {
  const QString path = Ui().OpenFileName(this, QStringLiteral("Original-EPROM-Datei öffnen"),
                                         QStringLiteral("Original-Datei (*.org)|*.org|Alle Dateien (*.*)|*.*"),
                                         StartDirectory);
  if (path.isEmpty()) return;  // cancelled: the loaded image keeps its name
  images.OriginalName.clear();
  OpenImage(orv::ImageKind::Original, path);
}

void TMainM::TuningEPROMDateiffnen1Click() {
  if (!MayDropTuningEdits()) return;
  const QString path = Ui().OpenFileName(this, QStringLiteral("Tuning-EPROM-Datei öffnen"),
                                         QStringLiteral("Tuning-Datei (*.tun)|*.tun|Alle Dateien (*.*)|*.*"),
                                         StartDirectory);
  if (path.isEmpty()) return;  // cancelled: the loaded image keeps its name
  images.TuningName.clear();
  OpenImage(orv::ImageKind::Tuning, path);
}

void TMainM::OpenImage(orv::ImageKind kind, const QString& path) {
  const bool original = kind == orv::ImageKind::Original;
  bool& flag = original ? view.flags.OriginalZeigen : view.flags.TuningZeigen;
  orv::LoadOutcome outcome = orv::LoadOutcome::NoFile;
  try {
    outcome = orv::LoadImage(images, kind, ToUtf8Path(path));
  } catch (...) {
    // The image whose file could not be read counts as not loaded.
    flag = false;
    if (!original) undoStack->clear();
    emit projectChanged();
    throw;
  }
  if (outcome != orv::LoadOutcome::Loaded) return;
  flag = true;
  if (!original) undoStack->clear();
  KennfeldSuchenMenu->setEnabled(true);
  emit projectChanged();
}

void TMainM::Aenderungenspeichern1Click() {
  if (!images.TuningLoaded()) {
    Ui().Message(this, BoxKind::Information, CaptionOf(BoxKind::Information),
                 QStringLiteral("Es ist keine Tuning-Datei geladen, die gespeichert werden könnte."));
    return;
  }
  SaveTuning();
}

bool TMainM::SaveTuning() {
  QString path = FromUtf8Path(images.TuningName);
  if (path.isEmpty()) {
    path = Ui().SaveFileName(this, QStringLiteral("Tuning-Datei speichern"),
                             QStringLiteral("Tuning-Datei (*.tun)|*.tun"), StartDirectory);
    if (path.isEmpty()) return false;
  }
  return SaveTuningTo(path);
}

bool TMainM::MayDropTuningEdits() {
  if (!images.TuningLoaded() || undoStack->isClean()) return true;
  switch (Ui().AskSave(this, CaptionOf(BoxKind::Confirmation),
                       QStringLiteral("Die Tuning-Datei wurde geändert.\nSollen die Änderungen gespeichert werden?"))) {
    case SaveChoice::Discard: return true;
    case SaveChoice::Cancel: return false;
    case SaveChoice::Save: break;
  }
  bool saved = false;
  Guard(this, [&] { saved = SaveTuning(); });
  return saved;
}

bool TMainM::SaveTuningTo(const QString& path) {
  const std::string p = ToUtf8Path(path);
  const bool ontoOriginal = !images.OriginalName.empty() &&
                            (p == images.OriginalName || orv::SameFile(p, images.OriginalName));
  if (ontoOriginal) {
    Ui().Message(this, BoxKind::Warning, CaptionOf(BoxKind::Warning),
                 QStringLiteral("Die Tuning-Datei kann nicht über die Original-Datei gespeichert werden:\n") + path);
    return false;
  }
  // Written whole to a temporary file and renamed: a failed save leaves the old file.
  orv::WriteFileAtomically(p, images.Tuning());
  images.TuningName = p;
  undoStack->setClean();
  return true;
}

void TMainM::AnEmulatorsenden1Click() { SendTuningToEmulator(*this); }

void TMainM::DatenbankausXDFerzeugen1Click() { orv::ui::ImportXdfDatabase(*this); }
void TMainM::AlsXDFexportieren1Click() { orv::ui::ExportXdfDefinition(*this); }

// ============================================================== map list and active map

void TMainM::FillMapList() {
  for (std::int32_t i = 1; !db.Datei.AtEnd(i); ++i) {
    db.SatzLesen(i);
    ComboBox5->addItem(FromCp1252(orv::EntryText(db.Datensatz)));
  }
  // Filling selects nothing.
  ComboBox5->setCurrentIndex(-1);
  emit projectChanged();
}

void TMainM::EmptyMapList() {
  ComboBox5->clear();
  ComboBox5->setCurrentIndex(-1);
  emit projectChanged();
}

void TMainM::LoadActiveMap() {
  const std::int32_t i = ComboBox5->currentIndex();
  const std::int32_t index = i + 1;
  Kf.KfNummer = index;
  db.SatzLesen(index);
  orv::LoadActiveMap(Kf, index, db.Datensatz, db.Systemcode);
}

void TMainM::DrawActiveMap() {
  if (orv::DrawsAsSurface(Kf)) RedrawView();
  else if (orv::DrawsAsChart(Kf)) DrawCurveChart();
}

void TMainM::ComboBox5Change() {
  if (SpeedButton20->isChecked()) {
    LoadActiveMap();
    DrawActiveMap();
  } else if (SpeedButton21->isChecked()) {
    // The table always shows the map chosen in the list.
    Table->ShowListedMap();
  }
  history.Record(Kf.KfNummer);
  UpdateHistoryButtons();
}

void TMainM::UpdateHistoryButtons() {
  SpeedButton4->setEnabled(history.CanGoBack());
  SpeedButton5->setEnabled(history.CanGoForward());
}

void TMainM::SelectListEntryQuietly(int index) {
  const QSignalBlocker block(ComboBox5);
  ComboBox5->setCurrentIndex(index >= 0 && index < ComboBox5->count() ? index : -1);
}

void TMainM::StepHistory(bool back) {
  if (back ? history.Back() : history.Forward()) SelectListEntryQuietly(history.Current() - 1);
  UpdateHistoryButtons();
  if (SpeedButton20->isChecked()) {
    LoadActiveMap();
    DrawActiveMap();
  } else if (SpeedButton21->isChecked()) {
    Table->ShowListedMap();
  }
}

void TMainM::SpeedButton4Click() { StepHistory(true); }

void TMainM::SpeedButton5Click() { StepHistory(false); }

// ============================================================== drawing

namespace {
// Hands every call on to another canvas (the drawing is redirected there).
class ForwardingCanvas : public orv::Canvas {
 public:
  explicit ForwardingCanvas(orv::Canvas& target) : t_(target) {}
  int Width() const override { return t_.Width(); }
  int Height() const override { return t_.Height(); }
  void Erase(orv::Rgb c) override { t_.Erase(c); }
  void SetPen(orv::Rgb c) override { t_.SetPen(c); }
  void MoveTo(int x, int y) override { t_.MoveTo(x, y); }
  void LineTo(int x, int y) override { t_.LineTo(x, y); }
  void TextOut(int x, int y, std::string_view s) override { t_.TextOut(x, y, s); }

 private:
  orv::Canvas& t_;
};
}  // namespace

std::unique_ptr<orv::Canvas> TMainM::OpenCanvas() {
  if (redirect_) return std::make_unique<ForwardingCanvas>(*redirect_);
  return area->canvas(WindowFont(), QColor(view.colours.font.r, view.colours.font.g, view.colours.font.b));
}

void TMainM::RedrawView() {
  auto canvas = OpenCanvas();
  orv::RedrawView(*view.scene, view.trig, view.params, view.flags, Kf, images, view.colours, *canvas);
  drawnSinceShow_ = true;
}

void TMainM::DrawCurveChart() {
  auto canvas = OpenCanvas();
  orv::DrawCurveChart(*view.scene, view.flags, Kf, images, view.colours, *canvas);
  drawnSinceShow_ = true;
}

void TMainM::DrawScene() {
  auto canvas = OpenCanvas();
  orv::DrawScene(*view.scene, view.flags, Kf, images, view.colours, *canvas);
}

void TMainM::RefreshWindow() {
  auto canvas = OpenCanvas();
  canvas->Erase(view.colours.background);
}

void TMainM::ApplyColours() {
  const QColor bg(view.colours.background.r, view.colours.background.g, view.colours.background.b);
  const QColor fg(view.colours.font.r, view.colours.font.g, view.colours.font.b);
  area->setBackground(bg);
  QPalette pal = area->palette();
  pal.setColor(QPalette::Window, bg);
  area->setPalette(pal);
  // The tool bar's captions take the window's font colour.
  for (SpeedButton* b : Panel1->findChildren<SpeedButton*>()) {
    QPalette bp = b->palette();
    bp.setColor(QPalette::Active, QPalette::ButtonText, fg);
    bp.setColor(QPalette::Inactive, QPalette::ButtonText, fg);
    b->setPalette(bp);
  }
}

void TMainM::Infos1Click() {
  auto canvas = OpenCanvas();
  canvas->Erase(view.colours.background);
  const std::string lines[5][2] = {
      {"Datenbank:                 ", db.Datenbankname},
      {"Original-Datei:              ", images.OriginalName},
      {"Tuning-Datei:               ", images.TuningName},
      {"Tuning-Dateigrösse:     ", std::to_string(images.TuningGroesse)},
      {"Original-Dateigrösse:    ", std::to_string(images.OriginalGroesse)},
  };
  for (int k = 0; k < 5; ++k)
    canvas->TextOut(25, 145 + 20 * k, orv::Utf8ToCp1252(lines[k][0] + lines[k][1]));
}

// ============================================================== view commands

void TMainM::OriginalBilddarstellung1Click() {
  orv::ResetViewAngles(view.params);
  if (Kf.KfXDim <= 64 && Kf.KfYDim <= 64) RedrawView();
}

void TMainM::ShowOnly(QWidget* shown, QAction* item) {
  for (QAction* a : {N3DGrafik1, Tabelle1, N3DGrafikTabelle1, Unterschiede1}) a->setChecked(a == item);
  for (QWidget* v : std::initializer_list<QWidget*>{Table, SearchView, DiffView}) v->setVisible(v == shown);
}

void TMainM::N3DGrafik1Click() {
  SpeedButton20->setSpeedDown(true);
  ShowOnly(nullptr, N3DGrafik1);
  for (SpeedButton* b : {SpeedButton12, SpeedButton13, SpeedButton15, SpeedButton16, SpeedButton17, SpeedButton19})
    b->setEnabled(true);
  OriginalBilddarstellung1->setEnabled(true);
  view.params.MitteX = area->width() / 2;
  DrawActiveMap();
}

void TMainM::SpeedButton20Click() { N3DGrafik1Click(); }

void TMainM::Tabelle1Click() {
  SpeedButton21->setSpeedDown(true);
  RefreshWindow();
  for (SpeedButton* b : {SpeedButton12, SpeedButton13, SpeedButton15}) b->setEnabled(true);
  for (SpeedButton* b : {SpeedButton16, SpeedButton17, SpeedButton19}) b->setEnabled(false);
  OriginalBilddarstellung1->setEnabled(false);
  FillTable();
  ShowOnly(Table, Tabelle1);
}

void TMainM::SpeedButton21Click() {
  Tabelle1Click();
  Timer1->stop();
}

void TMainM::N3DGrafikTabelle1Click() {
  SpeedButton22->setSpeedDown(true);
  ShowOnly(SearchView, N3DGrafikTabelle1);
}

void TMainM::Unterschiede1Click() {
  // No view button is down: the picture behind the list takes no clicks and draws nothing.
  for (SpeedButton* b : {SpeedButton20, SpeedButton21, SpeedButton22}) b->setSpeedDown(false);
  ShowOnly(DiffView, Unterschiede1);
}

void TMainM::Vergleichenmit1Click() {
  Unterschiede1Click();
  DiffView->VergleichenMitClick();
}

void TMainM::SpeedButton22Click() { N3DGrafikTabelle1Click(); }

void TMainM::KennfeldSuchenClick(orv::CellType type) {
  N3DGrafikTabelle1Click();
  SearchView->StartSearch(type);
}

namespace {
// Toggles a layer item's check mark and its flag together.
void ToggleLayer(QAction* item, bool& flag) {
  const bool now = !item->isChecked();
  item->setChecked(now);
  flag = now;
}
}  // namespace

void TMainM::OrignalGrafik1Click() {
  ToggleLayer(OrignalGrafik1, view.flags.OriginalZeigen);
  ComboBox5Change();
}
void TMainM::TuningGrafik1Click() {
  ToggleLayer(TuningGrafik1, view.flags.TuningZeigen);
  ComboBox5Change();
}
void TMainM::Bodengitter1Click() {
  ToggleLayer(Bodengitter1, view.flags.BodengitterZeigen);
  ComboBox5Change();
}
void TMainM::Koordinatenkreuz1Click() {
  ToggleLayer(Koordinatenkreuz1, view.flags.KreuzZeigen);
  ComboBox5Change();
}
void TMainM::VergleichGrafik1Click() {
  ToggleLayer(VergleichGrafik1, view.flags.VergleichZeigen);
  ComboBox5Change();
}

void TMainM::Pfeil1Click() {
  if (Pfeil1->isChecked()) {
    Pfeil1->setChecked(false);
    Zugriffspfeil1->setChecked(false);
    view.flags.PfeilZeigen = false;
    Timer1->stop();
  } else {
    Pfeil1->setChecked(true);
    Zugriffspfeil1->setChecked(true);
    Timer1->start();
    view.flags.PfeilZeigen = true;
  }
  ComboBox5Change();
}

void TMainM::Zugriffspfeil1Click() { Pfeil1Click(); }

void TMainM::Timer1Timer() {
  if (!SpeedButton20->isChecked() || !orv::DrawsAsSurface(Kf)) return;
  view.flags.PfeilZelle = 1 + static_cast<std::int32_t>(QRandomGenerator::global()->bounded(Kf.KfZellen));
  DrawScene();
}

void TMainM::Schwarz1Click() { ChangeColours({orv::colours::Black, orv::colours::Red}); }
void TMainM::Weiss1Click() { ChangeColours({orv::colours::White, orv::colours::Black}); }
void TMainM::Grau1Click() { ChangeColours({orv::colours::Silver, orv::colours::Black}); }

void TMainM::ChangeColours(const orv::WindowColours& c) {
  view.colours = c;
  ApplyColours();
  // The picture takes the new colour at once, also where nothing is drawn again
  // (no map, a map that is not drawn, the table or search view).
  RefreshWindow();
  ComboBox5Change();
}

// ============================================================== mouse

orv::DragMode TMainM::DragModeNow() const {
  if (SpeedButton16->isChecked()) return orv::DragMode::TurnZoom;
  if (SpeedButton17->isChecked()) return orv::DragMode::Tilt;
  if (SpeedButton19->isChecked()) return orv::DragMode::Stretch;
  return orv::DragMode::None;
}

void TMainM::FormMouseDown(Qt::MouseButton, int x, int y) {
  view.params.MausLetztX = x;
  view.params.MausLetztY = y;
}

void TMainM::FormMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods, int x, int y) {
  view.params.MausX = x;
  view.params.MausY = y;
  if (!SpeedButton20->isChecked()) return;
  const Qt::KeyboardModifiers keys = mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  if (buttons != Qt::LeftButton || keys != Qt::NoModifier) return;
  if (orv::DragStep(view.params, DragModeNow(), x, y) && orv::DrawsAsSurface(Kf)) RedrawView();
}

// ============================================================== editing

int TMainM::EditStep() const {
  std::int32_t v = 0;
  if (!orv::TryParseInt(SpinEdit1->text().toStdString(), v)) return SpinEdit1->minimum();
  return std::clamp(v, SpinEdit1->minimum(), SpinEdit1->maximum());
}

orv::EditMode TMainM::EditModeNow() const {
  return SpeedButton11->text() == QLatin1String("Bit") ? orv::EditMode::Bit : orv::EditMode::Percent;
}

orv::MapLayout TMainM::ActiveLayout() const {
  orv::MapLayout m;
  m.start = Kf.KfAdresse;
  m.xdim = Kf.KfXDim;
  m.ydim = Kf.KfYDim;
  m.type = orv::CellTypeFromCode(Kf.KfTyp);
  m.isSigned = Kf.KfSigned;
  return m;
}

void TMainM::SpeedButton10Click() {
  const int v = EditStep();
  if (v < 0) {
    SpinEdit1->setValue(-v);
    SpeedButton10->setText(QStringLiteral("+"));
  } else if (v > 0) {
    SpinEdit1->setValue(-v);
    SpeedButton10->setText(QStringLiteral("-"));
  }
}

void TMainM::SpinEdit1Change() {
  const int v = EditStep();
  if (v < 0) SpeedButton10->setText(QStringLiteral("-"));
  else if (v > 0) SpeedButton10->setText(QStringLiteral("+"));
}

void TMainM::SpeedButton11Click() {
  SpeedButton11->setText(SpeedButton11->text() == QLatin1String("Bit") ? QStringLiteral("%") : QStringLiteral("Bit"));
}

void TMainM::ReleaseViewModes() {
  SpeedButton14->setSpeedDown(false);
  group2_->AllowAllUp = true;
  for (SpeedButton* b : {SpeedButton16, SpeedButton17, SpeedButton19}) b->setSpeedDown(false);
}

void TMainM::ReleaseEditScope() {
  group1_->AllowAllUp = true;
  for (SpeedButton* b : {SpeedButton12, SpeedButton13, SpeedButton15}) b->setSpeedDown(false);
}

void TMainM::SpeedButton12Click() { ReleaseViewModes(); }
void TMainM::SpeedButton13Click() { ReleaseViewModes(); }
void TMainM::SpeedButton15Click() { ReleaseViewModes(); }
void TMainM::SpeedButton14Click() {
  const bool r1 = SpeedButton14->isChecked();
  ReleaseEditScope();
  SpeedButton14->setSpeedDown(r1);
}
void TMainM::SpeedButton16Click() { ReleaseEditScope(); }
void TMainM::SpeedButton17Click() { ReleaseEditScope(); }
void TMainM::SpeedButton19Click() { ReleaseEditScope(); }

void TMainM::PushPatch(const QString& label, const orv::TuningPatch& patch) {
  undoStack->push(new TuningPatchCommand(*this, label, patch));
}

void TMainM::RedrawAfterEdit() {
  if (Kf.KfXDim == 1 || Kf.KfYDim == 1) DrawCurveChart();
  else if (orv::DrawsAsSurface(Kf)) RedrawView();
}

namespace {
// The bytes an edit of the active map can touch.
std::pair<std::int64_t, std::int64_t> MapBytes(const orv::MapLayout& m) {
  return {m.start, orv::MapResetByteCount(m)};
}
}  // namespace

void TMainM::ApplyClickEdit(ClickEdit what) {
  const orv::MapLayout m = ActiveLayout();
  const auto [start, count] = MapBytes(m);
  const std::int64_t cell = edit.SelectedCell;
  const int step = EditStep();
  const orv::EditMode mode = EditModeNow();
  const std::int64_t cellOffset = m.CellOffset(cell), cellBytes = orv::CellWidth(m.type);
  switch (what) {
    case ClickEdit::One:
      if (cell > 0)
        TuningEdit(QStringLiteral("Wert ändern"), cellOffset, cellBytes,
                   [&] { orv::ChangeCell(images.Tuning(), images.TuningMutable(), m, cell, step, mode); });
      break;
    case ClickEdit::Nine:
      if (cell > 0)
        TuningEdit(QStringLiteral("9 Werte ändern"), start, count,
                   [&] { orv::ChangeNine(images.TuningMutable(), m, cell, step, mode); });
      break;
    case ClickEdit::All:
      TuningEdit(QStringLiteral("Kennfeld ändern"), start, count,
                 [&] { orv::ChangeAll(images.TuningMutable(), m, step, mode); });
      break;
    case ClickEdit::Reset:
      if (cell > 0 && orv::IsMapEditType(m.type))
        TuningEdit(QStringLiteral("Wert zurücksetzen"), cellOffset, cellBytes,
                   [&] { orv::CopyCell(images.Original(), images.TuningMutable(), m, cell); });
      break;
  }
}

void TMainM::FormClick() {
  // A map too large (or too small) for the picture is loaded but not drawn: the
  // picture still shows another map, so a click must not change this one.
  if (!orv::DrawsAsSurface(Kf) && !orv::DrawsAsChart(Kf)) {
    edit.SelectedCell = 0;
    return;
  }
  const auto& points = view.scene->Tuning.Bildpunkte;
  auto pick = [&] {
    edit.SelectedCell = orv::PickCell(points, Kf.KfZellen, view.params.MausLetztX, view.params.MausLetztY);
  };
  if (SpeedButton20->isChecked()) {
    pick();
    if (SpeedButton12->isChecked()) ApplyClickEdit(ClickEdit::One);
    if (SpeedButton13->isChecked()) ApplyClickEdit(ClickEdit::Nine);
    if (SpeedButton15->isChecked()) ApplyClickEdit(ClickEdit::All);
    RedrawAfterEdit();
  }
  if (SpeedButton14->isChecked()) {
    pick();
    ApplyClickEdit(ClickEdit::Reset);
    RedrawAfterEdit();
  }
}

void TMainM::FillTable() { Table->Fill(); }

void TMainM::StringGrid1Click(int row, int column) { Table->CellClicked(row, column); }

// ============================================================== resets

void TMainM::AktivesKennfeldzurcksetzen1Click() {
  SpeedButton14->setSpeedDown(false);
  if (images.OriginalName.empty() || images.TuningName.empty()) return;
  if (!Ui().Ask(this, BoxKind::Confirmation, CaptionOf(BoxKind::Confirmation),
                QStringLiteral("Wollten Sie das ganze aktive Kennfeld zurücksetzen?")))
    return;
  const orv::MapLayout m = ActiveLayout();
  const auto [start, count] = MapBytes(m);
  {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const struct Restore { ~Restore() { QApplication::restoreOverrideCursor(); } } restore;
    if (images.OriginalGroesse == images.TuningGroesse) {
      TuningEdit(QStringLiteral("Kennfeld zurücksetzen"), start, count,
                 [&] { orv::CopyRange(images.Original(), images.TuningMutable(), start, count); });
    } else {
      QApplication::restoreOverrideCursor();
      QApplication::setOverrideCursor(Qt::ArrowCursor);
      Ui().Message(this, BoxKind::Information, CaptionOf(BoxKind::Information), kSizeMessage);
    }
  }
  ComboBox5Change();
}

void TMainM::GanzeDateizurcksetzen1Click() {
  if (!view.flags.OriginalZeigen || !view.flags.TuningZeigen) return;
  if (!Ui().Ask(this, BoxKind::Confirmation, CaptionOf(BoxKind::Confirmation),
                QStringLiteral("Wollten Sie wirklich die ganze Tuning-Datei zurücksetzen?")))
    return;
  if (images.OriginalGroesse != images.TuningGroesse) {
    Ui().Message(this, BoxKind::Information, CaptionOf(BoxKind::Information), kSizeMessage);
    return;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const struct Restore { ~Restore() { QApplication::restoreOverrideCursor(); } } restore;
  TuningEdit(QStringLiteral("Ganze Datei zurücksetzen"), 0, images.TuningGroesse, [&] {
    orv::CopyRange(images.Original(), images.TuningMutable(), 0, images.OriginalGroesse);
  });
}

void TMainM::Drehzahlbegrenzerzurcksetzen1Click() {
  if (!Ui().Ask(this, BoxKind::Confirmation, CaptionOf(BoxKind::Confirmation),
                QStringLiteral("Wollten Sie wirklich den Drehzahlbegrenzerwert zurücksetzen?")))
    return;
  db.SatzLesen(0);
  const std::int64_t offset = orv::ScaleAddress(orv::ParseHex(db.Datensatz.get(orv::fld::Anfangsadresse)), db.Systemcode);
  const orv::CellType type = orv::CellTypeFromCode(db.Datensatz.get(orv::fld::KennfeldTyp));
  TuningEdit(QStringLiteral("Drehzahlbegrenzer zurücksetzen"), offset, orv::CellWidth(type),
             [&] { orv::CopyValue(images.Original(), images.TuningMutable(), offset, type); });
}

// ============================================================== dialogs

int TMainM::ShowModal(QWidget* form) {
  auto* dialog = qobject_cast<QDialog*>(form);
  return dialog ? dialog->exec() : 0;
}

void TMainM::AfterDialog() {
  emit projectChanged();
  if (!ComboBox5->currentText().isEmpty() && SpeedButton20->isChecked()) ComboBox5Change();
}

void TMainM::Kennfelderdefinieren1Click() {
  ShowModal(forms.Kennfelder);
  if (ComboBox5->count() > 0) ComboBox5->setCurrentIndex(0);
  AfterDialog();
}

void TMainM::Drehzahlbegrenzerdefinieren1Click() {
  ShowModal(forms.Speedlimitdef);
  AfterDialog();
}

void TMainM::Checksumme1Click() {
  if (view.flags.OriginalZeigen && view.flags.TuningZeigen) ShowModal(forms.Checksumme);
  AfterDialog();
}

void TMainM::Drehzahlbegrenzer1Click() {
  ShowModal(forms.Speedlimiter);
  AfterDialog();
}

void TMainM::Hardware1Click() {
  ShowModal(forms.Setup);
  AfterDialog();
}

void TMainM::Info1Click() {
  ShowModal(forms.Info);
  AfterDialog();
}

void TMainM::Kennfelddatenaedern1Click() {
  forms.KF_Namen->RecordNumber = Kf.KfNummer;
  ShowModal(forms.KF_Namen);
  EmptyMapList();
  if (db.Datei.IsOpen()) FillMapList();
  // The entry of the record passed to the form (none before a map was selected).
  const std::int32_t n = Kf.KfNummer;
  ComboBox5->setCurrentIndex(n - 1 < ComboBox5->count() ? n - 1 : -1);
  AfterDialog();
}
