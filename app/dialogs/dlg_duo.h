#pragma once
// "Duo": two players of the tournament put together as one participant.
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/widgets/grid.h"
#include "competition/edits.h"

namespace velgram {

class CVelgramApp;

class LDlgDuo : public QDialog {
  Q_OBJECT
 public:
  // id < 1: a new duo.
  LDlgDuo(CVelgramApp& app, int id, QWidget* parent = nullptr);
  void accept() override;

  void AddSelected();  // ">"
  void Empty();        // "Verwijder"
  const DuoDraft& Draft() const { return draft_; }

  LGrid* players;
  QPushButton* addButton;
  QPushButton* emptyButton;
  QLabel* name;
  QLabel* club;
  QLabel* rating;
  QLineEdit* klasse;

 private:
  void FillPlayers();
  void ShowDraft();
  CVelgramApp& app_;
  DuoDraft draft_;
  std::vector<PlayerWithClub> offered_;
};

}  // namespace velgram
