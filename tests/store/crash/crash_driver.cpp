// Does one user action on a database file, for the crash test to kill it at
// random moments: writes 'R' when the action starts and 'D' when it has been
// reported done. Arguments: the file, and the action's index in StoreActions()
// or "upgrade" (the schema upgrade of opening the file).
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "common/fakes.h"
#include "store/database.h"
#include "store_actions.h"

namespace {
void Say(char c) {
  if (write(STDOUT_FILENO, &c, 1) != 1) _exit(3);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::string path = argv[1], action = argv[2];
  velgram::testing::FakeClock clock;
  if (action == "upgrade") {
    Say('R');
    velgram::Database db(path, clock);
    if (!db.StartError().empty()) return 1;
    Say('D');
    return 0;
  }
  velgram::Database db(path, clock);
  velgram::testing::World world = velgram::testing::FindWorld(db);
  const auto& actions = velgram::testing::StoreActions();
  size_t index = static_cast<size_t>(std::atoi(action.c_str()));
  if (index >= actions.size()) return 2;
  Say('R');
  if (!actions[index].run(db, clock, world)) return 1;
  Say('D');
  return 0;
}
