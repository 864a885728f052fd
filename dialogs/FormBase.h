#pragma once
// Common ground of the dialogs: created once at start, shown modally, reaching the
// project state through the main window.
#include <QDialog>

class QLabel;
class QPushButton;

class TMainM;

namespace orv::ui {

enum class BorderIcons { CloseOnly, SystemMenuOnly, None };

class FormBase : public QDialog {
  Q_OBJECT
 public:
  FormBase(TMainM& main, const QString& objectName, const QString& caption, BorderIcons icons);

 protected:
  TMainM& Main;
  // A label or a push button with its object name, a child of `parent` (the form by default).
  QLabel* NewLabel(const char* name, const QString& text, QWidget* parent = nullptr);
  QPushButton* NewButton(const char* name, const QString& caption, QWidget* parent = nullptr);
  // Runs a handler, showing any runtime error in the central box; false if it failed.
  template <typename F>
  bool Run(F&& f);
};

}  // namespace orv::ui

#include "app/Guard.h"

template <typename F>
bool orv::ui::FormBase::Run(F&& f) {
  return Guard(this, std::forward<F>(f));
}
