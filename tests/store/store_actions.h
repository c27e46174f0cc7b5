#pragma once
// A small event and the user actions that write it in several statements,
// for the fault-injection tests.
#include <functional>
#include <string>
#include <vector>

#include "store/database.h"

namespace velgram::testing {

// Ids of the event; the same in every copy of the file.
struct World {
  int idToernooi = -1, idSystem = -1, idPoule = -1, idSwiss = -1, idKnockout = -1;
  int idMatch = -1;  // a Swiss match with a result
};

// Writes the event into an empty database: twelve players in two clubs, a
// class with a round-robin pool (not started), a Swiss pool with its first
// round played, and a knockout pool (not activated).
World BuildWorld(Database& db, Clock& clock);

// Runs the statements on the file with SQLite alone, as another program or an
// older version would; false when one fails.
bool WriteRawFile(const std::string& path, const std::string& sql);

// Writes a file as the oldest versions left it (no match rules, no rounds, no
// duos, positions in item1/item2), for the schema upgrade.
void WriteOldFile(const std::string& path);

struct StoreAction {
  const char* name;
  // Runs the action as the screens do; true when it reported success.
  std::function<bool(Database&, Clock&, const World&)> run;
};
// Every multi-statement user action, the schema upgrade aside (it runs when
// the database opens).
const std::vector<StoreAction>& StoreActions();

// The integrity check, the schema and every row of every table of the file, as
// one text: two sound files hold the same data when their texts are equal.
std::string DumpDatabase(const std::string& path);

}  // namespace velgram::testing
