#pragma once
// The XDF commands of the "&Datei" menu: "Datenbank aus XDF erzeugen…" turns a
// chosen XDF definition into a new chip database, opens it and shows the report;
// "Als XDF exportieren…" writes the open database as an XDF definition and shows
// the report. File failures are thrown to the caller's error box.
class TMainM;

namespace orv::ui {

void ImportXdfDatabase(TMainM& main);
void ExportXdfDefinition(TMainM& main);

}  // namespace orv::ui
