#include "app/display/fly_hall.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "app/display/dlg_hall_settings.h"
#include "app/shell/app.h"
#include "app/shell/mainwindow.h"
#include "app/shell/qtext.h"
#include "competition/tables.h"
#include "store/database.h"
#include "store/records.h"

namespace velgram {

namespace {

// Dark text on a light ground reads best in a lit hall and on a beamer.
const QColor kGround(0xF8, 0xF8, 0xF4);
const QColor kText(0x10, 0x14, 0x18);
const QColor kBand(0xDD, 0xE4, 0xEC);
const QColor kStripe(0xEC, 0xEF, 0xF3);
const QColor kTitle(0x0B, 0x3D, 0x6E);
const QColor kHead(0x45, 0x50, 0x5C);
const QColor kFaint(0x80, 0x86, 0x8C);

struct Column {
  const char* title;
  double width;  // share of the piece's width
  Qt::Alignment align;
};

const Column kMatchColumns[] = {
    {"Tafel", 0.07, Qt::AlignHCenter}, {"Tijd", 0.08, Qt::AlignHCenter}, {"Speler 1", 0.28, Qt::AlignLeft},
    {"Speler 2", 0.28, Qt::AlignLeft}, {"Spelklasse", 0.14, Qt::AlignLeft}, {"Poule", 0.15, Qt::AlignLeft}};
const Column kPouleColumns[] = {{"Nr", 0.09, Qt::AlignHCenter},
                                {"Naam", 0.45, Qt::AlignLeft},
                                {"Vereniging", 0.31, Qt::AlignLeft},
                                {"Gewonnen", 0.15, Qt::AlignRight}};
const Column kSwissColumns[] = {{"Nr", 0.09, Qt::AlignHCenter},
                                {"Naam", 0.53, Qt::AlignLeft},
                                {"Punten", 0.17, Qt::AlignRight},
                                {"Weerstand", 0.21, Qt::AlignRight}};
const Column kDropoutColumns[] = {
    {"Speler 1", 0.37, Qt::AlignLeft}, {"Speler 2", 0.37, Qt::AlignLeft}, {"Resultaat", 0.26, Qt::AlignHCenter}};

QFont Sized(double pixels, bool bold) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(std::max(6, static_cast<int>(pixels)));
  f.setBold(bold);
  return f;
}

void Cell(QPainter& p, const QRectF& r, const QString& text, Qt::Alignment align) {
  QRectF inner = r.adjusted(r.height() * 0.15, 0, -r.height() * 0.15, 0);
  QString shown = p.fontMetrics().elidedText(text, Qt::ElideRight, static_cast<int>(inner.width()));
  p.drawText(inner, static_cast<int>(align | Qt::AlignVCenter), shown);
}

template <size_t N>
void Cells(QPainter& p, QRectF line, const Column (&columns)[N], const QStringList& texts) {
  double x = line.left();
  for (size_t i = 0; i < N; ++i) {
    double w = line.width() * columns[i].width;
    if (static_cast<int>(i) < texts.size()) Cell(p, QRectF(x, line.top(), w, line.height()), texts[i], columns[i].align);
    x += w;
  }
}

template <size_t N>
QStringList Titles(const Column (&columns)[N]) {
  QStringList list;
  for (const Column& c : columns) list << QString::fromLatin1(c.title);
  return list;
}

}  // namespace

LFlyHallDisplay::LFlyHallDisplay(CVelgramApp& app, Clock& clock, QWidget* parent)
    : QWidget(parent, Qt::Window), app_(app), clock_(clock), view_(app.Db()) {
  setWindowTitle(QStringLiteral("Zaalscherm"));
  setWindowIcon(CVelgramDlg::ProgramIcon());
  setMinimumSize(480, 270);
  setAutoFillBackground(false);
  beat_.setInterval(1000);
  connect(&beat_, &QTimer::timeout, this, &LFlyHallDisplay::Tick);
  beat_.start();
  refresh_.setSingleShot(true);
  refresh_.setInterval(150);
  connect(&refresh_, &QTimer::timeout, this, &LFlyHallDisplay::Reload);
  if (CVelgramDlg* main = app_.MainWindow())
    connect(main, &CVelgramDlg::dataChanged, this, &LFlyHallDisplay::Follow);
  pageSince_ = clock_.NowUnix();
  DateTime now = clock_.NowLocal();
  clockText_ = QString::asprintf("%d:%02d", now.hour, now.minute);
}

int LFlyHallDisplay::Columns() const {
  double h = LineHeight();
  return std::max(1, static_cast<int>(width() / (h * 20)));
}

double LFlyHallDisplay::LineHeight() const { return std::max(1.0, height() / static_cast<double>(kTotalLines)); }

void LFlyHallDisplay::Reload() {
  ++reloads_;
  int id = app_.IdToernooi();
  options_ = id > 0 ? ReadHallOptions(app_.Db(), id) : HallOptions{};
  view_.Build(id, options_);
  idToernooi_ = id;
  setWindowTitle(Content().toernooi.empty() ? QStringLiteral("Zaalscherm")
                                             : QStringLiteral("Zaalscherm    ") + ToQt(Content().toernooi));
  Repaginate();
}

void LFlyHallDisplay::Follow(const DataChange& change) {
  // Changes of the structure often come in bursts (a round drawn, a pool
  // filled): they are collected into one reload.
  if (change.kind == ChangeKind::kStructure || idToernooi_ != app_.IdToernooi() || idToernooi_ <= 0) {
    refresh_.start();
    return;
  }
  if (refresh_.isActive()) return;  // a reload is coming anyway
  view_.Apply(change);
  Repaginate();
}

void LFlyHallDisplay::Repaginate() {
  pages_ = PaginateHall(Content(), kContentLines, Columns());
  page_ = std::min(page_, PageCount() - 1);
  update();
}

void LFlyHallDisplay::ShowPage(int page) {
  page_ = std::clamp(page, 0, PageCount() - 1);
  pageSince_ = clock_.NowUnix();
  update();
}

void LFlyHallDisplay::Tick() {
  DateTime now = clock_.NowLocal();
  QString text = QString::asprintf("%d:%02d", now.hour, now.minute);
  if (text != clockText_) {
    clockText_ = text;
    update();
  }
  if (clock_.NowUnix() - pageSince_ < options_.pageSeconds) return;
  int next = page_ + 1;
  if (next >= PageCount()) {
    // A new cycle reads the tournament again, for changes no notice told of.
    Reload();
    next = 0;
  }
  ShowPage(next);
}

QString LFlyHallDisplay::PageIndicator() const {
  if (PageCount() < 2) return QString();
  return QStringLiteral("%1/%2").arg(page_ + 1).arg(PageCount());
}

std::vector<int> LFlyHallDisplay::MatchesOnPage() const {
  std::vector<int> ids;
  if (page_ < 0 || page_ >= PageCount()) return ids;
  for (const HallPiece& piece : pages_[page_].pieces) {
    if (piece.kind != HallPiece::kMatches) continue;
    for (int i = piece.first; i < piece.first + piece.count; ++i) ids.push_back(Content().open[i].idMatch);
  }
  return ids;
}

// ---------------------------------------------------------------- placement

void LFlyHallDisplay::Present() {
  QList<QScreen*> screens = QGuiApplication::screens();
  Database& db = app_.Db();
  const int id = app_.IdToernooi();
  if (screens.size() > 1) {
    int index = db.GetSettingInt(Format("HallScreen%d", id), 1);
    if (index < 0 || index >= screens.size()) index = 1;
    QScreen* target = screens[index];
    create();
    if (QWindow* w = windowHandle()) w->setScreen(target);
    setGeometry(target->availableGeometry().adjusted(40, 40, -40, -40));
    if (db.GetSettingInt(Format("HallFullScreen%d", id), 1) != 0)
      showFullScreen();
    else
      show();
    return;
  }
  // One screen: a window beside the director's, full screen only on request.
  QScreen* only = screens.isEmpty() ? nullptr : screens.front();
  QRect area = only ? only->availableGeometry() : QRect(0, 0, 1280, 720);
  resize(std::min(1280, area.width() * 4 / 5), std::min(720, area.height() * 4 / 5));
  show();
}

void LFlyHallDisplay::RememberScreen() {
  const int id = app_.IdToernooi();
  if (id <= 0) return;
  int index = QGuiApplication::screens().indexOf(screen());
  std::vector<std::pair<std::string, std::string>> settings = {
      {Format("HallFullScreen%d", id), isFullScreen() ? "1" : "0"}};
  if (index >= 0) settings.push_back({Format("HallScreen%d", id), Format("%d", index)});
  app_.Db().SetSettings(settings);
}

void LFlyHallDisplay::ToggleFullScreen() {
  if (isFullScreen())
    showNormal();
  else
    showFullScreen();
  RememberScreen();
}

void LFlyHallDisplay::OpenSettings() {
  if (app_.IdToernooi() <= 0) return;
  LDlgHallSettings dlg(app_.Db(), app_.IdToernooi(), this);
  if (dlg.exec() != QDialog::Accepted) return;
  Reload();
  ShowPage(0);
}

// ---------------------------------------------------------------- events

void LFlyHallDisplay::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Repaginate();
}

void LFlyHallDisplay::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F11) {
    ToggleFullScreen();
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    if (isFullScreen()) {
      showNormal();
      RememberScreen();
    }
    return;
  }
  QWidget::keyPressEvent(event);
}

void LFlyHallDisplay::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  OpenSettings();
}

void LFlyHallDisplay::closeEvent(QCloseEvent* event) {
  RememberScreen();
  QWidget::closeEvent(event);
}

void LFlyHallDisplay::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::TextAntialiasing);
  const double h = LineHeight();
  const double margin = h * 0.5;
  p.fillRect(rect(), kGround);

  // Header: the tournament on the left, the page and the clock on the right.
  QRectF band(0, 0, width(), h * kHeaderLines);
  p.fillRect(band, kBand);
  QRectF inner = band.adjusted(margin, 0, -margin, 0);
  p.setPen(kText);
  p.setFont(Sized(h * 1.2, true));
  const QString& clock = clockText_;
  double clockWidth = p.fontMetrics().horizontalAdvance(QStringLiteral("00:00")) + margin;
  p.drawText(inner, Qt::AlignRight | Qt::AlignVCenter, clock);
  p.setFont(Sized(h * 0.7, false));
  p.setPen(kHead);
  QString pageText = PageIndicator();
  double pageWidth = pageText.isEmpty() ? 0 : p.fontMetrics().horizontalAdvance(pageText) + margin;
  p.drawText(inner.adjusted(0, 0, -clockWidth, 0), Qt::AlignRight | Qt::AlignVCenter, pageText);
  p.setPen(kText);
  p.setFont(Sized(h * 1.0, true));
  Cell(p, inner.adjusted(-h * 0.3, 0, -clockWidth - pageWidth, 0),
       Content().toernooi.empty() ? QStringLiteral("Velgram") : ToQt(Content().toernooi), Qt::AlignLeft);

  // Footer: how far the day is.
  QRectF footer(margin, h * (kTotalLines - 1), width() - 2 * margin, h);
  p.setFont(Sized(h * 0.6, false));
  p.setPen(kHead);
  Cell(p, footer,
       QStringLiteral("Gespeeld: %1      Te spelen: %2").arg(Content().played).arg(Content().toPlay), Qt::AlignLeft);

  if (page_ < 0 || page_ >= PageCount()) return;
  const double top = h * (kHeaderLines + 0.5);
  const int columns = Columns();
  const double full = width() - 2 * margin;
  const double columnWidth = (full - (columns - 1) * margin) / columns;
  auto lineRect = [&](const HallPiece& piece, int line, bool wide) {
    double x = wide ? margin : margin + piece.column * (columnWidth + margin);
    return QRectF(x, top + (piece.line + line) * h, wide ? full : columnWidth, h);
  };
  auto title = [&](const QRectF& r, const QString& text) {
    p.setFont(Sized(h * 0.68, true));
    p.setPen(kTitle);
    Cell(p, r, text, Qt::AlignLeft);
  };
  auto heads = [&](const QRectF& r, const QStringList& texts, auto& columnsOf) {
    p.setFont(Sized(h * 0.48, true));
    p.setPen(kHead);
    Cells(p, r, columnsOf, texts);
    p.setPen(QPen(kFaint, std::max(1.0, h / 30)));
    p.drawLine(QPointF(r.left(), r.bottom() - 1), QPointF(r.right(), r.bottom() - 1));
  };
  const double rowFont = h * 0.62;

  for (const HallPiece& piece : pages_[page_].pieces) {
    const bool wide = piece.kind == HallPiece::kMatches;
    QString more = piece.continued ? QStringLiteral(" (vervolg)") : QString();
    if (wide) {
      title(lineRect(piece, 0, true), QStringLiteral("Nu aan de beurt") + more);
      heads(lineRect(piece, 1, true), Titles(kMatchColumns), kMatchColumns);
      if (piece.count == 0) {
        p.setFont(Sized(rowFont, false));
        p.setPen(kFaint);
        Cell(p, lineRect(piece, 2, true), QStringLiteral("Geen wedstrijden aan de beurt"), Qt::AlignLeft);
      }
      for (int i = 0; i < piece.count; ++i) {
        const HallMatchRow& m = Content().open[piece.first + i];
        QRectF r = lineRect(piece, kHallPieceHead + i, true);
        if (i % 2 == 0) p.fillRect(r, kStripe);
        p.setPen(kText);
        p.setFont(Sized(rowFont, true));
        Cells(p, r, kMatchColumns, {QString::number(m.tafel)});
        p.setFont(Sized(rowFont, false));
        Cells(p, r, kMatchColumns,
              {QString(), ToQt(FormatTime(m.starttime)), ToQt(m.name1), ToQt(m.name2), ToQt(m.klasse), ToQt(m.pool)});
      }
      continue;
    }
    const HallBlock& b = Content().blocks[piece.block];
    QString caption = ToQt(b.klasse) + QStringLiteral(" \u2013 ") + ToQt(b.pool);
    if (!b.caption.empty()) caption += QStringLiteral(" \u2013 ") + ToQt(b.caption);
    title(lineRect(piece, 0, false), caption + more);
    QRectF headLine = lineRect(piece, 1, false);
    if (b.playstyle == kPlaystyleSwiss)
      heads(headLine, Titles(kSwissColumns), kSwissColumns);
    else if (b.playstyle == kPlaystyleDropout)
      heads(headLine, Titles(kDropoutColumns), kDropoutColumns);
    else
      heads(headLine, Titles(kPouleColumns), kPouleColumns);
    for (int i = 0; i < piece.count; ++i) {
      const HallStandingRow& row = b.rows[piece.first + i];
      QRectF r = lineRect(piece, kHallPieceHead + i, false);
      if (i % 2 == 0) p.fillRect(r, kStripe);
      p.setPen(row.removed ? kFaint : kText);
      p.setFont(Sized(rowFont, false));
      QString place = row.place > 0 ? QString::number(row.place) : QString();
      if (b.playstyle == kPlaystyleSwiss) {
        Cells(p, r, kSwissColumns,
              {place, ToQt(row.name), QString::number(row.points), QString::number(row.resistance)});
      } else if (b.playstyle == kPlaystyleDropout) {
        // The winner in bold, the one who goes out in grey.
        for (int side = 0; side < 2; ++side) {
          QStringList texts(side + 1);
          texts[side] = ToQt(side == 0 ? row.name : row.name2);
          p.setFont(Sized(rowFont, row.winner == side));
          p.setPen(row.winner >= 0 && row.winner != side ? kFaint : kText);
          Cells(p, r, kDropoutColumns, texts);
        }
        p.setFont(Sized(rowFont, false));
        p.setPen(kText);
        Cells(p, r, kDropoutColumns, {QString(), QString(), ToQt(row.result)});
      } else {
        Cells(p, r, kPouleColumns, {place, ToQt(row.name), ToQt(row.club), QString::number(row.wins)});
      }
    }
  }
}

LFlyHallDisplay* OpenHallDisplay(CVelgramApp& app, QWidget* mainWindow) {
  static QPointer<LFlyHallDisplay> open;
  if (open) {
    open->Reload();
    open->raise();
    open->activateWindow();
    return open;
  }
  auto* display = new LFlyHallDisplay(app, DefaultClock());
  display->setAttribute(Qt::WA_DeleteOnClose);
  // Not a child of the main window, so it can stand on a screen of its own
  // behind or beside it; it goes when the main window goes.
  if (mainWindow) QObject::connect(mainWindow, &QObject::destroyed, display, [display] { delete display; });
  display->Reload();
  display->Present();
  open = display;
  return display;
}

}  // namespace velgram
