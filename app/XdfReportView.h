#pragma once
// The report of an XDF import or export: a window with the report as read-only,
// selectable text and a button that copies all of it.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace orv::ui {

class XdfReportView : public QDialog {
  Q_OBJECT
 public:
  explicit XdfReportView(QWidget* parent);

  // ---- controls
  QPlainTextEdit* Bericht = nullptr;
  QPushButton* Kopieren = nullptr;    // "In die Zwischenablage"
  QPushButton* Schliessen = nullptr;  // "Schließen"

  // Shows the text under the caption, in front of its parent, without blocking it.
  void ShowReport(const QString& caption, const QString& text);
};

// The report window of `owner` (made on first use, then shown again).
XdfReportView& ReportViewOf(QWidget& owner);

}  // namespace orv::ui
