#pragma once
// What an XDF import or export did: how many items were converted, and every
// item left out or changed with the reason, as German text.
#include <string>
#include <string_view>
#include <vector>

namespace orv {

struct XdfReportEntry {
  std::string item;    // e.g. "Tabelle 12 „Zündwinkel“" (UTF-8)
  std::string reason;  // German (UTF-8)
};

struct XdfReport {
  int items = 0;      // items looked at
  int converted = 0;  // items written (changed ones included)
  std::vector<XdfReportEntry> leftOut;
  std::vector<XdfReportEntry> changed;
  std::vector<std::string> notes;  // remarks about the whole conversion

  // Everything was converted: nothing left out.
  bool Complete() const { return leftOut.empty(); }
  void LeaveOut(std::string item, std::string reason) { leftOut.push_back({std::move(item), std::move(reason)}); }
  void Change(std::string item, std::string reason) { changed.push_back({std::move(item), std::move(reason)}); }
};

// The report as copyable text: the heading, the counts, every item left out,
// every item changed and the remarks, one line each (UTF-8, "\n" line ends).
std::string ReportText(const XdfReport& report, std::string_view heading);

}  // namespace orv
