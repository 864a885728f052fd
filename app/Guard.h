#pragma once
#include <exception>
#include <new>

#include "app/Seams.h"
#include "project/Errors.h"

namespace orv::ui {

// Runs a command and shows any error it raises in the central error box, so no
// exception crosses the event loop. Returns false when the command failed.
template <typename F>
bool Guard(QWidget* parent, F&& f) {
  try {
    f();
    return true;
  } catch (const std::bad_alloc&) {
    ShowRuntimeError(parent, QStringLiteral("Zu wenig Arbeitsspeicher"));
  } catch (const std::exception& e) {
    ShowRuntimeError(parent, QString::fromUtf8(e.what()));
  } catch (...) {
    ShowRuntimeError(parent, QStringLiteral("Unbekannter Fehler"));
  }
  return false;
}

}  // namespace orv::ui
