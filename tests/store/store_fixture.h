#pragma once
// A database in a fresh temporary folder, on a clock that only moves when a
// test moves it.
#include <gtest/gtest.h>

#include <string>

#include "common/fakes.h"
#include "store/database.h"
#include "store/recordset.h"

namespace velgram {

class StoreTest : public ::testing::Test {
 protected:
  static testing::FakeClock StartClock() {
    testing::FakeClock c;
    c.SetLocal(2023, 10, 15, 14, 30, 5);
    return c;
  }

  // The first column of the first row of a query, as a number (-1 without one).
  int QueryInt(const std::string& sql, const char* column) {
    std::string rs;
    db.ExecText(&rs, sql);
    RecordSet r(rs);
    return r.First() ? r.Int(column) : -1;
  }
  int Count(const std::string& from) { return QueryInt("SELECT COUNT(*) AS n FROM " + from, "n"); }

  testing::TempDir dir;
  testing::FakeClock clock = StartClock();
  Database db{dir.File("Velgram.db"), clock};
};

}  // namespace velgram
