#pragma once

namespace orv::ui {

// Starts the editor: `orvanta [--select N] [--screenshot FILE] [DATABASE [ORIGINAL [TUNING]]]`.
// With no arguments it starts plainly; with --screenshot it renders the main window
// to a PNG and ends, never waiting for a person (boxes go to standard error and any
// error box makes the exit status non-zero).
int RunOrvanta(int argc, char** argv);

}  // namespace orv::ui
