#pragma once
// Expert mode ("&Expertenmodus" in "&Einstellungen"): the definition dialogs show
// and let the author correct what they otherwise hide, the start address, cell
// type, dimensions and axis values of a map. Off by default; the choice is kept
// between runs (QSettings "Orvanta" / "Orvanta 2000", key "forms/expertMode").
#include <QList>

class QWidget;
class TMainM;

namespace orv::ui {

class MapFormBase;

// The stored choice (false when none is stored).
bool ExpertModeStored();
// Shows the mode in the map list dialog, the map data form and the new map form.
void ApplyExpertMode(TMainM& main, bool on);
// Stores the choice, then applies it.
void SetExpertMode(TMainM& main, bool on);

// The controls of a map definition form that expert mode shows and enables; off,
// each goes back to the state its form gave it. (The axis address fields follow
// their "Adressbeschriftung" boxes as always.)
QList<QWidget*> ExpertModeControls(const MapFormBase& form);

}  // namespace orv::ui
