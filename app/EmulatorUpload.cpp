#include "app/EmulatorUpload.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <thread>
#include <vector>

#include "app/Main.h"
#include "app/QtText.h"
#include "app/Seams.h"
#include "dialogs/SetupFenster.h"
#include "project/Emulator.h"

using orv::ui::BoxKind;
using orv::ui::CaptionOf;
using orv::ui::Ui;

namespace {

void Inform(TMainM& main, const QString& text) {
  Ui().Message(&main, BoxKind::Information, CaptionOf(BoxKind::Information), text);
}

}  // namespace

bool SendTuningToEmulator(TMainM& main) {
  if (!main.images.TuningLoaded()) {
    Inform(main, QStringLiteral("Es ist keine Tuning-Datei geladen, die an den Emulator gesendet werden könnte."));
    return false;
  }
  const EmulatorSettings settings =
      main.forms.Setup ? main.forms.Setup->Settings() : EmulatorSettings{QString::fromUtf8(orv::kModelOstrich2), {}, 0};
  const QString port = settings.port.trimmed();
  if (port.isEmpty()) {
    Inform(main, QStringLiteral("Es ist kein Port für den Emulator gewählt. Bitte unter Einstellungen/Hardware "
                                "einen seriellen Port wählen."));
    return false;
  }
  if (port.startsWith(QStringLiteral("LPT"), Qt::CaseInsensitive)) {
    Inform(main, QStringLiteral("Emulatoren am Parallelport werden nicht unterstützt. Bitte einen seriellen Port "
                                "wählen."));
    return false;
  }
  orv::EmulatorModel model = orv::EmulatorModel::Ostrich2;
  if (!orv::ModelFromName(settings.model.toStdString(), model)) model = orv::EmulatorModel::Ostrich2;
  const int baud = settings.baud > 0 ? settings.baud : orv::DefaultBaud(model);

  std::string openError;
  std::unique_ptr<orv::PosixSerialLink> link =
      orv::PosixSerialLink::Open(orv::ui::ToUtf8Path(port), baud, &openError);
  if (!link) {
    Ui().Message(&main, BoxKind::Error, CaptionOf(BoxKind::Error), QString::fromStdString(openError));
    return false;
  }

  // The worker sends a copy, so edits or reloads while it runs cannot touch its bytes.
  const std::vector<std::uint8_t> image(main.images.Tuning().begin(), main.images.Tuning().end());
  std::atomic<bool> cancel{false};
  std::atomic<bool> finished{false};
  std::atomic<std::int64_t> done{0}, total{static_cast<std::int64_t>(image.size())};
  orv::UploadResult result;

  std::thread worker([&] {
    try {
      orv::Uploader uploader(*link, model, orv::ui::kEmulatorTimeoutMs);
      result = uploader.Upload(
          image,
          [&](std::int64_t d, std::int64_t t) {
            done = d;
            total = t;
          },
          &cancel);
    } catch (const std::exception& e) {
      result = {};
      result.Status = orv::UploadStatus::LinkError;
      result.Message = e.what();
    }
    finished = true;
  });

  {
    QProgressDialog progress(QStringLiteral("Sende Tuning-Datei an den Emulator …"), QStringLiteral("Abbrechen"),
                             0, 1000, &main);
    progress.setObjectName(QStringLiteral("EmulatorProgress"));
    progress.setWindowTitle(QStringLiteral("An Emulator senden"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setValue(0);
    progress.show();
    // Cancelling only raises the flag: the dialog stays up until the worker has
    // stopped, so nothing else can be started meanwhile.
    QObject::disconnect(&progress, &QProgressDialog::canceled, &progress, &QProgressDialog::cancel);
    QEventLoop loop;
    auto requestCancel = [&] {
      cancel = true;
      progress.setLabelText(QStringLiteral("Übertragung wird abgebrochen …"));
    };
    QObject::connect(&progress, &QProgressDialog::canceled, &loop, requestCancel);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
      if (finished) {
        loop.quit();
        return;
      }
      if (!progress.isVisible()) {  // Escape hides the dialog: take it as cancel, keep it up
        requestCancel();
        progress.show();
      }
      const std::int64_t t = total.load();
      if (t > 0) progress.setValue(static_cast<int>(done.load() * 1000 / t));
    });
    poll.start(30);
    if (!finished) loop.exec();
  }
  if (!finished) cancel = true;  // the loop was ended from outside (program closing)
  worker.join();

  const QString message = QString::fromStdString(result.Message);
  if (result.Ok()) {
    Inform(main, message.isEmpty() ? QStringLiteral("Übertragung erfolgreich.") : message);
  } else if (result.Status == orv::UploadStatus::Cancelled) {
    Inform(main, message.isEmpty() ? QStringLiteral("Übertragung abgebrochen") : message);
  } else {
    Ui().Message(&main, BoxKind::Error, CaptionOf(BoxKind::Error), message);
  }
  return result.Ok();
}
