#pragma once
// A database in a fresh temporary folder, on a clock that only moves when a
// test moves it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/fakes.h"
#include "store/database.h"
#include "store/recordset.h"

namespace velgram {

// One column of every row of a query, as texts.
inline std::vector<std::string> ColumnOf(Database& on, const std::string& sql, const char* column) {
  std::string rs;
  on.ExecText(&rs, sql);
  std::vector<std::string> out;
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) out.push_back(r.Text(column));
  return out;
}

// Lets the file grow by `room` pages at most, as a nearly full disk would;
// a negative room lifts the limit.
inline void LimitGrowth(Database& db, int room) {
  std::vector<std::string> pages = ColumnOf(db, "PRAGMA page_count", "page_count");
  db.Exec(nullptr, "PRAGMA max_page_count=%d", room < 0 || pages.empty() ? 1000000000 : std::stoi(pages[0]) + room);
}

class StoreTest : public ::testing::Test {
 protected:
  static testing::FakeClock StartClock() {
    testing::FakeClock c;
    c.SetLocal(2023, 10, 15, 14, 30, 5);
    return c;
  }

  int Count(const std::string& from) {
    std::vector<std::string> n = ColumnOf(db, "SELECT COUNT(*) AS n FROM " + from, "n");
    return n.size() == 1 ? std::stoi(n[0]) : -1;
  }
  std::vector<std::string> Column(const std::string& sql, const char* column = "name") {
    return ColumnOf(db, sql, column);
  }

  testing::TempDir dir;
  testing::FakeClock clock = StartClock();
  Database db{dir.File("Velgram.db"), clock};
};

}  // namespace velgram
