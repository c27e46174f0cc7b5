#include "app/widgets/grid.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QHeaderView>
#include <QSignalSpy>
#include <functional>

namespace velgram {
namespace {

std::vector<int> Ids(const LGrid& grid) {
  std::vector<int> ids;
  for (int r = 0; r < grid.RowCount(); ++r) ids.push_back(grid.RowData(r));
  return ids;
}

// Name (text), rating (number), start time (time), and an unsortable column.
void FillPlayers(LGrid& grid) {
  grid.SetColumns({{"Naam", SortKind::Text},
                   {"Speelsterkte", SortKind::Number},
                   {"Tijd", SortKind::Time},
                   {"Notitie", SortKind::None}});
  grid.BeginUpdate();
  grid.AddRow({"bert", "100", "9:30", "a"}, 1);
  grid.AddRow({"Anna", "20", "10:05", "b"}, 2);
  grid.AddRow({"Cees", "", "", "c"}, 3);
  grid.AddRow({"anna", "-5", "09:31", "d"}, 4);
  grid.AddRow({"Dirk", "3.5", "8:00", "e"}, 5);
  grid.EndUpdate();
}

// Plain numbers and times: GridSort.
TEST(SortKeys, ReadLeadingNumbersAndTimesLeniently) {
  const std::pair<const char*, double> numbers[] = {{"  -12 punten", -12}, {"0,5", 0.5}, {"abc", 0}};
  for (auto [text, key] : numbers) EXPECT_DOUBLE_EQ(NumericSortKey(text), key) << text;
  // Times carry past midnight; what is no time sorts first.
  const std::pair<const char*, int> times[] = {{"10:05 - 11:00", 605}, {"24:10", 1450}, {"930", -1}, {"9:", -1}};
  for (auto [text, key] : times) EXPECT_EQ(TimeSortKey(text), key) << text;
}

// Each kind of column orders its own way, a header click flips the direction
// whatever the column, and the fonts of cells and the selection travel with their rows.
TEST(GridSort, ColumnKindsHeaderClicksAndWhatTravelsWithTheRows) {
  LGrid grid;
  FillPlayers(grid);
  grid.SetCellBold(0, 0, true);                   // bert
  grid.SetCellStrike(1, 0, true);                 // Anna
  grid.SelectRows({0, 4});                        // bert, Dirk
  QSignalSpy sorted(&grid, &LGrid::sorted);
  QSignalSpy clicked(&grid, &LGrid::headerClicked);
  auto click = [&](int col) { emit grid.horizontalHeader()->sectionClicked(col); };
  const std::tuple<const char*, std::function<void()>, std::vector<int>> steps[] = {
      {"case does not count", [&] { grid.SortByColumn(0, true); }, {2, 4, 1, 3, 5}},
      {"as times: 10:05 after 9:30, no time first", [&] { grid.SortByColumn(2, true); }, {3, 5, 1, 4, 2}},
      {"as numbers: 100 before 20, empty as 0", [&] { grid.SortByColumn(1, false); }, {1, 2, 5, 3, 4}},
      {"a click flips", [&] { click(1); }, {4, 3, 5, 2, 1}},
      {"another column: still flips; Anna and anna keep their order", [&] { click(0); }, {5, 3, 1, 4, 2}},
      // An unsortable column, and a window that sorts by itself, only hear of the click.
      {"unsortable", [&] { click(3); }, {5, 3, 1, 4, 2}},
      {"sorted by its window", [&] { grid.SetHeaderClickSorts(false), click(1); }, {5, 3, 1, 4, 2}},
  };
  for (const auto& [what, act, ids] : steps) {
    act();
    EXPECT_EQ(Ids(grid), ids) << what;
  }
  EXPECT_EQ(std::tuple(sorted.count(), clicked.count(), sorted.at(1)), std::tuple(qsizetype{2}, qsizetype{4}, QVariantList{0, false}));
  LGridModel& m = *grid.Model();
  EXPECT_TRUE(m.data(m.index(2, 0), Qt::FontRole).value<QFont>().bold() && m.data(m.index(4, 0), Qt::FontRole).value<QFont>().strikeOut());
  EXPECT_FALSE(m.data(m.index(3, 0), Qt::FontRole).isValid());
  EXPECT_EQ(grid.SelectedIds(), (std::vector<int>{5, 1}));

  // Names as a Dutch reader expects them: accents with their letter, numbers
  // within a name by value.
  LGrid names;
  names.SetColumns({{"Naam"}});
  for (const char* name : {"Frits", "Poule 10", "Eva", "\xC3\x89mile", "Poule 2", "anna", "Bram"})
    names.AddRow({QString::fromUtf8(name)});
  names.SortByColumn(0, true);
  QStringList order;
  for (int r = 0; r < names.RowCount(); ++r) order << names.Cell(r, 0);
  EXPECT_EQ(order, (QStringList{"anna", "Bram", QString::fromUtf8("\xC3\x89mile"), "Eva", "Frits", "Poule 2", "Poule 10"}));
}

TEST(GridRows, RowDataIsFoundAgainAndColumnsSizeToTheirText) {
  LGrid grid;
  grid.SetColumns({{"Naam"}, {"Klasse"}, {"C"}});
  for (int i = 0; i < 100; ++i) grid.AddRow({QString("Speler %1").arg(i)}, 1000 + i);
  EXPECT_EQ(std::vector<int>({grid.FindRowData(1042), grid.FindRowData(7), grid.RowData(100)}), std::vector<int>({42, -1, -1}));

  // Automatic widths follow the text, bold wider than plain; a zero width hides.
  grid.Clear();
  grid.AddRow({"kort", "een veel langere tekst in deze kolom", "x"});
  grid.SetColumnHidden(2, true);
  grid.AutoSize();
  EXPECT_TRUE(grid.columnWidth(1) > grid.columnWidth(0) + 50 && grid.isColumnHidden(2));
  grid.SetCell(0, 0, "een veel langere tekst in deze kolom");
  grid.AutoSize();
  const int plain = grid.columnWidth(0);
  grid.SetCellBold(0, 0, true);
  grid.AutoSize();
  EXPECT_GT(grid.columnWidth(0), plain);
  grid.SetColumnWidthPx(1, 0);
  grid.SetColumnWidthPx(2, 40);
  EXPECT_TRUE(grid.isColumnHidden(1));
  EXPECT_EQ(grid.isColumnHidden(2) ? -1 : grid.columnWidth(2), 40);
}

}  // namespace
}  // namespace velgram
