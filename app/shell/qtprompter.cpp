#include "app/shell/qtprompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include "app/shell/qtext.h"

namespace velgram {

namespace {

bool OnUiThread() { return qApp && QThread::currentThread() == qApp->thread(); }

QWidget* Owner() {
  QWidget* w = QApplication::activeModalWidget();
  return w ? w : QApplication::activeWindow();
}

// The core ends lines the Windows way; a message box wants one break per line.
QString Shown(const std::string& text) {
  return ToQt(QtPrompter::Clip(text)).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

std::string QtPrompter::Clip(const std::string& text) {
  return text.size() <= kMaxBytes ? text : text.substr(0, kMaxBytes);
}

void QtPrompter::Alert(const std::string& text) {
  if (!OnUiThread()) {
    PostAlert(*this, text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Alert"), Shown(text), QMessageBox::Ok, Owner());
  box.exec();
}

bool QtPrompter::Confirm(const std::string& text) {
  if (!OnUiThread()) {
    bool answer = false;
    QMetaObject::invokeMethod(
        qApp, [this, &text, &answer] { answer = Confirm(text); }, Qt::BlockingQueuedConnection);
    return answer;
  }
  QMessageBox box(QMessageBox::NoIcon, QString(), Shown(text), QMessageBox::Yes | QMessageBox::No, Owner());
  // Dutch answers to a Dutch question, also where Qt's own translations are
  // not installed.
  box.button(QMessageBox::Yes)->setText(QStringLiteral("&Ja"));
  box.button(QMessageBox::No)->setText(QStringLiteral("&Nee"));
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

void PostAlert(Prompter& prompter, const std::string& text) {
  // The text is copied into the call: the sender's buffer may be gone before
  // the user-interface thread runs it.
  QMetaObject::invokeMethod(
      qApp, [&prompter, text] { prompter.Alert(text); }, Qt::QueuedConnection);
}

}  // namespace velgram
