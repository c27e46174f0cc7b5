#pragma once
// "Wedstrijden", the working list of the day: every match of the tournament,
// narrowed by participant, class, pool and played state, sorted as the
// director left it; a double click enters the result. "Wedstrijdbriefjes":
// the matches of one pool as slips for the players, printed as a list or as
// slips to cut out.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "app/panes/pane.h"
#include "app/printing/slip_layout.h"
#include "competition/matchbook.h"

namespace velgram {

// The Info column of a slip: "Heren A / Poule 1 / R3", or in the short form
// "HA.P1-R3". maxRound 0 (no Swiss rounds) adds no round.
std::string MatchInfoText(const std::string& className, const std::string& poolName, int maxRound, bool brief);

// What both match panes share: the match cache, a row of filters above the
// list, the result entry on a double click and the refresh after a result
// entered elsewhere.
class LPaneMatchList : public LPane {
  Q_OBJECT
 public:
  LPaneMatchList(CVelgramApp& app, const QString& title, QWidget* parent);

  MatchBook& Book() { return book_; }
  // Follows a change notice: the book reads what the change touched and the
  // rows follow; a change of the structure reads everything again.
  virtual void Follow(const DataChange& change);
  // The result entry for the match of a grid row.
  void OpenRow(int row);
  void OpenMatch(int idMatch);

 protected:
  // A check box bound to a per-tournament setting ("1" or "0"): the key is
  // the prefix followed by the tournament id.
  QCheckBox* AddSettingBox(const QString& text, const char* keyPrefix);
  void LoadSettingBoxes();
  std::string Key(const char* prefix) const;
  bool SettingOn(const char* prefix);
  // Refills the combo with texts, selecting `keep` again when present, else
  // the first entry; tells nobody.
  // The start of every refresh: look, boxes, and the tournament's matches
  // read with or without clubs (the setting under clubPrefix). False, with the
  // list emptied, when no tournament is open.
  bool FillBook(const char* clubPrefix);
  // The rows drawn from the book as it is, with the filters and sort.
  virtual void ShowRows() = 0;
  static void FillCombo(QComboBox* combo, const std::vector<std::string>& texts, const QString& keep);
  static QString TableText(const MatchEntry& m);
  static QString TimeText(const MatchEntry& m);
  static QString ResultText(const MatchEntry& m);

  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

  QWidget* filters_;
  MatchBook book_;
  bool stale_ = false;  // data changed while hidden; every Refresh clears it

 private:
  void OnDataChanged(const DataChange& change);
  struct SettingBox {
    QCheckBox* box;
    const char* keyPrefix;
  };
  std::vector<SettingBox> settingBoxes_;
  bool entering_ = false;  // the result entry is open: its notice is answered afterwards
};

class LPaneMatches : public LPaneMatchList {
  Q_OBJECT
 public:
  explicit LPaneMatches(CVelgramApp& app, QWidget* parent = nullptr);
  void Refresh() override;
  void Follow(const DataChange& change) override;
  void Print();
  QString PrintSubtitle() const;
  // What the filter timer does when it fires: the typed text becomes the
  // filter and the list follows.
  void TakeParticipantText();

  enum Column { kTafel, kTijd, kSpeler1, kSpeler2, kResultaat, kSpelklasse, kPoule };

  // Controls, for the screens' tests.
  QLineEdit* ParticipantField() const { return participant_; }
  QComboBox* ClassList() const { return classes_; }
  QComboBox* PoolList() const { return pools_; }
  QCheckBox* PlayedBox() const { return played_; }
  QCheckBox* TablesBox() const { return tables_; }
  QCheckBox* TimesBox() const { return times_; }
  QCheckBox* ClubBox() const { return club_; }
  QTimer& FilterTimer() { return filterTimer_; }

 private:
  void SaveSort(int col, bool ascending);
  void ShowRows() override;
  // The filters above the list, read once for a whole refill.
  struct Filter {
    bool allClasses = true, allPools = true;
    std::string klasse, pool;
    Qt::CheckState played = Qt::PartiallyChecked;
    QString text;  // lower case
    bool Keeps(const MatchEntry& m, const QString& name1, const QString& name2) const;
  };
  Filter CurrentFilter() const;
  // Whether the filters let a match through, and its row.
  bool Shows(const MatchEntry& m) const;
  QStringList Cells(const MatchEntry& m) const;
  static QStringList Cells(const MatchEntry& m, QString name1, QString name2, const QString& klasse,
                           const QString& pool);

  QLineEdit* participant_;
  QComboBox* classes_;
  QComboBox* pools_;
  QCheckBox* played_;
  QCheckBox* tables_;
  QCheckBox* times_;
  QCheckBox* club_;
  QTimer filterTimer_;
  QString filter_;  // the participant text as taken when the timer fired
};

class LPaneMatchNotes : public LPaneMatchList {
  Q_OBJECT
 public:
  explicit LPaneMatchNotes(CVelgramApp& app, QWidget* parent = nullptr);
  void Refresh() override;
  void ShowRows() override;
  void Print();
  QString PrintSubtitle() const;
  // The slips of the rows shown, byes left out: nobody plays them.
  std::vector<MatchSlip> Slips();

  enum Column { kInfo, kSpeler1, kSpeler2, kResultaat, kTafel, kTijd };

  QComboBox* ClassList() const { return classes_; }
  QComboBox* PoolList() const { return pools_; }
  QCheckBox* TablesBox() const { return tables_; }
  QCheckBox* TimesBox() const { return times_; }
  QCheckBox* ClubBox() const { return club_; }
  QCheckBox* InfoBox() const { return info_; }
  QCheckBox* BriefBox() const { return brief_; }

 private:
  QComboBox* classes_;
  QComboBox* pools_;
  QCheckBox* tables_;
  QCheckBox* times_;
  QCheckBox* club_;
  QCheckBox* info_;
  QCheckBox* brief_;
};

}  // namespace velgram
