#include "app/TableView.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "app/Guard.h"
#include "app/MainEdit.h"
#include "app/QtText.h"
#include "app/Seams.h"
#include "app/SpeedButton.h"
#include "maps/Axes.h"
#include "maps/Resets.h"
#include "project/NumberText.h"

namespace orv::ui {

namespace {

constexpr int kChangedRole = Qt::UserRole + 1;
const QColor kChangedFrame(150, 0, 150);
const QColor kSelectionWash(40, 90, 200, 80);
const QColor kMutedText(150, 150, 150);

// Pale colours from cool (t = 0) to warm (t = 1): black text stays readable on each.
QColor CoolToWarm(double t) {
  static const std::vector<QColor> scale = [] {
    std::vector<QColor> s;
    for (int i = 0; i <= 100; ++i) s.push_back(QColor::fromHsvF(240.0 / 360.0 * (1.0 - i / 100.0), 0.32f, 1.0f));
    return s;
  }();
  return scale[static_cast<std::size_t>(std::lround(std::clamp(t, 0.0, 1.0) * 100.0))];
}

// A change: pale blue for less, pale red for more, the stronger the larger.
QColor ChangeTint(double t) {
  const double a = std::clamp(std::abs(t), 0.0, 1.0);
  return QColor::fromHsvF(t < 0 ? 220.0 / 360.0 : 0.0, static_cast<float>(0.08 + 0.30 * a), 1.0f);
}

QString Percent(double p) {
  QString s = QString::number(p, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(','));
  return (p > 0 ? QStringLiteral("+") : QString()) + s + QStringLiteral(" %");
}

}  // namespace

// ============================================================== model

class TableModel : public QAbstractTableModel {
 public:
  struct Cell {
    std::int64_t tuning = 0, original = 0;
    bool hasTuning = false, hasOriginal = false;
    bool changed() const { return hasTuning && hasOriginal && tuning != original; }
  };
  using Shown = TableView::Shown;

  explicit TableModel(QObject* parent) : QAbstractTableModel(parent) { bold_.setBold(true); }

  int rowCount(const QModelIndex& p = {}) const override { return p.isValid() ? 0 : rows_; }
  int columnCount(const QModelIndex& p = {}) const override { return p.isValid() ? 0 : cols_; }

  // What a cell shows: its text, its tint (invalid: none) and whether it changed.
  struct Look {
    QString text;
    QColor tint;
    bool changed = false;
    bool muted = false;  // an unchanged cell while the change is shown
  };
  Look LookOf(int row, int col) const {
    if (row < 0 || col < 0 || row >= rows_ || col >= cols_) return {};
    const Cell& c = cells_[static_cast<std::size_t>(row) * cols_ + col];
    if (!c.hasTuning) return {};
    return {Text(c), Tint(c), c.changed(), shown_ != Shown::Values && !c.changed()};
  }

  QVariant data(const QModelIndex& i, int role) const override {
    if (!i.isValid() || i.row() >= rows_ || i.column() >= cols_) return {};
    const Cell& c = cells_[static_cast<std::size_t>(i.row()) * cols_ + i.column()];
    switch (role) {
      case Qt::DisplayRole: return c.hasTuning ? Text(c) : QString();
      case Qt::TextAlignmentRole: return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
      case Qt::BackgroundRole: return c.hasTuning && Tint(c).isValid() ? QVariant(QBrush(Tint(c))) : QVariant();
      case Qt::ToolTipRole: return c.changed() ? QStringLiteral("Original: %1").arg(c.original) : QVariant();
      case Qt::FontRole: return c.changed() ? QVariant(bold_) : QVariant();
      case kChangedRole: return c.changed();
      default: return {};
    }
  }

  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, o, role);
    const QStringList& labels = o == Qt::Horizontal ? columnLabels_ : rowLabels_;
    return section >= 0 && section < labels.size() ? labels[section] : QVariant();
  }

  void Set(int rows, int cols, std::vector<Cell> cells, QStringList columnLabels, QStringList rowLabels) {
    const bool same = rows == rows_ && cols == cols_;
    if (!same) beginResetModel();
    rows_ = rows;
    cols_ = cols;
    cells_ = std::move(cells);
    columnLabels_ = std::move(columnLabels);
    rowLabels_ = std::move(rowLabels);
    lo_ = hi_ = 0;
    maxDiff_ = 0;
    maxPercent_ = 0;
    bool first = true;
    for (const Cell& c : cells_) {
      if (!c.hasTuning) continue;
      lo_ = first ? c.tuning : std::min(lo_, c.tuning);
      hi_ = first ? c.tuning : std::max(hi_, c.tuning);
      first = false;
      if (!c.hasOriginal) continue;
      maxDiff_ = std::max(maxDiff_, std::abs(c.tuning - c.original));
      if (c.original != 0) maxPercent_ = std::max(maxPercent_, std::abs(PercentOf(c)));
    }
    if (!same) {
      endResetModel();
    } else if (rows_ > 0 && cols_ > 0) {
      emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
      emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
      emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
    }
  }

  void SetShown(Shown s) {
    shown_ = s;
    if (rows_ > 0 && cols_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
  }

  // The longest text a cell can show now (for the column width).
  QString WidestText() const {
    switch (shown_) {
      case Shown::Values: {
        const QString a = QString::number(lo_), b = QString::number(hi_);
        return a.size() > b.size() ? a : b;
      }
      case Shown::Difference: return QStringLiteral("-") + QString::number(maxDiff_);
      case Shown::Percent: return Percent(-maxPercent_);
    }
    return {};
  }

 private:
  static double PercentOf(const Cell& c) {
    return static_cast<double>(c.tuning - c.original) * 100.0 / static_cast<double>(c.original);
  }

  QString Text(const Cell& c) const {
    if (shown_ == Shown::Values) return QString::number(c.tuning);
    if (!c.hasOriginal) return QStringLiteral("–");
    const std::int64_t d = c.tuning - c.original;
    if (shown_ == Shown::Difference) return (d > 0 ? QStringLiteral("+") : QString()) + QString::number(d);
    if (c.original == 0) return d == 0 ? Percent(0) : QStringLiteral("–");
    return Percent(PercentOf(c));
  }

  QColor Tint(const Cell& c) const {
    if (shown_ == Shown::Values)
      return CoolToWarm(hi_ > lo_ ? static_cast<double>(c.tuning - lo_) / static_cast<double>(hi_ - lo_) : 0.5);
    if (!c.changed()) return {};
    if (shown_ == Shown::Difference)
      return ChangeTint(static_cast<double>(c.tuning - c.original) / static_cast<double>(maxDiff_));
    return ChangeTint(c.original != 0 && maxPercent_ > 0 ? PercentOf(c) / maxPercent_
                                                         : (c.tuning > c.original ? 1.0 : -1.0));
  }

  int rows_ = 0, cols_ = 0;
  std::vector<Cell> cells_;
  QStringList columnLabels_, rowLabels_;
  std::int64_t lo_ = 0, hi_ = 0, maxDiff_ = 0;
  double maxPercent_ = 0;
  Shown shown_ = Shown::Values;
  QFont bold_;
};

// ============================================================== grid

namespace {

// Draws a cell with its tint also when selected (washed over in blue) and frames
// changed cells.
class CellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  // Drawn straight from the model's cell: a grid of thousands of numbers repaints
  // far faster than through the style's general item drawing.
  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const auto* model = static_cast<const TableModel*>(index.model());
    const TableModel::Look look = model->LookOf(index.row(), index.column());
    const QRect r = option.rect;
    p->fillRect(r, look.tint.isValid() ? look.tint : option.palette.color(QPalette::Base));
    if (option.state & QStyle::State_Selected) p->fillRect(r, kSelectionWash);
    if (look.changed && base_ != option.font) {
      base_ = option.font;
      bold_ = base_;
      bold_.setBold(true);
    }
    p->setFont(look.changed ? bold_ : option.font);
    p->setPen(look.muted ? kMutedText : option.palette.color(QPalette::Text));
    p->drawText(r.adjusted(3, 0, -5, 0), Qt::AlignRight | Qt::AlignVCenter, look.text);
    if (look.changed) {
      QPen pen(kChangedFrame, 2);
      pen.setJoinStyle(Qt::MiterJoin);
      p->setPen(pen);
      p->setBrush(Qt::NoBrush);
      p->drawRect(QRectF(r).adjusted(1.5, 1.5, -1.5, -1.5));
    }
    if (option.state & QStyle::State_HasFocus) {
      p->setPen(QPen(option.palette.color(QPalette::Text), 1, Qt::DotLine));
      p->setBrush(Qt::NoBrush);
      p->drawRect(r.adjusted(0, 0, -1, -1));
    }
  }

 private:
  mutable QFont base_, bold_;
};

}  // namespace

TableGrid::TableGrid(QWidget* parent) : QTableView(parent) {
  setObjectName(QStringLiteral("StringGrid1"));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setWordWrap(false);
  setItemDelegate(new CellDelegate(this));
  setContextMenuPolicy(Qt::CustomContextMenu);
  horizontalHeader()->setMinimumSectionSize(8);
  verticalHeader()->setMinimumSectionSize(8);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}

void TableGrid::keyPressEvent(QKeyEvent* e) {
  const bool chord = e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  const QString t = e->text();
  if (!chord && t.size() == 1 && (t[0].isDigit() || t[0] == QLatin1Char('-'))) {
    if (onTyped) onTyped(t);
    return;
  }
  // Other letters do not jump to a cell that starts with them.
  if (!chord && !t.isEmpty() && t[0].isPrint()) return;
  QTableView::keyPressEvent(e);
}

void TableGrid::mousePressEvent(QMouseEvent* e) {
  const QModelIndex i = indexAt(e->position().toPoint());
  // A right click into the selection keeps it for the context menu.
  if (e->button() == Qt::RightButton && i.isValid() && selectionModel()->isSelected(i)) {
    e->accept();
    return;
  }
  pressed_ = i;
  pressMods_ = e->modifiers();
  left_ = false;
  QTableView::mousePressEvent(e);
}

void TableGrid::mouseMoveEvent(QMouseEvent* e) {
  if (pressed_.isValid() && indexAt(e->position().toPoint()) != QModelIndex(pressed_)) left_ = true;
  QTableView::mouseMoveEvent(e);
}

void TableGrid::mouseReleaseEvent(QMouseEvent* e) {
  const QModelIndex i = indexAt(e->position().toPoint());
  const bool plain = e->button() == Qt::LeftButton && i.isValid() && i == QModelIndex(pressed_) && !left_ &&
                     !(pressMods_ & (Qt::ShiftModifier | Qt::ControlModifier));
  pressed_ = QPersistentModelIndex();
  QTableView::mouseReleaseEvent(e);
  if (plain && onPlainClick) onPlainClick(i.row(), i.column());
}

// ============================================================== view

TableView::TableView(TMainM& main, QWidget* parent) : QWidget(parent), main_(main) {
  setObjectName(QStringLiteral("TableView"));
  Grid = new TableGrid(this);
  model_ = new TableModel(this);
  Grid->setModel(model_);

  Eingabe = new QLineEdit(Grid->viewport());
  Eingabe->setObjectName(QStringLiteral("Eingabe"));
  Eingabe->setAlignment(Qt::AlignRight);
  Eingabe->hide();
  Eingabe->installEventFilter(this);

  Statuszeile = new QStatusBar(this);
  Statuszeile->setObjectName(QStringLiteral("Statuszeile"));
  Statuszeile->setSizeGripEnabled(false);
  Position = new QLabel(Statuszeile);
  Position->setObjectName(QStringLiteral("Position"));
  Anzeige = new QComboBox(Statuszeile);
  Anzeige->setObjectName(QStringLiteral("Anzeige"));
  Anzeige->addItems({QStringLiteral("Werte"), QStringLiteral("Differenz"), QStringLiteral("Differenz in %")});
  Anzeige->setFocusPolicy(Qt::ClickFocus);
  Statuszeile->addPermanentWidget(Position);
  Statuszeile->addPermanentWidget(new QLabel(QStringLiteral("Anzeige:"), Statuszeile));
  Statuszeile->addPermanentWidget(Anzeige);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Grid, 1);
  layout->addWidget(Statuszeile);

  Grid->onPlainClick = [this](int r, int c) { Guard(&main_, [&] { CellClicked(r, c); }); };
  Grid->onTyped = [this](const QString& t) { Guard(&main_, [&] { StartEntry(t); }); };
  connect(Grid->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { UpdatePosition(); });
  connect(Grid->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { UpdatePosition(); });
  connect(Grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { CancelEntry(); });
  connect(Grid->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { CancelEntry(); });
  connect(Anzeige, &QComboBox::currentIndexChanged, this, [this](int i) { SetShown(static_cast<Shown>(i)); });
  connect(Grid, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) { ShowContextMenu(p); });
  BuildCommands();
  UpdateCommands();
}

TableView::~TableView() = default;

void TableView::BuildCommands() {
  auto make = [this](const char* name, const QString& text, QList<QKeySequence> keys, std::function<void()> run) {
    auto* a = new QAction(text, this);
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcuts(keys);
    // The keys work while the table (or the value being typed) has the focus, nowhere else.
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(a, &QAction::triggered, this, [this, run = std::move(run)] { Guard(&main_, run); });
    addAction(a);
    return a;
  };
  const auto ctrl = [](int key, bool keypad = false) {
    return QKeySequence(QKeyCombination(Qt::ControlModifier | (keypad ? Qt::KeypadModifier : Qt::NoModifier),
                                        static_cast<Qt::Key>(key)));
  };
  Kopieren1 = make("Kopieren1", QStringLiteral("Ko&pieren"), {ctrl(Qt::Key_C)}, [this] { CopySelection(); });
  Einfuegen1 = make("Einfuegen1", QStringLiteral("&Einfügen"), {ctrl(Qt::Key_V)}, [this] { PasteClipboard(); });
  Erhoehen1 = make("Erhoehen1", QStringLiteral("Werte er&höhen"),
                   {ctrl(Qt::Key_Plus), ctrl(Qt::Key_Equal), ctrl(Qt::Key_Plus, true),
                    QKeySequence(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Plus)},
                   [this] { StepSelection(true); });
  Vermindern1 = make("Vermindern1", QStringLiteral("Werte &vermindern"), {ctrl(Qt::Key_Minus), ctrl(Qt::Key_Minus, true)},
                     [this] { StepSelection(false); });
  Multiplizieren1 = make("Multiplizieren1", QStringLiteral("&Multiplizieren…"), {}, [this] { MultiplyClick(); });
  Addieren1 = make("Addieren1", QStringLiteral("&Addieren…"), {}, [this] { AddClick(); });
  InterpolierenMenu = new QMenu(QStringLiteral("&Interpolieren"), this);
  InterpolierenMenu->setObjectName(QStringLiteral("Interpolieren1"));
  InterpolierenZeilen1 = make("InterpolierenZeilen1", QStringLiteral("&Zeilenweise"), {},
                              [this] { Interpolate(InterpolateMode::Rows); });
  InterpolierenSpalten1 = make("InterpolierenSpalten1", QStringLiteral("&Spaltenweise"), {},
                               [this] { Interpolate(InterpolateMode::Columns); });
  InterpolierenBeide1 = make("InterpolierenBeide1", QStringLiteral("&Beides (bilinear)"), {},
                             [this] { Interpolate(InterpolateMode::Both); });
  InterpolierenMenu->addActions({InterpolierenZeilen1, InterpolierenSpalten1, InterpolierenBeide1});
}

void TableView::AddCommandsTo(QMenu* menu, QAction* before) {
  menu->insertActions(before, {Kopieren1, Einfuegen1});
  menu->insertSeparator(before);
  menu->insertActions(before, {Erhoehen1, Vermindern1, Multiplizieren1, Addieren1});
  menu->insertMenu(before, InterpolierenMenu);
  menu->insertSeparator(before);
}

void TableView::ShowContextMenu(const QPoint& at) {
  auto* menu = findChild<QMenu*>(QStringLiteral("TabellenMenu"));
  if (!menu) {
    menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("TabellenMenu"));
    menu->addActions({Kopieren1, Einfuegen1});
    menu->addSeparator();
    menu->addActions({Erhoehen1, Vermindern1, Multiplizieren1, Addieren1});
    menu->addMenu(InterpolierenMenu);
    QMenu* shown = menu->addMenu(QStringLiteral("A&nzeige"));
    auto* group = new QActionGroup(shown);
    for (int i = 0; i < Anzeige->count(); ++i) {
      QAction* a = shown->addAction(Anzeige->itemText(i));
      a->setCheckable(true);
      group->addAction(a);
      connect(a, &QAction::triggered, this, [this, i] { Anzeige->setCurrentIndex(i); });
    }
    connect(shown, &QMenu::aboutToShow, this, [this, shown] {
      for (int i = 0; i < shown->actions().size(); ++i) shown->actions()[i]->setChecked(i == Anzeige->currentIndex());
    });
    // The window's own pop-up items follow.
    menu->addSeparator();
    menu->addActions(main_.PopupMenu1->actions());
  }
  menu->popup(Grid->viewport()->mapToGlobal(at));
}

void TableView::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  UpdateCommands();
  Grid->setFocus();
}

void TableView::hideEvent(QHideEvent* e) {
  CancelEntry();
  QWidget::hideEvent(e);
  UpdateCommands();
}

bool TableView::Editable() {
  return !isHidden() && IsMapEditType(main_.ActiveLayout().type) && main_.images.TuningLoaded() &&
         model_->rowCount() > 0;
}

void TableView::UpdateCommands() {
  const bool editable = Editable();
  Kopieren1->setEnabled(!isHidden());
  for (QAction* a : {Einfuegen1, Erhoehen1, Vermindern1, Multiplizieren1, Addieren1, InterpolierenZeilen1,
                     InterpolierenSpalten1, InterpolierenBeide1})
    a->setEnabled(editable);
  InterpolierenMenu->setEnabled(editable);
}

void TableView::UpdatePosition() {
  const QModelIndex cur = Grid->currentIndex();
  QString text;
  if (cur.isValid()) text = QStringLiteral("Zeile %1, Spalte %2").arg(cur.row() + 1).arg(cur.column() + 1);
  const CellRect sel = Selection();
  if (sel.rows * sel.cols > 1) text += QStringLiteral(" – %1 × %2 markiert").arg(sel.rows).arg(sel.cols);
  if (model_->rowCount() > 0 && !IsMapEditType(main_.ActiveLayout().type)) text += QStringLiteral(" – nur Anzeige");
  Position->setText(text);
}

void TableView::Note(const QString& text) {
  if (text.isEmpty()) Statuszeile->clearMessage();
  else Statuszeile->showMessage(text);
}

// ---------------------------------------------------------------- filling

void TableView::Fill() {
  CancelEntry();
  const MapLayout m = main_.ActiveLayout();
  const ActiveMap& kf = main_.Kf;
  const bool sensible = kf.KfXDim > 0 && kf.KfYDim > 0 && std::int64_t{kf.KfXDim} * kf.KfYDim <= 65536;
  const int cols = sensible ? kf.KfXDim : 0, rows = sensible ? kf.KfYDim : 0;
  const auto tuning = main_.images.Tuning(), original = main_.images.Original();
  std::vector<TableModel::Cell> cells(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const auto cell = static_cast<std::int64_t>(i) + 1;
    const auto tv = ReadCell(tuning, m, cell), ov = ReadCell(original, m, cell);
    cells[i] = {tv.value_or(0), ov.value_or(0), tv.has_value(), ov.has_value()};
  }
  // Axis labels from the active map's own record: the axis values read from the
  // image, or start value and factor; otherwise the numbers from 1.
  const auto axisImage = tuning.empty() ? original : tuning;
  const char sep = DecimalSeparator();
  auto axis = [&](AxisSide side, int count) {
    const auto values = AxisLabelValues(kf.KfSatz, side, count, axisImage, main_.db.Systemcode);
    QStringList labels;
    labels.reserve(count);
    for (int i = 0; i < count; ++i)
      labels << (values ? QString::fromStdString(FormatGeneral((*values)[static_cast<std::size_t>(i)], sep))
                        : QString::number(i + 1));
    return labels;
  };
  QStringList columnLabels = axis(AxisSide::X, cols), rowLabels = axis(AxisSide::Y, rows);
  // Columns as wide as the widest value or label.
  QFont bold = Grid->font();
  bold.setBold(true);
  const QFontMetrics fm(bold);
  int width = 0;
  for (const QString& l : columnLabels) width = std::max(width, fm.horizontalAdvance(l));
  model_->Set(rows, cols, std::move(cells), std::move(columnLabels), std::move(rowLabels));
  width = std::max(width, fm.horizontalAdvance(model_->WidestText()));
  Grid->horizontalHeader()->setDefaultSectionSize(width + 14);
  // A new map starts at its first cell, so the keys have somewhere to start.
  if (!Grid->currentIndex().isValid() && rows > 0) Grid->setCurrentIndex(model_->index(0, 0));
  UpdateCommands();
  UpdatePosition();
}

void TableView::ShowListedMap() {
  // With no database open there is nothing to load: the table shows the map it had.
  if (main_.db.Datei.IsOpen()) main_.LoadActiveMap();
  Note({});
  Fill();
}

void TableView::CellClicked(int row, int column) {
  main_.edit.SelectedCell = row * main_.Kf.KfXDim + column + 1;
  const std::pair<SpeedButton*, TMainM::ClickEdit> scopes[] = {{main_.SpeedButton12, TMainM::ClickEdit::One},
                                                               {main_.SpeedButton13, TMainM::ClickEdit::Nine},
                                                               {main_.SpeedButton15, TMainM::ClickEdit::All},
                                                               {main_.SpeedButton14, TMainM::ClickEdit::Reset}};
  for (const auto& [button, what] : scopes) {
    if (!button->isChecked()) continue;
    main_.ApplyClickEdit(what);
    // Each edit reloads the active map from its record and fills the table again.
    if (main_.db.Datei.IsOpen()) main_.LoadActiveMap();
    Fill();
    Grid->setCurrentIndex(model_->index(row, column));
  }
}

void TableView::SetShown(Shown s) {
  {
    const QSignalBlocker quiet(Anzeige);
    Anzeige->setCurrentIndex(static_cast<int>(s));
  }
  model_->SetShown(s);
  Fill();
}

// ---------------------------------------------------------------- selection

CellRect TableView::Selection() const {
  const QItemSelection s = Grid->selectionModel()->selection();
  if (s.isEmpty()) {
    const QModelIndex cur = Grid->currentIndex();
    return cur.isValid() ? CellRect{cur.row(), cur.column(), 1, 1} : CellRect{};
  }
  int top = s.front().top(), left = s.front().left(), bottom = s.front().bottom(), right = s.front().right();
  for (const QItemSelectionRange& r : s) {
    top = std::min(top, r.top());
    left = std::min(left, r.left());
    bottom = std::max(bottom, r.bottom());
    right = std::max(right, r.right());
  }
  return {top, left, bottom - top + 1, right - left + 1};
}

void TableView::Select(const CellRect& r) {
  const CellRect c = ClipToMap(r, {0, model_->columnCount(), model_->rowCount(), CellType::N});
  if (c.empty()) return;
  const QModelIndex first = model_->index(c.top, c.left);
  Grid->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
  Grid->selectionModel()->select(QItemSelection(first, model_->index(c.top + c.rows - 1, c.left + c.cols - 1)),
                                 QItemSelectionModel::ClearAndSelect);
}

// ---------------------------------------------------------------- commands

void TableView::RunEdit(const QString& label, const std::function<RangeOutcome()>& change, const QString& clampNote) {
  if (!Editable()) return;
  const MapLayout m = main_.ActiveLayout();
  RangeOutcome out;
  main_.TuningEdit(label, m.start, MapResetByteCount(m), [&] { out = change(); });
  Fill();
  Note(out.clamped ? clampNote : QString());
}

namespace {
QString RangeNote(const MapLayout& m) {
  const ValueRange r = CellRange(m.type, m.isSigned);
  return QStringLiteral("Werte außerhalb von %1 bis %2 wurden auf diesen Bereich begrenzt.").arg(r.lo).arg(r.hi);
}
}  // namespace

void TableView::StartEntry(const QString& typed) {
  if (!Editable()) return;
  const MapLayout m = main_.ActiveLayout();
  if (typed == QLatin1String("-") && !m.isSigned) return;  // unsigned cells hold no negative value
  QModelIndex cur = Grid->currentIndex();
  if (!cur.isValid()) {
    cur = model_->index(0, 0);
    Grid->setCurrentIndex(cur);
  }
  Grid->scrollTo(cur);
  const QString pattern = m.isSigned ? QStringLiteral("-?[0-9]{0,10}") : QStringLiteral("[0-9]{0,10}");
  Eingabe->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), Eingabe));
  Eingabe->setText(typed);
  const QRect cell = Grid->visualRect(cur);
  Eingabe->setGeometry(cell.adjusted(0, -2, 0, 2).united(QRect(cell.topLeft(), QSize(80, cell.height()))));
  entering_ = true;
  Eingabe->show();
  Eingabe->setFocus();
}

void TableView::CommitEntry() {
  if (!entering_) return;
  const QString text = Eingabe->text();
  CancelEntry();
  bool ok = false;
  const qlonglong v = text.toLongLong(&ok);
  if (!ok) return;
  const MapLayout m = main_.ActiveLayout();
  const CellRect sel = Selection();
  const ValueRange r = CellRange(m.type, m.isSigned);
  RunEdit(QStringLiteral("Wert eingeben"), [&] { return SetRange(main_.images.TuningMutable(), m, sel, v); },
          QStringLiteral("%1 liegt außerhalb von %2 bis %3 und wurde auf %4 begrenzt.")
              .arg(v)
              .arg(r.lo)
              .arg(r.hi)
              .arg(std::clamp<std::int64_t>(v, r.lo, r.hi)));
}

void TableView::CancelEntry() {
  if (!entering_) return;
  entering_ = false;
  // The focus goes back first: a focused child that hides hands the focus on
  // as Tab does, which would move the current cell.
  Grid->setFocus();
  Eingabe->hide();
}

bool TableView::eventFilter(QObject* watched, QEvent* e) {
  if (watched != Eingabe) return QWidget::eventFilter(watched, e);
  if (e->type() == QEvent::FocusOut) {
    CancelEntry();
  } else if (e->type() == QEvent::KeyPress) {
    switch (static_cast<QKeyEvent*>(e)->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter: Guard(&main_, [&] { CommitEntry(); }); return true;
      case Qt::Key_Escape: CancelEntry(); return true;
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
      case Qt::Key_Tab:
      case Qt::Key_Backtab: return true;
      default: break;
    }
  }
  return QWidget::eventFilter(watched, e);
}

void TableView::StepSelection(bool up) {
  const MapLayout m = main_.ActiveLayout();
  const CellRect sel = Selection();
  const int step = main_.EditStep();
  const EditMode mode = main_.EditModeNow();
  RunEdit(up ? QStringLiteral("Werte erhöhen") : QStringLiteral("Werte vermindern"),
          [&] { return StepRange(main_.images.TuningMutable(), m, sel, up ? step : -step, mode); }, RangeNote(m));
}

bool TableView::AskNumber(const QString& caption, const QString& label, double& value) {
  QString text = QString::fromStdString(FormatGeneral(value, DecimalSeparator()));
  if (!Ui().AskText(&main_, caption, label, text)) return false;
  if (ParseDecimal(text.toStdString(), value)) return true;
  Ui().Message(&main_, BoxKind::Warning, CaptionOf(BoxKind::Warning),
               QStringLiteral("„%1“ ist keine gültige Zahl.").arg(text.left(40)));
  return false;
}

void TableView::MultiplyClick() {
  if (!Editable()) return;
  double factor = 1.0;
  if (!AskNumber(QStringLiteral("Multiplizieren"), QStringLiteral("Die markierten Werte multiplizieren mit:"), factor))
    return;
  const MapLayout m = main_.ActiveLayout();
  const CellRect sel = Selection();
  RunEdit(QStringLiteral("Multiplizieren"),
          [&] { return MultiplyRange(main_.images.TuningMutable(), m, sel, factor); }, RangeNote(m));
}

void TableView::AddClick() {
  if (!Editable()) return;
  double amount = 0.0;
  if (!AskNumber(QStringLiteral("Addieren"), QStringLiteral("Zu den markierten Werten addieren:"), amount)) return;
  const MapLayout m = main_.ActiveLayout();
  const CellRect sel = Selection();
  RunEdit(QStringLiteral("Addieren"), [&] { return AddRange(main_.images.TuningMutable(), m, sel, amount); },
          RangeNote(m));
}

void TableView::Interpolate(InterpolateMode mode) {
  const MapLayout m = main_.ActiveLayout();
  const CellRect sel = Selection();
  RunEdit(QStringLiteral("Interpolieren"),
          [&] { return InterpolateRange(main_.images.TuningMutable(), m, sel, mode); }, RangeNote(m));
}

void TableView::CopySelection() {
  const CellRect sel = Selection();
  if (sel.empty()) return;
  const std::string text = CopyRangeText(main_.images.Tuning(), main_.ActiveLayout(), sel);
  QGuiApplication::clipboard()->setText(QString::fromStdString(text));
  Note(QStringLiteral("%1 × %2 Werte kopiert.").arg(sel.rows).arg(sel.cols));
}

void TableView::PasteClipboard() { Paste(QGuiApplication::clipboard()->text()); }

void TableView::Paste(const QString& text) {
  if (!Editable()) return;
  const CellRect sel = Selection();
  if (sel.empty()) return;
  const MapLayout m = main_.ActiveLayout();
  // The block goes to the selection's top left cell (the current cell when one is selected).
  const PasteReading r = ReadPastedBlock(text.toStdString(), model_->rowCount(), model_->columnCount(), sel.top, sel.left);
  if (!r.ok) {
    Ui().Message(&main_, BoxKind::Warning, CaptionOf(BoxKind::Warning), QString::fromStdString(r.error));
    return;
  }
  RunEdit(QStringLiteral("Einfügen"), [&] { return PasteRange(main_.images.TuningMutable(), m, sel.top, sel.left, r.block); },
          RangeNote(m));
  Select({sel.top, sel.left, r.block.rows, r.block.cols});
}

}  // namespace orv::ui
