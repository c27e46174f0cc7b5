#include "app/dialogs/dlg_clubtrofee.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/dlg_common.h"
#include "app/shell/fonts.h"
#include "app/widgets/grid.h"
#include "app/printing/print_preview.h"
#include "app/shell/qtext.h"

namespace velgram {

LDlgClubTrofee::LDlgClubTrofee(Database& db, int idToernooi, Prompter& prompter, QWidget* parent)
    : QDialog(parent), db_(db), prompter_(prompter), model_(db, idToernooi) {
  setWindowTitle(QStringLiteral("Verenigingsbeker"));
  model_.Load();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(5, 5, 5, 5);
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Minimale noemer:"), this));
  denominator_ = new QLineEdit(QString::number(model_.MinimumDenominator()), this);
  denominator_->setValidator(DigitsValidator(5, denominator_));
  denominator_->setMaximumWidth(80);
  top->addWidget(denominator_);
  print_ = new QPushButton(QStringLiteral("Afdrukken"), this);
  print_->setAutoDefault(false);
  top->addWidget(print_);
  top->addStretch(1);
  layout->addLayout(top);

  grid_ = new LGrid(this);
  layout->addWidget(grid_, 1);
  std::vector<GridColumn> columns;
  for (int c = 0; c < ClubTrophyModel::kColumnCount; ++c)
    columns.push_back(
        {ToQt(ClubTrophyModel::Header(c)), c == 0 ? SortKind::Text : SortKind::Number,
         c == 0 ? Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter) : Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter)});
  grid_->SetColumns(columns);
  // The model sorts (and remembers the choice per tournament); the grid only
  // reports the click.
  grid_->SetHeaderClickSorts(false);
  connect(grid_, &LGrid::headerClicked, this, [this](int col) {
    model_.SortBy(col);
    Fill();
  });

  denominatorTimer_.setSingleShot(true);
  denominatorTimer_.setInterval(500);
  connect(denominator_, &QLineEdit::textEdited, this, [this] { denominatorTimer_.start(); });
  connect(&denominatorTimer_, &QTimer::timeout, this, &LDlgClubTrofee::CommitDenominator);
  connect(print_, &QPushButton::clicked, this, &LDlgClubTrofee::Print);

  ApplyFont();
  Fill();
  resize(640, 480);
}

void LDlgClubTrofee::ApplyFont() { grid_->SetGridFont(SettingFont(db_, "InfoFont")); }

void LDlgClubTrofee::Fill() {
  grid_->BeginUpdate();
  grid_->Clear();
  const auto& rows = model_.Rows();
  for (size_t r = 0; r < rows.size(); ++r) {
    QStringList cells;
    for (int c = 0; c < ClubTrophyModel::kColumnCount; ++c) cells << ToQt(model_.Cell(r, c));
    grid_->AddRow(cells, static_cast<int>(r));
  }
  grid_->EndUpdate();
  grid_->horizontalHeader()->setSortIndicatorShown(true);
  grid_->horizontalHeader()->setSortIndicator(model_.SortColumn(),
                                              model_.Descending() ? Qt::DescendingOrder : Qt::AscendingOrder);
  grid_->AutoSize();
  FitListWidth(grid_, 0);
}

void LDlgClubTrofee::CommitDenominator() {
  denominatorTimer_.stop();
  if (model_.SetMinimumDenominator(denominator_->text().toInt())) Fill();
}

void LDlgClubTrofee::Print() {
  if (denominatorTimer_.isActive()) CommitDenominator();
  RunPrintPreview(db_, prompter_, *grid_, "ClubTrofee", QString(), this);
  ApplyFont();
  grid_->AutoSize();
}

}  // namespace velgram
