#include "app/shell/qtprompter.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QWindow>
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

// A short message gives a box that the window manager's title bar, with its
// icon and buttons, leaves no room for the caption in ("..."): the box is made
// wide enough for both.
void FitCaption(QMessageBox& box) {
  QFontMetrics fm(QApplication::font("QMdiSubWindowTitleBar"));
  const int width = fm.horizontalAdvance(box.windowTitle()) + 8 * fm.height();
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
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
  FitCaption(box);
  box.exec();
}

bool QtPrompter::Confirm(const std::string& text) {
  if (!OnUiThread()) {
    bool answer = false;
    QMetaObject::invokeMethod(
        qApp, [this, &text, &answer] { answer = Confirm(text); }, Qt::BlockingQueuedConnection);
    return answer;
  }
  // The question has no caption. An empty title makes the window system show
  // the program's name instead, so the window itself is given a blank one.
  QMessageBox box(QMessageBox::NoIcon, QString(), Shown(text), QMessageBox::Yes | QMessageBox::No, Owner());
  FitCaption(box);
  box.winId();
  if (QWindow* window = box.windowHandle()) window->setTitle(QStringLiteral(" "));
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
