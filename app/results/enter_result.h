#pragma once
// Result entry for one match: picks the dialog that the match system asks for
// (winner only, games won, game by game, duo points) and shows it modally.
#include "competition/changes.h"

class QWidget;

namespace velgram {

class CVelgramApp;

// True when the dialog stored or cleared a result (or changed the match's table
// or time), so the caller refreshes what it shows. Every change is also
// announced through the main window's dataChanged signal, so that other windows
// showing matches follow; change, when given, receives what the notice said.
bool EnterResult(CVelgramApp& app, int idMatch, int idMatchSystem, QWidget* parent, DataChange* change = nullptr);

}  // namespace velgram
