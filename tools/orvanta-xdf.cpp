// orvanta-xdf import IN.xdf OUT.dbc
// orvanta-xdf export IN.dbc OUT.xdf
// Converts an XDF definition into a new chip database, or a chip database into an
// XDF definition. The report goes to standard output. Exit status: 0 when every
// item was converted, 1 when some were left out, 2 on an error (German message on
// standard error; the output file is then untouched).
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <string_view>

#include <span>
#include <stdexcept>
#include <vector>

#include "project/Errors.h"
#include "project/FileIo.h"
#include "project/XdfExport.h"
#include "project/XdfImport.h"

namespace {

constexpr std::int64_t kMaxDatabaseBytes = std::int64_t{1} << 30;

// The database file's name without folder and extension.
std::string TitleOf(const std::string& path) {
  std::string t = path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
  const std::size_t dot = t.find_last_of('.');
  if (dot != std::string::npos && dot > 0) t.resize(dot);
  return t;
}

int Usage(const std::string& problem) {
  std::fprintf(stderr, "%s\n", problem.c_str());
  std::fprintf(stderr, "Aufruf: orvanta-xdf import EINGABE.xdf AUSGABE.dbc\n"
                       "        orvanta-xdf export EINGABE.dbc AUSGABE.xdf\n");
  return 2;
}

int Finish(const orv::XdfReport& report, const std::string& heading) {
  const std::string text = orv::ReportText(report, heading);
  std::fputs(text.c_str(), stdout);
  if (std::fflush(stdout) != 0) return 2;
  return report.Complete() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Usage(argc < 4 ? "Zu wenige Angaben." : "Zu viele Angaben.");
  const std::string_view command = argv[1];
  const std::string in = argv[2], out = argv[3];
  if (command != "import" && command != "export") return Usage("Unbekannter Befehl: " + std::string(command));
  const bool import = command == "import";
  // Errors name the file they concern: the input while reading, the output while writing.
  const std::string* file = &in;
  try {
    std::vector<std::uint8_t> buffer;
    try {
      buffer = orv::ReadWholeFile(in, import ? orv::kMaxXdfBytes : kMaxDatabaseBytes);
    } catch (const orv::EOutOfMemory&) {
      throw std::runtime_error(import ? "Die XDF-Datei ist größer als 64 MiB und wird nicht gelesen."
                                      : "Die Datenbank ist zu groß.");
    }
    // The buffer ends in a spare byte that is not part of the file.
    const std::span<const std::uint8_t> bytes(buffer.data(), buffer.size() - 1);
    orv::XdfReport report;
    std::vector<std::uint8_t> result;
    if (import) {
      orv::XdfImport r = orv::ImportXdf(bytes);
      result = orv::DatabaseBytes(r.records);
      report = std::move(r.report);
    } else {
      orv::XdfExportOptions options;
      options.title = TitleOf(in);
      orv::XdfExport r = orv::ExportXdf(orv::RecordsOfDatabase(bytes), options);
      result.assign(r.text.begin(), r.text.end());
      report = std::move(r.report);
    }
    file = &out;
    orv::WriteFileAtomically(out, result);
    return Finish(report, std::string(import ? "XDF-Import: " : "XDF-Export: ") + in + " -> " + out);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "%s: Zu wenig Arbeitsspeicher.\n", file->c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", file->c_str(), e.what());
  }
  return 2;
}
