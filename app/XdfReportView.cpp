#include "app/XdfReportView.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orv::ui {

XdfReportView::XdfReportView(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("XdfBericht"));
  setModal(false);
  resize(720, 420);
  Bericht = new QPlainTextEdit(this);
  Bericht->setObjectName(QStringLiteral("Bericht"));
  Bericht->setReadOnly(true);
  Bericht->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Bericht->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  Kopieren = new QPushButton(QStringLiteral("In die Zwischenablage"), this);
  Kopieren->setObjectName(QStringLiteral("Kopieren"));
  Schliessen = new QPushButton(QStringLiteral("Schließen"), this);
  Schliessen->setObjectName(QStringLiteral("Schliessen"));
  Schliessen->setDefault(true);
  connect(Kopieren, &QPushButton::clicked, this,
          [this] { QGuiApplication::clipboard()->setText(Bericht->toPlainText()); });
  connect(Schliessen, &QPushButton::clicked, this, &QDialog::close);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Kopieren);
  buttons->addStretch(1);
  buttons->addWidget(Schliessen);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Bericht, 1);
  layout->addLayout(buttons);
}

void XdfReportView::ShowReport(const QString& caption, const QString& text) {
  setWindowTitle(caption);
  Bericht->setPlainText(text);
  show();
  raise();
  activateWindow();
}

XdfReportView& ReportViewOf(QWidget& owner) {
  auto* view = owner.findChild<XdfReportView*>(QStringLiteral("XdfBericht"), Qt::FindDirectChildrenOnly);
  return view ? *view : *new XdfReportView(&owner);
}

}  // namespace orv::ui
