#include "app/panes/pane.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QResizeEvent>
#include <QVBoxLayout>

#include "app/shell/app.h"
#include "app/shell/fonts.h"
#include "app/shell/mainwindow.h"
#include "app/widgets/flow_layout.h"

namespace velgram {

namespace {
constexpr int kMargin = 10;
constexpr int kRightGap = 15;
constexpr int kBottomGap = 5;
constexpr int kGridGap = 5;
}  // namespace

LPane::LPane(CVelgramApp& app, const QString& title, QWidget* parent) : QWidget(parent), app_(app) {
  title_ = new QLabel(title, this);
  title_->setFont(FontFromText(kTitleFontText));
  title_->setObjectName(QStringLiteral("paneTitle"));
  buttonBar_ = new QWidget(this);
  new FlowLayout(buttonBar_);
  grid_ = new LGrid(this);
  ApplyLook();
}

QString LPane::GreenButtonStyle() {
  // Pure green at 255 fading to 160, lighter (255 to 200) under the mouse.
  return QStringLiteral(
      "QPushButton { color: black; border: 1px solid rgb(0,110,0); border-radius: 3px; padding: 4px 12px;"
      " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 rgb(0,255,0), stop:1 rgb(0,160,0)); }"
      "QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 rgb(0,255,0),"
      " stop:1 rgb(0,200,0)); }"
      "QPushButton:disabled { color: rgb(90,90,90); background: rgb(190,215,190); border-color: rgb(150,170,150); }");
}

QPushButton* LPane::AddButton(const QString& text, std::function<void()> action) {
  auto* b = new QPushButton(text, buttonBar_);
  b->setStyleSheet(GreenButtonStyle());
  b->setAutoDefault(false);
  b->setFocusPolicy(Qt::TabFocus);
  connect(b, &QPushButton::clicked, this, [action] { action(); });
  buttonBar_->layout()->addWidget(b);
  LayoutGrids();
  return b;
}

QPushButton* LPane::Button(const QString& text) const {
  for (QPushButton* b : buttonBar_->findChildren<QPushButton*>())
    if (b->text().remove(QLatin1Char('&')) == text) return b;
  return nullptr;
}

LGrid* LPane::AddSecondGrid() {
  if (!grid2_) {
    grid2_ = new LGrid(this);
    ApplyLook();
    LayoutGrids();
  }
  return grid2_;
}

void LPane::SetTitle(const QString& text) {
  if (title_->text() == text) return;
  title_->setText(text);
  LayoutGrids();
}

Database& LPane::Db() { return app_.Db(); }
Prompter& LPane::Prompt() { return app_.Prompt(); }
CVelgramDlg* LPane::Main() const { return app_.MainWindow(); }

void LPane::ApplyLook() {
  QFont font = SettingFont(app_.Db(), "InfoFont");
  QColor text = InfoTextColor(app_.Db());
  QColor background = InfoBackgroundColor(app_.Db());
  for (LGrid* g : {grid_, grid2_}) {
    if (!g) continue;
    g->SetGridFont(font);
    g->SetColors(text, background);
    g->viewport()->update();
  }
}

void LPane::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayoutGrids();
}

void LPane::LayoutGrids() {
  // The title keeps its text width; the buttons start 20 pixels after it.
  // The buttons wrap onto more rows when the pane is too narrow for one.
  title_->adjustSize();
  const int barLeft = kMargin + title_->width() + 20;
  const int barWidth = std::max(1, this->width() - barLeft - kRightGap);
  const int barHeight = buttonBar_->layout()->heightForWidth(barWidth);
  int titleHeight = std::max(title_->height(), barHeight);
  title_->move(kMargin, kMargin + (titleHeight - title_->height()) / 2);
  buttonBar_->setGeometry(barLeft, kMargin + (titleHeight - barHeight) / 2, barWidth, barHeight);

  int top = kMargin + titleHeight + kMargin;
  int width = std::max(50, this->width() - kMargin - kRightGap);
  int height = std::max(50, this->height() - top - kBottomGap);
  if (!grid2_) {
    grid_->setGeometry(kMargin, top, width, height);
    return;
  }
  // The first list takes what its rows need, at most half; the second the rest.
  int rowsHeight = grid_->horizontalHeader()->height() + grid_->RowCount() * grid_->verticalHeader()->defaultSectionSize() + 2;
  int first = std::min((height - kGridGap) / 2, rowsHeight);
  grid_->setGeometry(kMargin, top, width, first);
  grid2_->setGeometry(kMargin, top + first + kGridGap, width, std::max(20, height - first - kGridGap));
}

LPaneInfo::LPaneInfo(CVelgramApp& app, const QString& title, std::function<QString()> text, QWidget* parent)
    : LPane(app, title, parent), makeText_(std::move(text)) {
  grid_->hide();
  text_ = new QLabel(this);
  text_->setWordWrap(true);
  text_->setGeometry(10, 60, 600, 200);
  text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void LPaneInfo::Refresh() {
  text_->setText(makeText_ ? makeText_() : QString());
  text_->setFont(SettingFont(Db(), "InfoFont"));
  text_->resize(std::max(300, width() - 30), 300);
}

}  // namespace velgram
