#pragma once
// The undoable edit wrapper of the main window (a template, so it lives in a header).
#include "app/Main.h"

template <typename F>
void TMainM::TuningEdit(const QString& label, std::int64_t offset, std::int64_t count, F&& change) {
  if (!images.TuningLoaded()) {
    change();
    return;
  }
  const orv::PatchRecorder rec(images.Tuning(), offset, count);
  change();
  if (const auto patch = rec.Finish(images.Tuning())) PushPatch(label, *patch);
}
