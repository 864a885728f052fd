#include "app/Seams.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <cstdio>

namespace orv::ui {

namespace {

QMessageBox::Icon IconOf(BoxKind kind) {
  switch (kind) {
    case BoxKind::Warning: return QMessageBox::Warning;
    case BoxKind::Error: return QMessageBox::Critical;
    case BoxKind::Information: return QMessageBox::Information;
    case BoxKind::Confirmation: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

class RealSeam : public Seam {
 public:
  QString OpenFileName(QWidget* parent, const QString& title, const QString& filter, const QString& dir) override {
    return QFileDialog::getOpenFileName(parent, title, dir, QtFilter(filter));
  }
  QString SaveFileName(QWidget* parent, const QString& title, const QString& filter, const QString& dir) override {
    return QFileDialog::getSaveFileName(parent, title, dir, QtFilter(filter));
  }
  void Message(QWidget* parent, BoxKind kind, const QString& caption, const QString& text) override {
    QMessageBox box(IconOf(kind), caption, text, QMessageBox::NoButton, parent);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
  }
  bool Ask(QWidget* parent, BoxKind kind, const QString& caption, const QString& text) override {
    QMessageBox box(IconOf(kind), caption, text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
  }
  SaveChoice AskSave(QWidget* parent, const QString& caption, const QString& text) override {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes) return SaveChoice::Save;
    if (box.clickedButton() == no) return SaveChoice::Discard;
    return SaveChoice::Cancel;
  }
  bool AskText(QWidget* parent, const QString& caption, const QString& label, QString& text) override {
    QInputDialog box(parent);
    box.setWindowTitle(caption);
    box.setLabelText(label);
    box.setTextValue(text);
    box.setOkButtonText(QStringLiteral("OK"));
    box.setCancelButtonText(QStringLiteral("Abbrechen"));
    if (box.exec() != QDialog::Accepted) return false;
    text = box.textValue();
    return true;
  }
};

Seam* g_seam = nullptr;

}  // namespace

QString CaptionOf(BoxKind kind) {
  switch (kind) {
    case BoxKind::Warning: return QStringLiteral("Warnung");
    case BoxKind::Error: return QStringLiteral("Fehler");
    case BoxKind::Information: return QStringLiteral("Information");
    case BoxKind::Confirmation: return QStringLiteral("Bestätigen");
  }
  return {};
}

Seam& Ui() {
  static RealSeam real;
  return g_seam ? *g_seam : real;
}

void SetSeam(Seam* seam) { g_seam = seam; }

QString QtFilter(const QString& pipeFilter) {
  const QStringList parts = pipeFilter.split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString desc = parts[i];
    const QString pattern = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
    // Qt reads the patterns from the brackets of the description.
    const int open = desc.indexOf(QLatin1Char('('));
    if (open >= 0) desc = desc.left(open).trimmed();
    out << QStringLiteral("%1 (%2)").arg(desc, pattern);
  }
  return out.join(QStringLiteral(";;"));
}

void ShowRuntimeError(QWidget* parent, const QString& text) {
  Ui().Message(parent, BoxKind::Error, QStringLiteral("Orvanta 2000"), text);
}

void ConsoleSeam::Message(QWidget*, BoxKind kind, const QString& caption, const QString& text) {
  if (kind == BoxKind::Error) ++errors;
  std::fprintf(stderr, "[%s] %s: %s\n", qPrintable(CaptionOf(kind)), qPrintable(caption), qPrintable(text));
}

bool ConsoleSeam::Ask(QWidget*, BoxKind kind, const QString& caption, const QString& text) {
  std::fprintf(stderr, "[%s] %s: %s -> &Nein\n", qPrintable(CaptionOf(kind)), qPrintable(caption), qPrintable(text));
  return false;
}

SaveChoice ConsoleSeam::AskSave(QWidget*, const QString& caption, const QString& text) {
  std::fprintf(stderr, "[%s] %s: %s -> &Nein\n", qPrintable(CaptionOf(BoxKind::Confirmation)), qPrintable(caption),
               qPrintable(text));
  return SaveChoice::Discard;
}

}  // namespace orv::ui
