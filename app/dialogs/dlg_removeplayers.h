#pragma once
// "Verwijder deelnemers": the players the database knows but the import file
// no longer lists, offered for removal before the import goes on.
#include <QDialog>
#include <functional>
#include <vector>

#include "store/records.h"

class QListWidget;
class QPushButton;

namespace velgram {

class LDlgRemovePlayers : public QDialog {
  Q_OBJECT
 public:
  // removeSelected asks for confirmation, refuses players that still play and
  // returns true when the players are gone.
  LDlgRemovePlayers(const std::vector<PlayerRecord>& players,
                    std::function<bool(const std::vector<int>&)> removeSelected, QWidget* parent = nullptr);

  QListWidget* PlayerList() const { return list_; }
  std::vector<int> SelectedIds() const;
  QPushButton* Button(const QString& text) const;

  void SelectAll();
  void SelectNone();
  void RemoveSelected();

 private:
  std::function<bool(const std::vector<int>&)> removeSelected_;
  QListWidget* list_;
};

}  // namespace velgram
