#pragma once
// "Selecteer": one text chosen from a list.
#include <QDialog>
#include <QListWidget>
#include <QStringList>

namespace velgram {

class Prompter;

class LDlgSelectList : public QDialog {
  Q_OBJECT
 public:
  LDlgSelectList(Prompter& prompter, const QStringList& texts, QWidget* parent = nullptr);
  void accept() override;

  QString SelectedText() const { return text_; }
  // The row chosen: equal texts (two tournaments of one name) stay apart.
  int SelectedIndex() const { return index_; }
  QListWidget* List() const { return list_; }

 private:
  Prompter& prompter_;
  QListWidget* list_;
  QString text_;
  int index_ = -1;
};

}  // namespace velgram
