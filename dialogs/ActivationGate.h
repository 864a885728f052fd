#pragma once
// Dialogs that reload when they become the active window must not reload (or
// fail again) just because a message box of their own closed: the box takes the
// activation away and gives it back. The gate runs a handler and remembers
// whether the dialog lost the activation meanwhile; the activation that gives it
// back is then skipped once.
namespace orv::ui {

class ActivationGate {
 public:
  // Call on every activation change; true when the activation handler should run.
  bool Activated(bool active) {
    if (busy_) {
      deactivated_ = !active;
      return false;
    }
    if (!active) return false;
    if (skip_) {
      skip_ = false;
      return false;
    }
    return true;
  }

  // Runs a handler (which must not throw) under the gate.
  template <typename F>
  void During(F&& f) {
    if (busy_) {  // nested: the outer call keeps the books
      f();
      return;
    }
    busy_ = true;
    deactivated_ = false;
    f();
    busy_ = false;
    if (deactivated_) skip_ = true;
  }

  // A fresh showing starts with a clean state.
  void Reset() { busy_ = deactivated_ = skip_ = false; }

 private:
  bool busy_ = false;
  bool deactivated_ = false;
  bool skip_ = false;
};

}  // namespace orv::ui
