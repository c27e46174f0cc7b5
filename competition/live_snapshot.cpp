#include "competition/live_snapshot.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <string_view>
#include <vector>

#include "competition/dropout.h"
#include "competition/hall_display.h"
#include "competition/match_rules.h"
#include "competition/matchbook.h"
#include "competition/poule.h"
#include "competition/swiss.h"
#include "competition/swiss_screen.h"
#include "competition/table_entry.h"
#include "competition/tables.h"
#include "store/database.h"
#include "store/recordset.h"
#include "support/clock.h"
#include "support/text.h"

namespace velgram {

std::string LiveJsonText(std::string_view cp1252) {
  std::string out = "\"";
  for (unsigned char c : Cp1252ToUtf8(cp1252)) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20)
          out += Format("\\u%04x", c);
        else
          out += static_cast<char>(c);
    }
  }
  return out + '"';
}

namespace {

// A JSON text written front to back; commas come by themselves. Core text is
// Windows-1252 and becomes UTF-8 here. The pages put every text in with
// textContent, so nothing is escaped for HTML.
class JsonOut {
 public:
  JsonOut& Open(char c) {
    Comma();
    out += c;
    first_ = true;
    return *this;
  }
  JsonOut& Close(char c) {
    out += c;
    first_ = false;
    return *this;
  }
  JsonOut& Key(const char* key) {
    Comma();
    out += '"';
    out += key;
    out += "\":";
    first_ = true;
    return *this;
  }
  JsonOut& Str(std::string_view cp1252) {
    Comma();
    out += LiveJsonText(cp1252);
    return *this;
  }
  JsonOut& Int(long long v) {
    Comma();
    out += std::to_string(v);
    return *this;
  }
  JsonOut& Bool(bool v) {
    Comma();
    out += v ? "true" : "false";
    return *this;
  }
  JsonOut& Null() {
    Comma();
    out += "null";
    return *this;
  }
  JsonOut& Ints(const std::vector<int>& list) {
    Open('[');
    for (int v : list) Int(v);
    return Close(']');
  }

  std::string out;

 private:
  void Comma() {
    if (!first_) out += ',';
    first_ = false;
  }
  bool first_ = true;
};

std::string TimeText(int starttime) { return starttime > 0 ? FormatTime(starttime) : std::string(); }

const char* KindName(int playstyle) {
  switch (playstyle) {
    case kPlaystyleSwiss: return "zwitsers";
    case kPlaystyleDropout: return "knockout";
    default: return "poule";
  }
}

bool NameBefore(const PlayerWithClub& a, const PlayerWithClub& b) {
  const size_t n = std::min(a.name.size(), b.name.size());
  for (size_t i = 0; i < n; ++i) {
    int x = std::tolower(static_cast<unsigned char>(a.name[i])), y = std::tolower(static_cast<unsigned char>(b.name[i]));
    if (x != y) return x < y;
  }
  if (a.name.size() != b.name.size()) return a.name.size() < b.name.size();
  return a.id < b.id;
}

// A table's page lists this many of its entries, the newest first: enough to
// show a device what became of what it sent.
constexpr int kTableEntriesShown = 30;

const char* StatusName(EntryStatus status) {
  switch (status) {
    case EntryStatus::kAccepted: return "geaccepteerd";
    case EntryStatus::kRejected: return "afgewezen";
    default: return "wacht";
  }
}

}  // namespace

struct LiveSnapshot::State {
  struct PoolInfo {
    PoolRecord row;
    std::string klasse;
  };
  struct Doc {
    std::string body;  // the JSON without its version and time
    std::shared_ptr<const LiveDocument> doc;
  };

  State(Database& d, int nu) : db(d), book(d), hall(d, book), nuMatches(nu) {}

  Database& db;
  MatchBook book;
  HallView hall;  // shares the book: the open matches as the hall display has them
  int nuMatches;
  int idToernooi = -1;
  std::string toernooi;
  std::vector<SystemRecord> classes;
  std::vector<PoolInfo> pools;  // class order, then pool order
  std::map<int, size_t> poolIndex;
  std::vector<PlayerWithClub> players;  // by name
  std::map<int, std::vector<int>> duoPlayers;
  std::map<int, std::vector<int>> playersOfPool;  // the players a pool's positions resolve to
  std::map<std::string, Doc> docs;
  std::uint64_t version = 0;
  std::shared_ptr<const LiveDocuments> published = std::make_shared<LiveDocuments>();

  // Entry at the tables, while the director has it on.
  struct QueueRow {
    int idPool = 0;  // of the entry's match; 0 when the match is gone
    EntryStatus status = EntryStatus::kWaiting;
    std::string reason;
    TableEntry entry;
    std::string text;  // the result it means under its match's rules, as the page shows it
  };
  bool tableEntry = false;
  std::vector<int> tableList;
  std::map<int, std::string> tokens;
  std::map<int, std::vector<QueueRow>> queueOfTable;  // newest first
  std::map<int, MatchSystem> systemOfPool;
  std::map<int, LiveTable> tables;
  void ReadTableList();
  void ReadTables();
  void ReadQueueOf(int tafel);
  void EntryTexts();
  const MatchSystem& SystemOf(int idPool);
  void MatchJson(JsonOut& j, const HallMatchRow* row);
  // only: the tables whose documents are wanted; all when null.
  void TableBodies(std::map<std::string, std::string>& bodies, const std::set<int>* only = nullptr);

  void ReadStructure();
  std::map<std::string, std::string> AllBodies();
  void Head(JsonOut& j) const {
    j.Open('{');
    j.Key("toernooi").Str(toernooi);
  }
  std::string NuBody() const;
  std::string PoulesBody() const;
  std::string SpelersBody() const;
  std::string PoolBody(const PoolInfo& pool);
  std::vector<int> PlayersOf(const Contestant* c) const;
  // whole: every document not in bodies goes; tablesWhole: every table
  // document not in bodies goes.
  void Publish(const std::map<std::string, std::string>& bodies, bool whole, bool tablesWhole = false);
};

void LiveSnapshot::State::ReadTableList() {
  // The pools' table lists and the tables the matches were moved to, as
  // TablesOfToernooi has them, from what the book holds already.
  std::set<int> found;
  for (const PoolInfo& p : pools) {
    for (int t : ParseTables(p.row.tables)) found.insert(t);
    for (const MatchEntry& m : book.PoolMatches(p.row.id))
      if (m.tafel > 0) found.insert(m.tafel);
  }
  tableList.assign(found.begin(), found.end());
  // A table that came with a move has no card yet.
  if (tableEntry && std::any_of(tableList.begin(), tableList.end(), [&](int t) { return !tokens.count(t); }))
    tokens = TableTokensOf(db, idToernooi, tableList);
}

void LiveSnapshot::State::ReadTables() {
  tableEntry = idToernooi > 0 && LiveSettings::Read(db, idToernooi).tableEntry;
  tokens.clear();
  queueOfTable.clear();
  if (!tableEntry) {
    tableList.clear();
    return;
  }
  ReadTableList();  // and with it the tokens, read anew: one may have been renewed
  for (int tafel : tableList) ReadQueueOf(tafel);
}

void LiveSnapshot::State::ReadQueueOf(int tafel) {
  // A table's own latest entries, newest first, straight from the index on
  // (idToernooi, tafel): the cost stays that of one table's page, however
  // long the queue of the day has grown.
  std::vector<QueueRow>& queue = queueOfTable[tafel];
  queue.clear();
  Records rows;
  db.Exec(&rows,
          "SELECT t.status AS status,t.reason AS reason,t.payload AS payload,m.idPool AS idPool "
          "FROM TableEntries t LEFT JOIN Matches m ON m.id=t.idMatch WHERE t.idToernooi=%d AND t.tafel=%d "
          "ORDER BY t.id DESC LIMIT %d",
          idToernooi, tafel, kTableEntriesShown);
  RecordSet r(rows);
  for (bool ok = r.First(); ok; ok = r.Next()) {
    QueueRow row;
    if (!ReadTableEntryJson(r.Text("payload"), tafel, row.entry)) continue;
    row.idPool = r.Int("idPool");
    row.status = EntryStatusOf(r.Int("status"));
    row.reason = r.Text("reason");
    row.text = row.idPool > 0 ? TableEntryText(SystemOf(row.idPool), row.entry) : std::string();
    queue.push_back(std::move(row));
  }
}

void LiveSnapshot::State::EntryTexts() {
  // The rules of a pool may have changed: what each entry means with them.
  for (auto& [tafel, queue] : queueOfTable)
    for (QueueRow& row : queue)
      row.text = row.idPool > 0 ? TableEntryText(SystemOf(row.idPool), row.entry) : std::string();
}

const MatchSystem& LiveSnapshot::State::SystemOf(int idPool) {
  auto it = systemOfPool.find(idPool);
  if (it == systemOfPool.end()) it = systemOfPool.emplace(idPool, EffectiveMatchSystem(db, idPool)).first;
  return it->second;
}

void LiveSnapshot::State::MatchJson(JsonOut& j, const HallMatchRow* row) {
  if (!row) {
    j.Null();
    return;
  }
  const MatchSystem& ms = SystemOf(row->idPool);
  j.Open('{');
  j.Key("id").Int(row->idMatch);
  j.Key("klasse").Str(row->klasse);
  j.Key("poule").Str(row->pool);
  j.Key("naam1").Str(row->name1);
  j.Key("naam2").Str(row->name2);
  j.Key("tijd").Str(TimeText(row->starttime));
  j.Key("mode").Int(TableEntryMode(ms));
  j.Key("gameStop").Int(ms.gameStop);
  j.Key("gameDiff").Bool(ms.gameDiff);
  j.Key("setMax").Int(ms.setMax);
  j.Key("setWon").Int(ms.setWon);
  j.Key("maxPunten").Int(MaxGamePoints(ms));
  j.Key("eindes").Open('[');
  for (const std::string& text : EndingChoices(row->name1, row->name2)) j.Str(text);
  j.Close(']').Close('}');
}

void LiveSnapshot::State::TableBodies(std::map<std::string, std::string>& bodies, const std::set<int>* only) {
  tables.clear();
  if (!tableEntry) return;
  // The first two open matches of each table, in the hall display's order.
  std::map<int, std::vector<const HallMatchRow*>> calls;
  for (const HallMatchRow& row : hall.Content().open) {
    std::vector<const HallMatchRow*>& list = calls[row.tafel];
    if (list.size() < 2) list.push_back(&row);
  }
  for (int tafel : tableList) {
    const std::vector<const HallMatchRow*>& list = calls[tafel];
    const HallMatchRow* now = list.empty() ? nullptr : list[0];
    const HallMatchRow* next = list.size() < 2 ? nullptr : list[1];
    LiveTable& table = tables[tafel];
    table.tafel = tafel;
    if (now) table.idMatchNow = now->idMatch, table.systemNow = SystemOf(now->idPool);
    if (next) table.idMatchNext = next->idMatch, table.systemNext = SystemOf(next->idPool);
    if (only && !only->count(tafel)) continue;
    if (!queueOfTable.count(tafel)) ReadQueueOf(tafel);  // a table that came with a move
    JsonOut j;
    Head(j);
    j.Key("tafel").Int(tafel);
    j.Key("nu");
    MatchJson(j, now);
    j.Key("volgende");
    MatchJson(j, next);
    j.Key("invoer").Open('[');
    for (const QueueRow& q : queueOfTable[tafel]) {
      j.Open('{');
      j.Key("entry").Str(q.entry.entryId);
      j.Key("match").Int(q.entry.idMatch);
      j.Key("status").Str(StatusName(q.status));
      j.Key("reden").Str(q.reason);
      j.Key("uitslag").Str(q.text);
      j.Close('}');
    }
    j.Close(']').Close('}');
    bodies["tafel/" + std::to_string(tafel)] = j.out;
  }
}

void LiveSnapshot::State::ReadStructure() {
  classes.clear();
  pools.clear();
  poolIndex.clear();
  players.clear();
  duoPlayers.clear();
  playersOfPool.clear();
  toernooi.clear();
  if (idToernooi <= 0) return;
  TournamentRecord t;
  db.GetToernooi(t, idToernooi);
  toernooi = t.name;
  db.ListSystems(classes, idToernooi);
  for (const SystemRecord& cls : classes) {
    std::vector<PoolRecord> rows;
    db.ListPools(cls.id, rows);
    for (PoolRecord& row : rows) {
      poolIndex[row.id] = pools.size();
      pools.push_back({std::move(row), cls.name});
    }
  }
  db.ListPlayersWithClub(idToernooi, players);
  std::stable_sort(players.begin(), players.end(), NameBefore);
  std::vector<DuoRecord> duos;
  db.ListDuos(duos, idToernooi);
  for (const DuoRecord& d : duos) duoPlayers[d.id] = {d.idPlayer1, d.idPlayer2};
}

std::vector<int> LiveSnapshot::State::PlayersOf(const Contestant* c) const {
  if (!c || !c->known) return {};
  if (c->resolvedType == kLinkPlayer) return {c->idResolved};
  if (c->resolvedType == kLinkDuo) {
    auto it = duoPlayers.find(c->idResolved);
    if (it != duoPlayers.end()) return it->second;
  }
  return {};
}

std::string LiveSnapshot::State::NuBody() const {
  const HallContent& content = hall.Content();
  JsonOut j;
  Head(j);
  j.Key("gespeeld").Int(content.played);
  j.Key("teSpelen").Int(content.toPlay);
  const size_t shown = std::min(content.open.size(), static_cast<size_t>(std::max(nuMatches, 0)));
  j.Key("meer").Int(static_cast<int>(content.open.size() - shown));
  j.Key("wedstrijden").Open('[');
  for (size_t i = 0; i < shown; ++i) {
    const HallMatchRow& r = content.open[i];
    j.Open('{');
    j.Key("id").Int(r.idMatch);
    j.Key("tafel").Int(r.tafel);
    j.Key("tijd").Str(TimeText(r.starttime));
    j.Key("klasse").Str(r.klasse);
    j.Key("poule").Str(r.pool);
    j.Key("idPoule").Int(r.idPool);
    j.Key("naam1").Str(r.name1);
    j.Key("naam2").Str(r.name2);
    j.Close('}');
  }
  j.Close(']').Close('}');
  return j.out;
}

std::string LiveSnapshot::State::PoulesBody() const {
  JsonOut j;
  Head(j);
  j.Key("klassen").Open('[');
  for (const SystemRecord& cls : classes) {
    j.Open('{');
    j.Key("naam").Str(cls.name);
    j.Key("poules").Open('[');
    for (const PoolInfo& p : pools) {
      if (p.row.idSystem != cls.id) continue;
      j.Open('{');
      j.Key("id").Int(p.row.id);
      j.Key("naam").Str(p.row.name);
      j.Key("soort").Str(KindName(p.row.playstyle));
      j.Close('}');
    }
    j.Close(']').Close('}');
  }
  j.Close(']').Close('}');
  return j.out;
}

std::string LiveSnapshot::State::SpelersBody() const {
  std::map<int, std::vector<int>> poolsOf;
  for (const PoolInfo& p : pools) {
    auto it = playersOfPool.find(p.row.id);
    if (it == playersOfPool.end()) continue;
    for (int idPlayer : it->second) poolsOf[idPlayer].push_back(p.row.id);
  }
  JsonOut j;
  Head(j);
  j.Key("spelers").Open('[');
  static const std::vector<int> kNone;
  for (const PlayerWithClub& p : players) {
    auto it = poolsOf.find(p.id);
    j.Open('{');
    j.Key("id").Int(p.id);
    j.Key("naam").Str(p.name);
    j.Key("club").Str(p.club);
    j.Key("poules").Ints(it == poolsOf.end() ? kNone : it->second);
    j.Close('}');
  }
  j.Close(']').Close('}');
  return j.out;
}

std::string LiveSnapshot::State::PoolBody(const PoolInfo& pool) {
  const int id = pool.row.id;
  static const std::vector<Contestant> kNoPositions;
  const std::vector<Contestant>* found = book.PoolContestants(id);
  const std::vector<Contestant>& positions = found ? *found : kNoPositions;
  const std::vector<MatchEntry> matches = book.PoolMatches(id);
  const MatchSystem system = book.MatchSystemOfPool(id);
  const bool knockout = pool.row.playstyle == kPlaystyleDropout;
  std::map<int, const Contestant*> byId;
  for (const Contestant& c : positions) byId[c.id] = &c;
  auto playersOfSide = [&](int side) {
    if (knockout) side = KnockoutSide(matches, side);
    auto it = byId.find(side);
    return PlayersOf(it == byId.end() ? nullptr : it->second);
  };

  std::set<int> inPool;
  for (const Contestant& c : positions)
    for (int idPlayer : PlayersOf(&c)) inPool.insert(idPlayer);
  playersOfPool[id] = std::vector<int>(inPool.begin(), inPool.end());

  JsonOut j;
  Head(j);
  j.Key("id").Int(id);
  j.Key("klasse").Str(pool.klasse);
  j.Key("naam").Str(pool.row.name);
  j.Key("soort").Str(KindName(pool.row.playstyle));
  std::map<int, int> roundOf;  // match id -> round

  if (pool.row.playstyle == kPlaystylePoule) {
    LPoule poule;
    poule.FillFrom(pool.row);
    poule.gameCodes = system.result == kResultPoints || system.result == kResultAll;
    poule.Standings(positions, matches);
    const PouleCrossTable cross = CrossTableOf(positions, matches);
    j.Key("stand").Open('[');
    for (size_t i = 0; i < positions.size(); ++i) {
      const int place = i < poule.places.size() ? poule.places[i] : -1;
      j.Open('{');
      j.Key("plaats").Int(place >= 0 ? place + 1 : 0);
      j.Key("naam").Str(positions[i].name);
      j.Key("club").Str(positions[i].club);
      j.Key("gewonnen").Int(cross.wins[i]);
      j.Key("spelers").Ints(PlayersOf(&positions[i]));
      j.Close('}');
    }
    j.Close(']');
    j.Key("kruistabel").Open('[');
    for (const std::vector<std::string>& row : cross.cells) {
      j.Open('[');
      for (const std::string& cell : row) j.Str(cell);
      j.Close(']');
    }
    j.Close(']');
    // The pairing table plays n / 2 matches a round.
    const int perRound = std::max(1, MatchesPerRound(static_cast<int>(positions.size())));
    for (size_t k = 0; k < matches.size(); ++k) roundOf[matches[k].id] = static_cast<int>(k) / perRound + 1;
  } else if (pool.row.playstyle == kPlaystyleSwiss) {
    LSwiss swiss;
    swiss.FillFrom(pool.row);
    swiss.AttachDatabase(&db);
    swiss.Standings(positions, matches);
    j.Key("ronde").Int(swiss.maxRound);
    std::vector<size_t> order(swiss.contestants.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return swiss.places[a] < swiss.places[b]; });
    j.Key("stand").Open('[');
    for (size_t i : order) {
      const Contestant& c = swiss.contestants[i];
      j.Open('{');
      j.Key("plaats").Int(swiss.places[i] + 1);
      j.Key("naam").Str(c.name);
      j.Key("club").Str(c.club);
      j.Key("punten").Int(swiss.Points(c));
      j.Key("weerstand").Int(swiss.Resistance(c));
      j.Key("verwijderd").Bool(c.poolPos < 0);
      j.Key("spelers").Ints(PlayersOf(&c));
      j.Close('}');
    }
    j.Close(']');
    for (const RoundEntry& r : swiss.rounds) roundOf[r.idMatch] = r.round;
  } else if (knockout) {
    std::unique_ptr<LPool> made = MakePool(pool.row);
    const auto* dropout = dynamic_cast<const LDropout*>(made.get());
    const std::vector<BracketMatch> shape = BracketShape(dropout ? dropout->dimension : 2);
    const size_t n = std::min(shape.size(), matches.size());
    auto name = [&](int side) {
      const int s = KnockoutSide(matches, side);
      if (s == 0) return std::string("Bye");
      if (s < 0) return book.SideName(side, id);
      auto it = byId.find(s);
      return it == byId.end() ? std::string("???") : it->second->name;
    };
    j.Key("rondes").Open('[');
    const int levels = shape.empty() ? 0 : shape.back().level;
    for (int level = 1; level <= levels; ++level) {
      j.Open('{');
      j.Key("naam").Str(KnockoutRoundName(levels - level));
      j.Key("wedstrijden").Open('[');
      for (size_t k = 0; k < n; ++k) {
        if (shape[k].level != level) continue;
        const MatchEntry& m = matches[k];
        j.Open('{');
        j.Key("id").Int(m.id);
        j.Key("naam1").Str(name(m.idContestant1));
        j.Key("naam2").Str(name(m.idContestant2));
        j.Key("winnaar").Int(KnockoutWinnerIndex(matches, m));
        j.Key("uitslag").Str(MatchResultText(m, system, false));
        j.Key("bye").Bool(KnockoutSide(matches, m.idContestant1) == 0 || KnockoutSide(matches, m.idContestant2) == 0);
        j.Key("tafel").Int(m.tafel);
        j.Key("tijd").Str(TimeText(m.starttime));
        j.Close('}');
      }
      j.Close(']').Close('}');
    }
    j.Close(']');
    for (size_t k = 0; k < n; ++k) roundOf[matches[k].id] = shape[k].level;
  }

  // The matches as the matches pane lists them: "Niet gespeeld" is no match,
  // and neither is a bracket's bye.
  j.Key("wedstrijden").Open('[');
  for (const MatchEntry& m : matches) {
    if (m.idContestant1 == kNotPlayed || m.idContestant2 == kNotPlayed) continue;
    if (knockout && (KnockoutSide(matches, m.idContestant1) == 0 || KnockoutSide(matches, m.idContestant2) == 0))
      continue;
    auto round = roundOf.find(m.id);
    j.Open('{');
    j.Key("id").Int(m.id);
    j.Key("ronde").Int(round == roundOf.end() ? 0 : round->second);
    j.Key("tafel").Int(m.tafel);
    j.Key("tijd").Str(TimeText(m.starttime));
    j.Key("naam1").Str(m.name1);
    j.Key("naam2").Str(m.name2);
    j.Key("spelers1").Ints(playersOfSide(m.idContestant1));
    j.Key("spelers2").Ints(playersOfSide(m.idContestant2));
    j.Key("uitslag").Str(MatchResultText(m, system, false));
    j.Key("winnaar").Int(knockout ? KnockoutWinnerIndex(matches, m) : m.indexWinner);
    j.Close('}');
  }
  j.Close(']').Close('}');
  return j.out;
}

std::map<std::string, std::string> LiveSnapshot::State::AllBodies() {
  std::map<std::string, std::string> bodies;
  if (idToernooi <= 0) return bodies;
  for (const PoolInfo& p : pools) bodies["poule/" + std::to_string(p.row.id)] = PoolBody(p);
  bodies["nu"] = NuBody();
  bodies["poules"] = PoulesBody();
  bodies["spelers"] = SpelersBody();  // after the pools: it lists who plays where
  TableBodies(bodies);
  return bodies;
}

void LiveSnapshot::State::Publish(const std::map<std::string, std::string>& bodies, bool whole, bool tablesWhole) {
  std::vector<const std::pair<const std::string, std::string>*> changed;
  for (const auto& entry : bodies) {
    auto it = docs.find(entry.first);
    if (it == docs.end() || it->second.body != entry.second) changed.push_back(&entry);
  }
  std::vector<std::string> gone;
  for (const auto& [name, doc] : docs)
    if ((whole || (tablesWhole && name.rfind("tafel/", 0) == 0)) && !bodies.count(name)) gone.push_back(name);
  std::map<std::string, int> tableOfToken;
  for (const auto& [tafel, token] : tokens)
    if (tableEntry) tableOfToken[token] = tafel;
  if (changed.empty() && gone.empty()) {
    // A new token changes no text, but the server must take entries by it.
    // (The matches a table takes and their rules are in its text.)
    if (published->tableOfToken == tableOfToken) return;
    auto set = std::make_shared<LiveDocuments>(*published);
    set->tableOfToken = std::move(tableOfToken);
    set->tables = tables;
    published = std::move(set);
    return;
  }

  // The first version comes from the clock, so that a page still holding a
  // tag from before a restart of the program cannot be told "not modified"
  // about other content that happens to carry the same number.
  if (version == 0)
    version = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(std::max<std::int64_t>(0, db.GetClock().NowUnix())) * 1000);
  else
    ++version;
  const DateTime now = db.GetClock().NowLocal();
  const std::string head = Format("{\"versie\":%llu,\"gewijzigd\":\"%02d:%02d:%02d\",",
                                  static_cast<unsigned long long>(version), now.hour, now.minute, now.second);
  for (const auto* entry : changed) {
    auto doc = std::make_shared<LiveDocument>();
    doc->json = head + entry->second.substr(1);
    doc->version = version;
    docs[entry->first] = {entry->second, std::move(doc)};
  }
  for (const std::string& name : gone) docs.erase(name);
  auto set = std::make_shared<LiveDocuments>();
  set->version = version;
  for (const auto& [name, doc] : docs) set->byName.emplace_hint(set->byName.end(), name, doc.doc);
  set->tableOfToken = std::move(tableOfToken);
  set->tables = tables;
  published = std::move(set);
}

LiveSnapshot::LiveSnapshot(Database& db, int nuMatches) : state_(std::make_unique<State>(db, nuMatches)) {}
LiveSnapshot::~LiveSnapshot() = default;

void LiveSnapshot::Build(int idToernooi) {
  State& s = *state_;
  s.idToernooi = idToernooi;
  s.book.withClub = false;
  if (idToernooi > 0)
    s.book.FillToernooi(idToernooi);
  else
    s.book.Clear();
  // Only the hall display's matches part: the standings come from the pool
  // documents, and its class choices are for the hall's screen alone.
  HallOptions options;
  options.show = HallShow::kMatches;
  s.hall.Build(idToernooi, options, false);
  s.ReadStructure();
  s.systemOfPool.clear();
  s.ReadTables();
  s.Publish(s.AllBodies(), true);
}

void LiveSnapshot::Apply(const DataChange& change) {
  State& s = *state_;
  if (s.idToernooi <= 0) return;
  const MatchBook::Touched touched = s.book.Apply(change);
  s.hall.Follow(touched.all, touched.pools);
  if (touched.all) {
    s.ReadStructure();
    s.systemOfPool.clear();
    if (s.tableEntry) {
      s.ReadTableList();
      s.EntryTexts();
    }
    s.Publish(s.AllBodies(), true);
    return;
  }
  if (change.kind == ChangeKind::kTableTime && s.tableEntry) s.ReadTableList();
  std::map<std::string, std::string> bodies;
  bool playersMoved = false;
  for (int idPool : touched.pools) {
    auto it = s.poolIndex.find(idPool);
    if (it == s.poolIndex.end()) continue;
    const std::vector<int> before = s.playersOfPool[idPool];
    bodies["poule/" + std::to_string(idPool)] = s.PoolBody(s.pools[it->second]);
    playersMoved = playersMoved || s.playersOfPool[idPool] != before;
  }
  bodies["nu"] = s.NuBody();
  if (playersMoved) bodies["spelers"] = s.SpelersBody();
  s.TableBodies(bodies);
  s.Publish(bodies, false, true);
}

std::shared_ptr<const LiveDocuments> LiveSnapshot::Documents() const { return state_->published; }

void LiveSnapshot::TablesChanged() {
  State& s = *state_;
  if (s.idToernooi <= 0) return;
  s.ReadTables();
  std::map<std::string, std::string> bodies;
  s.TableBodies(bodies);
  s.Publish(bodies, false, true);
}

void LiveSnapshot::EntriesChanged(const std::vector<int>& tafels) {
  State& s = *state_;
  if (s.idToernooi <= 0 || !s.tableEntry) return;
  std::set<int> only;
  for (int tafel : tafels)
    if (std::binary_search(s.tableList.begin(), s.tableList.end(), tafel)) only.insert(tafel);
  if (only.empty()) return;  // an entry for a table without a card shows nowhere
  for (int tafel : only) s.ReadQueueOf(tafel);
  std::map<std::string, std::string> bodies;
  s.TableBodies(bodies, &only);
  s.Publish(bodies, false);
}

LiveSettings LiveSettings::Read(Database& db, int idToernooi) {
  LiveSettings s;
  s.on = db.GetSettingInt(Format("LiveOn%d", idToernooi), 0) != 0;
  const int port = db.GetSettingInt(Format("LivePort%d", idToernooi), kDefaultPort);
  s.port = port >= 1 && port <= 65535 ? port : kDefaultPort;
  s.localOnly = db.GetSettingInt(Format("LiveLocalOnly%d", idToernooi), 0) != 0;
  s.tableEntry = db.GetSettingInt(Format("LiveTables%d", idToernooi), 0) != 0;
  s.autoAccept = db.GetSettingInt(Format("LiveAutoAccept%d", idToernooi), 0) != 0;
  return s;
}

bool LiveSettings::Write(Database& db, int idToernooi) const {
  return db.SetSettings({{Format("LiveOn%d", idToernooi), on ? "1" : "0"},
                         {Format("LivePort%d", idToernooi), Format("%d", port)},
                         {Format("LiveLocalOnly%d", idToernooi), localOnly ? "1" : "0"},
                         {Format("LiveTables%d", idToernooi), tableEntry ? "1" : "0"},
                         {Format("LiveAutoAccept%d", idToernooi), autoAccept ? "1" : "0"}});
}

}  // namespace velgram
