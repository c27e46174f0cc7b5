#include "competition/changes.h"

#include <vector>

namespace velgram {

std::set<int> PoolsTouched(ChangeKind kind, int idPool, const LinkGraph& linksOf) {
  std::set<int> touched{idPool};
  if (kind == ChangeKind::kTableTime) return touched;
  std::map<int, std::vector<int>> linkedFrom;
  for (const auto& [from, targets] : linksOf)
    for (int to : targets) linkedFrom[to].push_back(from);
  std::vector<int> todo{idPool};
  while (!todo.empty()) {
    int pool = todo.back();
    todo.pop_back();
    auto it = linkedFrom.find(pool);
    if (it == linkedFrom.end()) continue;
    for (int next : it->second)
      if (touched.insert(next).second) todo.push_back(next);  // a cycle of links ends here
  }
  return touched;
}

}  // namespace velgram
