#pragma once
// "Selecteer vereniging": the club of an import row whose club the database
// does not know, picked from a list or given as a new club.
#include <QDialog>
#include <vector>

#include "exchange/import_players.h"
#include "store/records.h"

class QListWidget;
class QPushButton;

namespace velgram {

class Prompter;

class LDlgSelectClub : public QDialog {
  Q_OBJECT
 public:
  LDlgSelectClub(const PlayerRecord& row, const std::vector<ClubEntry>& clubs, Prompter& prompter,
                 QWidget* parent = nullptr);

  // Valid after the dialog ended with OK; kCancel otherwise.
  const ClubChoice& Choice() const { return choice_; }

  QListWidget* ClubList() const { return list_; }
  QPushButton* NewClubButton() const { return newClub_; }
  // OK or a double click on a line.
  void TakeSelected();
  // "Nieuwe vereniging" with the name already typed (the question dialog's answer).
  bool TakeNewClub(const QString& name);

 private:
  void AskNewClub();

  PlayerRecord row_;
  Prompter& prompter_;
  ClubChoice choice_;
  QListWidget* list_;
  QPushButton* newClub_;
};

}  // namespace velgram
