#include "app/results/enter_result.h"

#include <memory>

#include "app/results/dlg_result_duo.h"
#include "app/results/dlg_result_fast.h"
#include "app/results/dlg_result_games.h"
#include "app/results/dlg_result_sets.h"
#include "app/shell/app.h"
#include "app/shell/mainwindow.h"
#include "competition/match_rules.h"

namespace velgram {

bool EnterResult(CVelgramApp& app, int idMatch, int idMatchSystem, QWidget* parent, DataChange* change) {
  // A list may still show a match that was deleted since (another pane, a
  // removed round): nothing may be entered for it.
  if (!MatchExists(app.Db(), idMatch)) {
    app.Prompt().Alert(kMatchGoneMessage);
    return false;
  }
  EntryChoice choice = ChooseEntryDialog(MatchSystemById(app.Db(), idMatchSystem));
  if (!choice.message.empty()) app.Prompt().Alert(choice.message);
  std::unique_ptr<LDlgResultBase> dlg;
  switch (choice.dialog) {
    case EntryDialog::kWinnerOnly:
      dlg = std::make_unique<LDlgResultSingleSets>(app, idMatch, idMatchSystem, parent);
      break;
    case EntryDialog::kGamesWon:
      dlg = std::make_unique<LDlgResultSingleGames>(app, idMatch, idMatchSystem, parent);
      break;
    case EntryDialog::kGameByGame:
      dlg = std::make_unique<LDlgResultFast>(app, idMatch, idMatchSystem, parent);
      break;
    case EntryDialog::kDuoPoints:
      dlg = std::make_unique<LDlgResultDuoPoints>(app, idMatch, idMatchSystem, parent);
      break;
    case EntryDialog::kNone:
      return false;
  }
  if (!dlg->Load()) return false;
  dlg->exec();
  bool changed = dlg->Changed();
  const DataChange what = dlg->Change();
  dlg.reset();
  if (change) *change = what;
  if (changed && app.MainWindow()) app.MainWindow()->NotifyDataChanged(what);
  return changed;
}

}  // namespace velgram
