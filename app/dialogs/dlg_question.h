#pragma once
// A question with one typed answer, such as a new name.
#include <QDialog>
#include <QLabel>
#include <QLineEdit>

namespace velgram {

class LDlgQuestion : public QDialog {
  Q_OBJECT
 public:
  LDlgQuestion(const QString& caption, const QString& prompt, const QString& answer, QWidget* parent = nullptr);
  QString Answer() const { return answer_->text(); }
  QLineEdit* AnswerEdit() const { return answer_; }

 private:
  QLineEdit* answer_;
};

}  // namespace velgram
