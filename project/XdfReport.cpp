#include "project/XdfReport.h"

namespace orv {

std::string ReportText(const XdfReport& r, std::string_view heading) {
  std::string t(heading);
  t += "\n\n";
  t += "Übernommen: " + std::to_string(r.converted) + " von " + std::to_string(r.items) + " Einträgen";
  t += " (ausgelassen: " + std::to_string(r.leftOut.size()) + ", geändert: " + std::to_string(r.changed.size()) +
       ").\n";
  auto list = [&t](const char* title, const std::vector<XdfReportEntry>& entries) {
    if (entries.empty()) return;
    t += "\n";
    t += title;
    t += "\n";
    for (const XdfReportEntry& e : entries) t += "  " + e.item + ": " + e.reason + "\n";
  };
  list("Ausgelassen:", r.leftOut);
  list("Geändert:", r.changed);
  if (!r.notes.empty()) {
    t += "\nHinweise:\n";
    for (const std::string& n : r.notes) t += "  " + n + "\n";
  }
  return t;
}

}  // namespace orv
