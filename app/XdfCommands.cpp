#include "app/XdfCommands.h"

#include <QDir>
#include <QFileInfo>
#include <vector>

#include "app/Main.h"
#include "app/QtText.h"
#include "app/Seams.h"
#include "app/XdfReportView.h"
#include "project/FileIo.h"
#include "project/XdfExport.h"
#include "project/XdfImport.h"

namespace orv::ui {

namespace {

const QString kXdfFilter = QStringLiteral("XDF-Definition (*.xdf)|*.xdf|Alle Dateien (*.*)|*.*");
const QString kDbFilter = QStringLiteral("Chip-Datenbank (*.dbc)|*.dbc");

// `path`, with `suffix` appended when it has no extension.
QString WithSuffix(const QString& path, const QString& suffix) {
  return QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".") + suffix : path;
}

// The same name as `path` beside it, with another extension.
QString Beside(const QString& path, const QString& suffix) {
  const QFileInfo fi(path);
  return fi.dir().filePath(fi.completeBaseName() + QStringLiteral(".") + suffix);
}

void Refuse(TMainM& main, const QString& text) {
  Ui().Message(&main, BoxKind::Error, CaptionOf(BoxKind::Error), text);
}

}  // namespace

void ImportXdfDatabase(TMainM& main) {
  const QString xdf =
      Ui().OpenFileName(&main, QStringLiteral("XDF-Definition öffnen"), kXdfFilter, main.StartDirectory);
  if (xdf.isEmpty()) return;
  QString dbc = Ui().SaveFileName(&main, QStringLiteral("Datenbank aus XDF erzeugen"), kDbFilter, Beside(xdf, "dbc"));
  if (dbc.isEmpty()) return;
  dbc = WithSuffix(dbc, QStringLiteral("dbc"));
  // The open database is never touched by an import.
  if (SameFile(ToUtf8Path(dbc), main.db.Datenbankname)) {
    Refuse(main, QStringLiteral("Die geöffnete Datenbank kann nicht durch einen XDF-Import ersetzt werden. "
                                "Bitte einen anderen Dateinamen wählen."));
    return;
  }
  const XdfImport result = ImportXdfFile(ToUtf8Path(xdf), ToUtf8Path(dbc));
  main.EmptyMapList();
  main.OpenDatabase(dbc);
  const std::string heading = "XDF-Import: " + ToUtf8Path(xdf) + "\nNeue Datenbank: " + ToUtf8Path(dbc);
  ReportViewOf(main).ShowReport(QStringLiteral("XDF-Import"), FromUtf8(ReportText(result.report, heading)));
}

void ExportXdfDefinition(TMainM& main) {
  if (main.db.Datenbankname.empty()) {
    Ui().Message(&main, BoxKind::Information, CaptionOf(BoxKind::Information),
                 QStringLiteral("Es ist keine Chip-Datenbank geöffnet, die exportiert werden könnte."));
    return;
  }
  const QString database = FromUtf8Path(main.db.Datenbankname);
  QString xdf = Ui().SaveFileName(&main, QStringLiteral("Als XDF exportieren"), kXdfFilter, Beside(database, "xdf"));
  if (xdf.isEmpty()) return;
  xdf = WithSuffix(xdf, QStringLiteral("xdf"));
  const std::string target = ToUtf8Path(xdf);
  for (const std::string& open : {main.db.Datenbankname, main.images.OriginalName, main.images.TuningName}) {
    if (SameFile(target, open)) {
      Refuse(main, QStringLiteral("Die XDF-Datei kann nicht über eine geöffnete Datei geschrieben werden:\n") + xdf);
      return;
    }
  }
  // Every record, read through the open file.
  std::vector<TDatensatz> records;
  for (std::int32_t i = 0; !main.db.Datei.AtEnd(i); ++i) {
    TDatensatz rec;
    main.db.Datei.SatzLesen(i, rec);
    records.push_back(rec);
  }
  XdfExportOptions options;
  options.title = QFileInfo(database).completeBaseName().toStdString();
  options.imageSize = main.images.OriginalLoaded() ? main.images.OriginalGroesse : main.images.TuningGroesse;
  const XdfExport result = ExportXdf(records, options);
  WriteFileAtomically(target, std::span<const std::uint8_t>(
                                  reinterpret_cast<const std::uint8_t*>(result.text.data()), result.text.size()));
  const std::string heading = "XDF-Export: " + main.db.Datenbankname + "\nXDF-Datei: " + target;
  ReportViewOf(main).ShowReport(QStringLiteral("XDF-Export"), FromUtf8(ReportText(result.report, heading)));
}

}  // namespace orv::ui
