#include "app/shell/classes_menu.h"

#include <QCursor>
#include <QMenu>

#include "app/dialogs/dlg_clubtrofee.h"
#include "exchange/exports.h"
#include "support/prompt.h"

namespace velgram {

void RunClassesMenuCommand(ClassesMenuCommand command, Database& db, int idToernooi, Prompter& prompter,
                           QWidget* parent) {
  switch (command) {
    case ClassesMenuCommand::kRatingExport:
      ExportRatingFile(db, idToernooi, prompter);
      break;
    case ClassesMenuCommand::kMatchExport:
      ExportMatchList(db, idToernooi, prompter);
      break;
    case ClassesMenuCommand::kClubTrophy: {
      if (idToernooi <= 0) {
        prompter.Alert("Selecteer eerst een toernooi.");
        break;
      }
      LDlgClubTrofee dialog(db, idToernooi, prompter, parent);
      dialog.exec();
      break;
    }
    case ClassesMenuCommand::kNone:
      break;
  }
}

ClassesMenuCommand ShowClassesMenu(Database& db, int idToernooi, Prompter& prompter, QWidget* parent,
                                   const QPoint& where) {
  QMenu menu(parent);
  QAction* rating = menu.addAction(QStringLiteral("NTTB Elo Rating"));
  QAction* matches = menu.addAction(QStringLiteral("Export wedstrijden"));
  QAction* trophy = menu.addAction(QStringLiteral("Verenigingsbeker"));
  QAction* chosen = menu.exec(where.isNull() ? QCursor::pos() : where);
  ClassesMenuCommand command = ClassesMenuCommand::kNone;
  if (chosen == rating) command = ClassesMenuCommand::kRatingExport;
  if (chosen == matches) command = ClassesMenuCommand::kMatchExport;
  if (chosen == trophy) command = ClassesMenuCommand::kClubTrophy;
  RunClassesMenuCommand(command, db, idToernooi, prompter, parent);
  return command;
}

}  // namespace velgram
