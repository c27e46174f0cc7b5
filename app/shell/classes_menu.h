#pragma once
// The classes pane's "Menu": the two exports and the club trophy.
#include <QPoint>

class QWidget;

namespace velgram {

class Database;
class Prompter;

enum class ClassesMenuCommand { kNone, kRatingExport, kMatchExport, kClubTrophy };

// Runs one command of the menu for the tournament (-1: none open). The
// exports report through prompter; the club trophy opens as a modal window.
void RunClassesMenuCommand(ClassesMenuCommand command, Database& db, int idToernooi, Prompter& prompter,
                           QWidget* parent);

// Shows the menu ("NTTB Elo Rating", "Export wedstrijden",
// "Verenigingsbeker") at where (global coordinates; the cursor when null),
// runs the chosen command and returns it.
ClassesMenuCommand ShowClassesMenu(Database& db, int idToernooi, Prompter& prompter, QWidget* parent,
                                   const QPoint& where = QPoint());

}  // namespace velgram
