#pragma once
// The checksum dialog: checksums of the original and the tuning image side by
// side, their difference and the number of differing bytes, for a chosen
// algorithm, range and way of summing; the correction of the tuning image so
// that its checksum equals the original's (one undoable step), and sending the
// tuning image to the emulator.
//
// Buttons: Button1 "OK", Button2 "Abbrechen", Button3 "Refresh", Button4
// "senden", Button5 "Korrigieren". Result texts: Label1..Label4 captions,
// Label5..Label8 values, Label10 the note about a left-out half word. Range
// fields: Edit1 start, Edit2 end (hexadecimal, inclusive); Edit3 the correction
// address with its caption Label11.
#include <optional>

#include "dialogs/FormBase.h"
#include "project/Checksums.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TChecksumme : public orv::ui::FormBase {
  Q_OBJECT
 public:
  explicit TChecksumme(TMainM& main);

  // ---- results
  QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;  // captions
  QLabel *Label5 = nullptr, *Label6 = nullptr, *Label7 = nullptr, *Label8 = nullptr;  // values
  QLabel* Label10 = nullptr;  // note: half a word left out
  // ---- "Strategie"
  QGroupBox* GroupBox1 = nullptr;
  QRadioButton *RadioButton2 = nullptr, *RadioButton1 = nullptr;
  // ---- "Checksumme:"
  QGroupBox* GroupBox2 = nullptr;
  QRadioButton *RadioButton3 = nullptr, *RadioButton10 = nullptr, *RadioButton11 = nullptr,
               *RadioButton12 = nullptr, *RadioButton4 = nullptr, *RadioButton5 = nullptr,
               *RadioButton13 = nullptr, *RadioButton8 = nullptr, *RadioButton14 = nullptr,
               *RadioButton15 = nullptr, *RadioButton9 = nullptr;
  QLabel* Label9 = nullptr;
  // ---- "Alles / Teil"
  QGroupBox* GroupBox3 = nullptr;
  QRadioButton *RadioButton6 = nullptr, *RadioButton7 = nullptr;
  QLineEdit *Edit1 = nullptr, *Edit2 = nullptr;
  QLabel* Label12 = nullptr;  // "bis" between the two fields
  // ---- "Summenbildung"
  QGroupBox* GroupBox4 = nullptr;
  QRadioButton *RadioButton16 = nullptr, *RadioButton17 = nullptr, *RadioButton18 = nullptr;
  // ---- correction
  QLabel* Label11 = nullptr;
  QLineEdit* Edit3 = nullptr;
  QPushButton* Button5 = nullptr;  // "Korrigieren"
  // ---- bottom row
  QPushButton* Button1 = nullptr;  // "OK"
  QPushButton* Button2 = nullptr;  // "Abbrechen"
  QPushButton* Button3 = nullptr;  // "Refresh"
  QPushButton* Button4 = nullptr;  // "senden"

  // ---- handlers
  void FormShow();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void RadioButton1Click();  // "Automatisch"
  void RadioButton2Click();  // "manuell"
  // Any choice of algorithm, range or summing changed (also a range field edited).
  void OptionChange();

  // ---- what the controls say
  orv::ChecksumAlgorithm Algorithm() const;
  orv::SumMode Mode() const;
  bool Automatic() const;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  // Computes the four results into the value labels. A range the user is still
  // typing (an empty field) is passed over silently when `quietWhileTyping`.
  void Refresh(bool quietWhileTyping);
  // The range the controls choose, or nothing after a warning (or silently, see Refresh).
  std::optional<orv::ChecksumRange> ReadRange(bool quietWhileTyping);
  void ShowPlaceholders();
  void UpdateEnabled();
  void Warn(const QString& text);
  bool refreshing_ = false;
};
