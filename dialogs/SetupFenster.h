#pragma once
// The hardware setup dialog: emulator model, port and baud rate. The settings
// last applied are kept between runs (QSettings "Orvanta" / "Orvanta 2000",
// group "emulator") and are what the upload to the emulator uses.
#include <QString>

#include "dialogs/FormBase.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

struct EmulatorSettings {
  QString model;  // "Ostrich 2.0" or "EPROM-EMU-NG"
  QString port;   // "LPT1".."LPT3" or a serial device
  int baud = 0;
  bool operator==(const EmulatorSettings&) const = default;
};

class TSetup : public orv::ui::FormBase {
  Q_OBJECT
 public:
  explicit TSetup(TMainM& main);

  QGroupBox* GroupBox1 = nullptr;  // "Emulator-Einstellungen"
  QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr;
  QLabel* Label4 = nullptr;  // note shown while the port is a parallel port
  QComboBox* ComboBox2 = nullptr;  // "Emulator-Modell:"
  QComboBox* ComboBox1 = nullptr;  // "Port:" (free text allowed; "LPT1".."LPT3" listed, not choosable)
  QComboBox* ComboBox3 = nullptr;  // "Baud:"
  QPushButton* Button1 = nullptr;  // "OK"
  QPushButton* Button2 = nullptr;  // "übernehmen"
  QPushButton* Button3 = nullptr;  // "abbrechen"

  void Button1Click();  // apply and close
  void Button2Click();  // apply
  void Button3Click();  // back to the last applied settings and close
  // The port text changed: the note on parallel ports is shown while it names one.
  void ComboBox1Change();
  // A model was chosen: its default baud rate is selected.
  void ComboBox2Change();

  // The settings last applied (or read at start).
  EmulatorSettings Settings() const { return applied_; }
  // What the boxes show now.
  EmulatorSettings Shown() const;

  // Reads the stored settings (defaults where none are stored) into the boxes.
  void LoadSettings();
  // Takes the boxes' choices as the applied settings and stores them.
  void ApplySettings();

 public slots:
  // The close box and Escape act like "abbrechen".
  void reject() override;

 private:
  void ShowSettings(const EmulatorSettings& s);
  EmulatorSettings applied_;
};
