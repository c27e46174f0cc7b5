#pragma once
// The dialogs that fill a pool's positions: "Spelers toevoegen" (players or
// duos of the tournament) and "Koppel spelers uit vorig blok" (places of
// earlier pools of the class). Both work on a copy that is written on OK.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QDialog>
#include <QPushButton>
#include <memory>

#include "competition/poule.h"
#include "competition/positions.h"

namespace velgram {

class CVelgramApp;
class LGrid;

class LDlgAddContestants : public QDialog {
  Q_OBJECT
 public:
  // maximum: how many positions the pane allows (12 for a round robin).
  LDlgAddContestants(CVelgramApp& app, int idPool, int maximum, QWidget* parent = nullptr);
  ~LDlgAddContestants() override;
  void accept() override;

  // ">" and "<" on the selected rows.
  void AddSelected();
  void RemoveSelected();

  LGrid* participants;  // "Deelnemers": not yet in the pool
  LGrid* pool;          // "Poule": the positions
  QPushButton* addButton;
  QPushButton* removeButton;
  const PositionDraft& Draft() const { return *draft_; }

 private:
  void Fill();

  CVelgramApp& app_;
  std::unique_ptr<PositionDraft> draft_;
};

class LDlgLink : public QDialog {
  Q_OBJECT
 public:
  LDlgLink(CVelgramApp& app, int idPool, int maximum, QWidget* parent = nullptr);
  ~LDlgLink() override;
  void accept() override;

  void AddNumber();       // "Toevoegen" beside "Nummer:"
  void AddBest();         // "Toevoegen" beside "Beste:"
  void AddCross();        // "Kruislings" beside "Beste:"
  void RemoveSelected();  // "Verwijder geselecteerde speler"
  // The arrow cells of a row: one place up or down.
  void MoveUp(int row);
  void MoveDown(int row);

  // Grid columns.
  enum { kColUp, kColDown, kColNr, kColSource, kColName, kColClub, kColRating, kColKlasse };

  QComboBox* poolList;   // "Poule:", item data = pool id
  QComboBox* klasse;     // "Klasse:": "Alle klassen", then the pool's classes
  QComboBox* number;     // "Nummer:" 1..16
  QComboBox* best;       // "Beste:" 1..16
  QPushButton* addNumber;
  QPushButton* addBest;
  QPushButton* addCross;
  QPushButton* removeButton;
  LGrid* grid;
  // A knockout pool's first round as the list now stands, before OK.
  QLabel* pairings;
  const PositionDraft& Draft() const { return *draft_; }

 private:
  void FillClasses();
  void Fill(int selectRow = -1);
  int LinkedPool() const;

  CVelgramApp& app_;
  std::unique_ptr<PositionDraft> draft_;
};

// "Let op" before a round robin starts.
class LDlgPouleActivateWarning : public QDialog {
  Q_OBJECT
 public:
  explicit LDlgPouleActivateWarning(QWidget* parent = nullptr);
  QPushButton* startButton;
  QPushButton* cancelButton;
  QCheckBox* dontShowAgain;  // "Deze melding niet meer tonen."
};

// The core's start warning shown as that dialog.
class DialogStartWarning : public StartWarning {
 public:
  explicit DialogStartWarning(QWidget* parent) : parent_(parent) {}
  bool Ask(bool& dontShowAgain) override;

 private:
  QWidget* parent_;
};

}  // namespace velgram
