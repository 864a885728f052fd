#pragma once
// Sends the tuning image to the EPROM emulator chosen in the hardware setup
// dialog ("An &Emulator senden", and the checksum dialog's "senden").
class TMainM;

namespace orv::ui {

// Answer limit for every step of the transfer, in milliseconds.
inline constexpr int kEmulatorTimeoutMs = 2000;

}  // namespace orv::ui

// Checks that there is something to send and a serial port to send it to,
// then uploads the tuning image in a worker thread behind a cancellable
// progress dialog and reports the outcome in a message box. True when the
// emulator took the whole image.
bool SendTuningToEmulator(TMainM& main);
