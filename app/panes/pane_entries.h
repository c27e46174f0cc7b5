#pragma once
// "Binnengekomen uitslagen": the results entered at the tables, as the queue
// holds them. The waiting ones come first; the director accepts or rejects
// each one, with the match's stored result and the other entries for the
// same match below it, and can open the match's result dialog beside it.
#include <map>
#include <set>
#include <vector>

#include "app/panes/pane.h"
#include "competition/changes.h"
#include "competition/pool.h"
#include "competition/table_entry.h"

namespace velgram {

class LPaneEntries : public LPane {
  Q_OBJECT
 public:
  explicit LPaneEntries(CVelgramApp& app, QWidget* parent = nullptr);
  void Refresh() override;

  // The buttons' actions on the selected entry.
  void Accept();
  void Reject();
  void OpenResult();

  enum Column { kTijd, kTafel, kKlasse, kWedstrijd, kInvoer, kStatus, kReden };
  enum DetailColumn { kBron, kDetailTijd, kUitslag, kDetailStatus, kDetailReden };

  static QString StatusText(EntryStatus status);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  const QueuedEntry* Selected() const;
  void ShowDetails();
  void EnableButtons();
  void OnDataChanged(const DataChange& change);
  void OnEntriesChanged();
  // Reads the pools of the listed matches, once each.
  void ReadMatches();
  QString EntryText(const QueuedEntry& e) const;

  std::vector<QueuedEntry> entries_;   // in the list's order
  std::map<int, MatchEntry> matches_;  // the listed matches and the others of their pools
  std::map<int, MatchSystem> rules_;   // per pool
  std::set<int> listed_;               // match ids of the entries
  bool acting_ = false;                // a button's action answers its own notices
  // Until the director picks an entry, and after each accept or reject, the
  // first one waiting is selected.
  bool followWaiting_ = true;
  QPushButton* accept_;
  QPushButton* reject_;
  QPushButton* open_;
};

}  // namespace velgram
