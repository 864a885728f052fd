#include "app/Startup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QComboBox>
#include <QImage>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <exception>

#include "app/Guard.h"
#include "app/Main.h"
#include "app/QtText.h"
#include "app/Seams.h"

namespace orv::ui {

namespace {

// Keeps exceptions from crossing the event loop, whatever handler raised them.
class OrvantaApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* e) override {
    bool result = false;
    Guard(activeWindow(), [&] { result = QApplication::notify(receiver, e); });
    return result;
  }
};

}  // namespace

int RunOrvanta(int argc, char** argv) {
  OrvantaApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Orvanta 2000"));
  QApplication::setOrganizationName(QStringLiteral("Orvanta"));
  // Qt's own texts (file dialogs, their questions, context menus) in German, like
  // everything else; without the translation files they stay in English.
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTexts);

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Orvanta 2000 – Kennfeld-Editor"));
  parser.addHelpOption();
  QCommandLineOption select(QStringLiteral("select"), QStringLiteral("Wählt Eintrag N der Kennfeldliste (ab 1)."),
                            QStringLiteral("N"));
  QCommandLineOption shot(QStringLiteral("screenshot"),
                          QStringLiteral("Speichert ein Bild des Hauptfensters als PNG und beendet sich."),
                          QStringLiteral("FILE"));
  QCommandLineOption view(QStringLiteral("view"), QStringLiteral("Ansicht beim Start: KF, SG, KS oder UD (Unterschiede)."),
                          QStringLiteral("VIEW"));
  QCommandLineOption compare(QStringLiteral("compare"),
                             QStringLiteral("Vergleicht die Tuning-Datei mit DATEI statt mit dem Original."),
                             QStringLiteral("DATEI"));
  parser.addOption(select);
  parser.addOption(compare);
  parser.addOption(shot);
  parser.addOption(view);
  parser.addPositionalArgument(QStringLiteral("DATENBANK"), QStringLiteral("Chip-Datenbank (.dbc)"), "[DATENBANK");
  parser.addPositionalArgument(QStringLiteral("ORIGINAL"), QStringLiteral("Original-Datei (.org)"), "[ORIGINAL");
  parser.addPositionalArgument(QStringLiteral("TUNING"), QStringLiteral("Tuning-Datei (.tun)"), "[TUNING]]]");
  parser.process(app);

  const bool screenshot = parser.isSet(shot);
  ConsoleSeam console;
  if (screenshot) SetSeam(&console);

  TMainM main;
  main.CreateForms();
  if (screenshot) {
    main.resize(1024, 768);
    main.show();
  } else {
    main.showMaximized();
  }
  QApplication::processEvents();

  const QStringList files = parser.positionalArguments();
  bool ok = true;
  if (files.size() > 0) ok &= Guard(&main, [&] { main.OpenDatabase(files[0]); });
  if (files.size() > 1) ok &= Guard(&main, [&] { main.OpenImage(ImageKind::Original, files[1]); });
  if (files.size() > 2) ok &= Guard(&main, [&] { main.OpenImage(ImageKind::Tuning, files[2]); });
  if (parser.isSet(compare))
    ok &= Guard(&main, [&] { LoadComparison(main.images, ToUtf8Path(parser.value(compare))); });
  if (parser.isSet(select)) {
    bool numberOk = false;
    const int n = parser.value(select).toInt(&numberOk);
    if (!numberOk || n < 1 || n > main.ComboBox5->count()) {
      std::fprintf(stderr, "Kennfeld %s gibt es nicht.\n", qPrintable(parser.value(select)));
      ok = false;
    } else {
      main.ComboBox5->setCurrentIndex(n - 1);
      ok &= Guard(&main, [&] { main.ComboBox5Change(); });
    }
  }
  if (parser.isSet(view)) {
    const QString v = parser.value(view).toUpper();
    ok &= Guard(&main, [&] {
      if (v == QLatin1String("SG")) main.SpeedButton21Click();
      else if (v == QLatin1String("KS")) main.SpeedButton22Click();
      else if (v == QLatin1String("UD")) main.Unterschiede1Click();
    });
  }

  if (screenshot) {
    QApplication::processEvents();
    const QImage image = main.grab().toImage();
    if (!image.save(parser.value(shot), "PNG")) {
      std::fprintf(stderr, "Bild konnte nicht gespeichert werden: %s\n", qPrintable(parser.value(shot)));
      ok = false;
    }
    SetSeam(nullptr);
    return ok && console.errors == 0 ? 0 : 1;
  }
  return QApplication::exec();
}

}  // namespace orv::ui
