#include "app/panes/pane_pool.h"

#include <QResizeEvent>

#include "app/shell/app.h"
#include "app/panes/pane_classes.h"
#include "app/shell/qtext.h"
#include "competition/matchbook.h"
#include "competition/tables.h"

namespace velgram {

namespace {
QString StyleName(int playstyle) {
  switch (playstyle) {
    case kPlaystylePoule: return QStringLiteral("Poule");
    case kPlaystyleSwiss: return QStringLiteral("Zwitsers");
    case kPlaystyleDropout: return QStringLiteral("Afval");
  }
  return QString();
}
}  // namespace

LPanePool::LPanePool(CVelgramApp& app, int idPool, QWidget* parent)
    : LPane(app, QStringLiteral("Poule"), parent), idPool_(idPool) {
  info_ = new QLabel(this);
  info_->setWordWrap(true);
  grid_->SetColumns({{QStringLiteral("Nr"), SortKind::Number, Qt::AlignRight | Qt::AlignVCenter},
                     {QStringLiteral("Naam")},
                     {QStringLiteral("Vereniging")},
                     {QStringLiteral("Speelsterkte"), SortKind::Number, Qt::AlignRight | Qt::AlignVCenter},
                     {QStringLiteral("Herkomst")}});
}

void LPanePool::resizeEvent(QResizeEvent* event) {
  LPane::resizeEvent(event);
  // The explanation sits between the title and the list.
  QRect g = grid_->geometry();
  info_->setGeometry(g.x(), g.y(), g.width(), 48);
  grid_->setGeometry(g.x(), g.y() + 52, g.width(), std::max(20, g.height() - 52));
}

void LPanePool::Refresh() {
  ApplyLook();
  grid_->Clear();
  PoolRecord p;
  if (!Db().GetPool(idPool_, p)) return;
  SetTitle(ToQt(p.name));
  info_->setText(QStringLiteral("%1, tafels %2, %3.\nHet speelscherm van deze poule komt in een volgende versie van "
                                "Velgram; hieronder staan de plaatsen van de poule.")
                     .arg(StyleName(p.playstyle), ToQt(FormatTables(ParseTables(p.tables))),
                          PoolTimes(p.starttime, p.endtime)));
  std::vector<Contestant> positions;
  LoadContestants(Db(), idPool_, positions, true);
  grid_->BeginUpdate();
  for (const Contestant& c : positions) {
    if (c.poolPos < 0) continue;  // removed from the pool
    grid_->AddRow({QString::number(c.poolPos), ToQt(c.name), ToQt(c.club), c.known ? QString::number(c.rating) : QString(),
                   ToQt(c.source)},
                  c.id);
  }
  grid_->EndUpdate();
  grid_->AutoSize();
  QResizeEvent again(size(), size());
  resizeEvent(&again);
}

}  // namespace velgram
