#pragma once
// Answers the program's boxes and file dialogs from a script, and records them.
#include <QApplication>
#include <QDir>
#include <QQueue>
#include <QStringList>

#include "app/Main.h"
#include "app/Seams.h"

namespace orv::test {

struct Box {
  ui::BoxKind kind;
  QString caption;
  QString text;
};

class ScriptedSeam : public ui::Seam {
 public:
  ScriptedSeam() { ui::SetSeam(this); }
  ~ScriptedSeam() override { ui::SetSeam(nullptr); }

  // Paths the next file dialogs return (empty string: cancelled).
  QQueue<QString> files;
  // Answers of the next questions (true: "&Ja"); "&Nein" when none is queued.
  QQueue<bool> answers;
  // Answers of the next questions whether to save first; "&Nein" when none is queued.
  QQueue<ui::SaveChoice> saveAnswers;
  // Texts entered into the next text questions (none queued: cancelled).
  QQueue<QString> inputs;
  QList<Box> boxes;
  QStringList dialogTitles;
  QStringList dialogFilters;

  QString OpenFileName(QWidget*, const QString& title, const QString& filter, const QString&) override {
    dialogTitles << title;
    dialogFilters << filter;
    return files.isEmpty() ? QString() : files.dequeue();
  }
  QString SaveFileName(QWidget*, const QString& title, const QString& filter, const QString&) override {
    dialogTitles << title;
    dialogFilters << filter;
    return files.isEmpty() ? QString() : files.dequeue();
  }
  void Message(QWidget*, ui::BoxKind kind, const QString& caption, const QString& text) override {
    boxes << Box{kind, caption, text};
  }
  bool Ask(QWidget*, ui::BoxKind kind, const QString& caption, const QString& text) override {
    boxes << Box{kind, caption, text};
    return answers.isEmpty() ? false : answers.dequeue();
  }
  ui::SaveChoice AskSave(QWidget*, const QString& caption, const QString& text) override {
    boxes << Box{ui::BoxKind::Confirmation, caption, text};
    return saveAnswers.isEmpty() ? ui::SaveChoice::Discard : saveAnswers.dequeue();
  }
  bool AskText(QWidget*, const QString& caption, const QString& label, QString& text) override {
    boxes << Box{ui::BoxKind::Confirmation, caption, label};
    if (inputs.isEmpty()) return false;
    text = inputs.dequeue();
    return true;
  }
  // Texts of the boxes shown so far.
  QStringList texts() const {
    QStringList t;
    for (const Box& b : boxes) t << b.text;
    return t;
  }
};

// A main window shown at a fixed size, with its dialogs, as the program makes it.
inline std::unique_ptr<TMainM> MakeMainWindow(int width = 800, int height = 600) {
  auto m = std::make_unique<TMainM>();
  m->CreateForms();
  m->resize(width, height);
  m->show();
  QApplication::processEvents();
  return m;
}

}  // namespace orv::test
