#pragma once
// The one place message boxes and file dialogs go through, so tests (and the
// screenshot mode) can answer them without a person.
#include <QString>

class QWidget;

namespace orv::ui {

enum class BoxKind { Warning, Error, Information, Confirmation };

// Answers of the question whether to save changes first.
enum class SaveChoice { Save, Discard, Cancel };

// German caption of a box kind: "Warnung", "Fehler", "Information", "Bestätigen".
QString CaptionOf(BoxKind kind);

class Seam {
 public:
  virtual ~Seam() = default;
  // Path chosen, or empty when cancelled. `filter` uses the "desc|pattern|desc|pattern" form.
  virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& filter, const QString& dir) = 0;
  virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& filter, const QString& dir) = 0;
  // A box with an OK button.
  virtual void Message(QWidget* parent, BoxKind kind, const QString& caption, const QString& text) = 0;
  // A box with "&Ja" and "&Nein"; true for "&Ja".
  virtual bool Ask(QWidget* parent, BoxKind kind, const QString& caption, const QString& text) = 0;
  // A question with "&Ja" (save), "&Nein" (discard) and "Abbrechen".
  virtual SaveChoice AskSave(QWidget* parent, const QString& caption, const QString& text) = 0;
  // A line of text to enter under `label`, starting as `text`, with "OK" and
  // "Abbrechen"; false when cancelled (the default: nobody to ask).
  virtual bool AskText(QWidget* parent, const QString& caption, const QString& label, QString& text) {
    (void)parent, (void)caption, (void)label, (void)text;
    return false;
  }
};

// The seam in force (the real dialogs unless a test or the screenshot mode set another).
Seam& Ui();
// Installs a seam (nullptr: back to the real dialogs). The caller keeps ownership.
void SetSeam(Seam* seam);

// Turns "Chip-Datenbank (*.dbc)|*.dbc" into a Qt filter list.
QString QtFilter(const QString& pipeFilter);

// Shows a runtime error in the box captioned "Orvanta 2000".
void ShowRuntimeError(QWidget* parent, const QString& text);

// A seam that never waits for a person: boxes go to standard error (questions are
// answered "&Nein", unsaved changes are not saved), file dialogs return nothing,
// and every error box is counted.
class ConsoleSeam : public Seam {
 public:
  QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
  QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
  void Message(QWidget*, BoxKind kind, const QString& caption, const QString& text) override;
  bool Ask(QWidget*, BoxKind kind, const QString& caption, const QString& text) override;
  SaveChoice AskSave(QWidget*, const QString& caption, const QString& text) override;
  int errors = 0;
};

}  // namespace orv::ui
