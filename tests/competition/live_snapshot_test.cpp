// The live pages' documents: after every change they read as the hall
// display and the panes show the tournament, as a fresh build would, and only
// the documents whose text changed take a new version.
#include "competition/live_snapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <regex>
#include <set>

#include "competition/dropout.h"
#include "competition/hall_display.h"
#include "competition/match_rules.h"
#include "competition/matchbook.h"
#include "competition/poule.h"
#include "competition/swiss_screen.h"
#include "competition/table_entry.h"
#include "competition/tables.h"
#include "event_fixture.h"
#include "support/ljson.h"
#include "support/text.h"

namespace velgram {
namespace {
// Few enough that the open matches overflow the list in some steps and not in others.
constexpr int kNu = 5;

using testing::EventFixture;

// A name that JSON must escape, with Windows-1252 letters beyond Latin-1's
// reach of a plain byte copy.
const std::string kOddName = "Jan \"de Muur\" \\ Caf\xE9 \x80";

const std::string kOddClub = "TTV\t\"Oost\"";

std::string Time(int hhmm) { return hhmm > 0 ? FormatTime(hhmm) : ""; }

// The document without its version and time, which a fresh build gives anew;
// checks on the way that the text carries the version the document has.
std::string Body(const LiveDocument& doc) {
  static const std::regex head("^\\{\"versie\":([0-9]+),\"gewijzigd\":\"[0-9]{2}:[0-9]{2}:[0-9]{2}\",");
  std::smatch m;
  EXPECT_TRUE(std::regex_search(doc.json, m, head)) << doc.json.substr(0, 60);
  EXPECT_EQ(m.size() > 1 ? m[1].str() : "", std::to_string(doc.version));
  return std::regex_replace(doc.json, head, "{");
}

// A place in a parsed document, read by member name.
struct At {
  const Ljson* json;
  std::string path;
  At In(const std::string& key, int index) const { return {json, path + key + "|" + std::to_string(index) + "|"}; }
  std::string S(const std::string& key) const { return Get(&Ljson::GetString, key, std::string("<none>")); }
  int N(const std::string& key) const { return Get(&Ljson::GetInt, key, -99); }
  int Count(const std::string& key) const { return Get(&Ljson::GetCount, key, 0); }
  bool B(const std::string& key) const {
    bool v = false;
    EXPECT_TRUE(json->GetBool(path + key, v)) << path + key;
    return v;
  }
  template <typename T, typename Getter>
  T Get(Getter get, const std::string& key, T v) const {
    (json->*get)(path + key, v);
    return v;
  }
};

class LiveSnapshotTest : public EventFixture {
 protected:
  void SetUp() override {
    db->SetSetting("PouleActivateWarning", "No");
    poule = AddPool(kPlaystylePoule, "1-2", 900);
    AddContestant(poule, AddPlayer(kOddName, kOddClub, 1500), 1);
    for (int i = 2; i <= 4; ++i) AddContestant(poule, AddPlayer("Rr " + std::to_string(i), "TTV", 1500), i);
    ASSERT_EQ(StartPoule(*db, prompter, poule), StartOutcome::kStarted);

    swiss = AddPool(kPlaystyleSwiss, "3-4", 900);
    for (int i = 1; i <= 5; ++i) AddContestant(swiss, AddPlayer("Zw " + std::to_string(i), "Zaal", 2000 - 100 * i), i);
    ASSERT_TRUE(NextSwissRound(*db, prompter, clock, swiss, nullptr));

    // Three in a bracket of four: seed 1 has a bye, the final waits.
    std::vector<int> ko;
    for (int i = 1; i <= 3; ++i) ko.push_back(AddPlayer("Ko " + std::to_string(i), "Net", 1000));
    knockout = AddKnockout(ko, 4);

    // Duos: each of their players plays in the pool.
    duos = AddPool(kPlaystylePoule, "7", 1000);
    for (int i = 1; i <= 2; ++i) {
      DuoRecord duo;
      duo.idPlayer1 = AddPlayer(Format("Duo %da", i), "Dubbel", 1000);
      duo.idPlayer2 = AddPlayer(Format("Duo %db", i), "Dubbel", 1000);
      db->AddDuo(duo, idToernooi);
      std::vector<DuoRecord> list;
      db->ListDuos(list, idToernooi);
      AddContestant(duos, list.back().id, i, kLinkDuo);
    }
    ASSERT_EQ(StartPoule(*db, prompter, duos), StartOutcome::kStarted);

    // A later block takes the round robin's first two places.
    later = AddPool(kPlaystylePoule, "6", 1100);
    std::vector<ContestantRecord> links(2);
    for (int i = 0; i < 2; ++i) std::tie(links[i].linktype, links[i].idLinkedPool, links[i].poolPos, links[i].sort) =
        std::tuple(kLinkPlace, poule, i + 1, i);
    db->ReplaceContestants(later, links);
    db->AddMatch(later, Rows(later)[0].id, Rows(later)[1].id, 6, 1100);
  }

  Ljson Doc(const LiveDocuments& docs, const std::string& name) {
    auto it = docs.byName.find(name);
    if (it == docs.byName.end()) return Ljson("");
    return Ljson(Utf8ToCp1252(it->second->json));
  }

  // What the hall display and the panes show, one line per fact: the
  // display's open matches and counts, its Swiss and knockout lines, the
  // round-robin pane's rows and cross table, the match list with the names
  // of the matches pane, and who plays in which pool.
  std::vector<std::string> Shown() {
    std::vector<std::string> out;
    const HallContent hall = BuildHallContent(*db, idToernooi, HallOptions{});
    // The first kNu of the display's open matches, and a count of the rest.
    const size_t shown = std::min(hall.open.size(), size_t{kNu});
    out.push_back(Format("nu %d %d meer %d", hall.played, hall.toPlay, static_cast<int>(hall.open.size() - shown)));
    for (const HallMatchRow& r : std::vector<HallMatchRow>(hall.open.begin(), hall.open.begin() + static_cast<long>(shown)))
      out.push_back(Format("open %d %d %s %s|%s|%d %s|%s", r.idMatch, r.tafel, Time(r.starttime).c_str(),
                           r.klasse.c_str(), r.pool.c_str(), r.idPool, r.name1.c_str(), r.name2.c_str()));
    LinkResolver resolver(*db, idToernooi);
    MatchBook book(*db);
    book.FillToernooi(idToernooi);
    std::map<int, std::vector<int>> poolsOf;
    std::vector<DuoRecord> duoList;
    db->ListDuos(duoList, idToernooi);
    // The players behind a position: its player, or both of a duo.
    auto behind = [&](const Contestant& c) {
      std::vector<int> ids;
      if (c.known && c.resolvedType == kLinkPlayer) ids = {c.idResolved};
      for (const DuoRecord& d : duoList)
        if (c.known && c.resolvedType == kLinkDuo && c.idResolved == d.id) ids = {d.idPlayer1, d.idPlayer2};
      return ids;
    };
    auto playersWhere = [&](int idPool, auto match) {
      std::string ids;
      for (const Contestant& c : resolver.Contestants(idPool))
        for (int id : match(c) ? behind(c) : std::vector<int>{}) ids += Format(" %d", id);
      return "[" + ids + "]";
    };
    for (const HallBlock& b : hall.blocks)
      for (const HallStandingRow& r : b.rows) {
        if (b.playstyle == kPlaystyleSwiss)
          out.push_back(Format("zw %d %d %s|%s %d %d %d %s", b.idPool, r.place, r.name.c_str(), r.club.c_str(),
                               r.points, r.resistance, r.removed,
                               playersWhere(b.idPool, [&](const Contestant& c) { return c.name == r.name; }).c_str()));
        if (b.playstyle == kPlaystyleDropout)
          out.push_back(Format("ko %d %s %s|%s %d %s %d", b.idPool, b.caption.c_str(), r.name.c_str(), r.name2.c_str(),
                               r.winner, r.result.c_str(), r.bye));
      }
    std::vector<SystemRecord> classes;
    db->ListSystems(classes, idToernooi);
    for (const SystemRecord& cls : classes) {
      std::vector<PoolRecord> pools;
      db->ListPools(cls.id, pools);
      for (const PoolRecord& p : pools) {
        const std::vector<Contestant> positions = resolver.Contestants(p.id);
        auto playersOf = [&](int id) { return playersWhere(p.id, [id](const Contestant& c) { return c.id == id; }); };
        if (p.playstyle == kPlaystylePoule) {
          const std::vector<int> places = resolver.Places(p.id);
          const PouleCrossTable cross = CrossTableOf(positions, resolver.Matches(p.id));
          for (size_t i = 0; i < positions.size(); ++i) {
            std::string cells;
            for (const std::string& cell : cross.cells[i]) cells += "[" + cell + "]";
            out.push_back(Format("rr %d %s|%s %d %d %s %s", p.id, positions[i].name.c_str(), positions[i].club.c_str(),
                                 i < places.size() ? places[i] + 1 : 0, cross.wins[i], cells.c_str(),
                                 playersOf(positions[i].id).c_str()));
          }
        }
        const MatchSystem system = EffectiveMatchSystem(*db, p.id);
        const std::vector<MatchEntry> matches = book.PoolMatches(p.id);
        for (const MatchEntry& m : matches) {
          const bool knock = p.playstyle == kPlaystyleDropout;
          if (m.idContestant1 == kNotPlayed || m.idContestant2 == kNotPlayed ||
              (knock && (!KnockoutSide(matches, m.idContestant1) || !KnockoutSide(matches, m.idContestant2))))
            continue;
          auto side = [&](int s) { return playersOf(knock ? KnockoutSide(matches, s) : s); };
          out.push_back(Format("m %d %d %s %s|%s %s %d %s %s", m.id, m.tafel, Time(m.starttime).c_str(),
                               m.name1.c_str(), m.name2.c_str(), MatchResultText(m, system, false).c_str(),
                               knock ? KnockoutWinnerIndex(matches, m) : m.indexWinner,
                               side(m.idContestant1).c_str(), side(m.idContestant2).c_str()));
        }
        for (const Contestant& c : positions)
          for (int id : behind(c)) poolsOf[id].push_back(p.id);
      }
    }
    std::vector<PlayerWithClub> players;
    db->ListPlayersWithClub(idToernooi, players);
    std::sort(players.begin(), players.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    for (const PlayerWithClub& p : players) {
      std::string pools;
      for (int id : poolsOf[p.id]) pools += Format(" %d", id);
      out.push_back(Format("speler %d %s|%s [%s]", p.id, p.name.c_str(), p.club.c_str(), pools.c_str()));
    }
    return out;
  }

  static std::set<std::string> Names(const LiveDocuments& docs) {
    std::set<std::string> names;
    for (const auto& [name, doc] : docs.byName) names.insert(name);
    return names;
  }

  static std::string TableTime(const At& m) {
    return Format("%d %s %s|%s", m.N("tafel"), m.S("tijd").c_str(), m.S("naam1").c_str(), m.S("naam2").c_str());
  }

  static std::string Ids(const At& at, const char* key) {
    std::string ids;
    for (int j = 0; j < at.Count(key); ++j) ids += Format(" %d", at.In(key, j).N(""));
    return "[" + ids + "]";
  }

  // The same facts read from the documents.
  std::vector<std::string> Read(const LiveDocuments& docs) {
    std::vector<std::string> out;
    const Ljson nuDoc = Doc(docs, "nu"), listDoc = Doc(docs, "poules"), playersDoc = Doc(docs, "spelers");
    const At nu{&nuDoc, ""}, list{&listDoc, ""}, players{&playersDoc, ""};
    out.push_back(Format("nu %d %d meer %d", nu.N("gespeeld"), nu.N("teSpelen"), nu.N("meer")));
    for (int i = 0; i < nu.Count("wedstrijden"); ++i) {
      const At m = nu.In("wedstrijden", i);
      out.push_back(Format("open %d %d %s %s|%s|%d %s|%s", m.N("id"), m.N("tafel"), m.S("tijd").c_str(),
                           m.S("klasse").c_str(), m.S("poule").c_str(), m.N("idPoule"), m.S("naam1").c_str(),
                           m.S("naam2").c_str()));
    }
    // Standings in the hall display's order of blocks.
    const HallContent hall = BuildHallContent(*db, idToernooi, HallOptions{});
    for (const HallBlock& b : hall.blocks) {
      const Ljson doc = Doc(docs, Format("poule/%d", b.idPool));
      const At d{&doc, ""};
      for (int i = 0; b.playstyle == kPlaystyleSwiss && i < d.Count("stand"); ++i) {
        const At r = d.In("stand", i);
        out.push_back(Format("zw %d %d %s|%s %d %d %d %s", b.idPool, r.N("plaats"), r.S("naam").c_str(),
                             r.S("club").c_str(), r.N("punten"), r.N("weerstand"), r.B("verwijderd"),
                             Ids(r, "spelers").c_str()));
      }
      for (int k = 0; b.playstyle == kPlaystyleDropout && k < d.Count("rondes"); ++k) {
        const At round = d.In("rondes", k);
        for (int i = 0; round.S("naam") == b.caption && i < round.Count("wedstrijden"); ++i) {
          const At m = round.In("wedstrijden", i);
          out.push_back(Format("ko %d %s %s|%s %d %s %d", b.idPool, b.caption.c_str(), m.S("naam1").c_str(),
                               m.S("naam2").c_str(), m.N("winnaar"), m.S("uitslag").c_str(), m.B("bye")));
        }
      }
    }
    for (int k = 0; k < list.Count("klassen"); ++k)
      for (int p = 0; p < list.In("klassen", k).Count("poules"); ++p) {
        const At entry = list.In("klassen", k).In("poules", p);
        const Ljson doc = Doc(docs, Format("poule/%d", entry.N("id")));
        const At d{&doc, ""};
        EXPECT_EQ(std::tuple(d.N("id"), d.S("klasse"), d.S("naam"), d.S("soort")),
                  std::tuple(entry.N("id"), list.In("klassen", k).S("naam"), entry.S("naam"), entry.S("soort")));
        for (int i = 0; d.S("soort") == "poule" && i < d.Count("stand"); ++i) {
          const At r = d.In("stand", i), row = d.In("kruistabel", i);
          std::string cells;
          for (int j = 0; j < d.In("kruistabel", i).Count(""); ++j) cells += "[" + row.S(std::to_string(j)) + "]";
          out.push_back(Format("rr %d %s|%s %d %d %s %s", entry.N("id"), r.S("naam").c_str(), r.S("club").c_str(),
                               r.N("plaats"), r.N("gewonnen"), cells.c_str(), Ids(r, "spelers").c_str()));
        }
        std::map<int, std::string> tableTime;
        for (int i = 0; i < d.Count("wedstrijden"); ++i) {
          const At m = d.In("wedstrijden", i);
          out.push_back(Format("m %d %d %s %s|%s %s %d %s %s", m.N("id"), m.N("tafel"), m.S("tijd").c_str(),
                               m.S("naam1").c_str(), m.S("naam2").c_str(), m.S("uitslag").c_str(), m.N("winnaar"),
                               Ids(m, "spelers1").c_str(), Ids(m, "spelers2").c_str()));
          tableTime[m.N("id")] = TableTime(m);
        }
        // The bracket's rounds name and place their matches as the list does.
        for (int k = 0; k < d.Count("rondes"); ++k)
          for (int i = 0; i < d.In("rondes", k).Count("wedstrijden"); ++i) {
            const At m = d.In("rondes", k).In("wedstrijden", i);
            EXPECT_TRUE(m.B("bye") || tableTime[m.N("id")] == TableTime(m)) << TableTime(m);
          }
      }
    // Who plays where, listed by name, compared by player id.
    std::map<int, std::string> byId;
    std::string previous;
    for (int i = 0; i < players.Count("spelers"); ++i) {
      const At p = players.In("spelers", i);
      std::string name = p.S("naam");
      byId[p.N("id")] =
          Format("speler %d %s|%s %s", p.N("id"), name.c_str(), p.S("club").c_str(), Ids(p, "poules").c_str());
      for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      EXPECT_LE(previous, name);
      previous = name;
    }
    for (const auto& [id, line] : byId) out.push_back(line);
    return out;
  }

  int poule = -1, swiss = -1, knockout = -1, duos = -1, later = -1;
};

// A script of changes: after each, every document the snapshot followed the
// notice with reads as the hall display and the panes show the tournament,
// equals a fresh build's, and only changed documents took the new version; the
// hall display that followed the notice shows what a fresh read shows. A
// change that alters nothing publishes nothing; every awkward character is
// escaped.
TEST_F(LiveSnapshotTest, FollowsChangesAsTheScreensShowThem) {
  const std::vector<MatchRecord> rr = Matches(poule), ko = Matches(knockout), zw = Matches(swiss);
  int added = -1;
  const std::vector<std::pair<const char*, std::function<DataChange()>>> script = {
      {"result", [&] { db->RecordResult(rr[0].id, 1, {6, -9, -4, -7}, true); return DataChange::Result(rr[0].id); }},
      {"walkover", [&] {
         db->RecordResult(rr[1].id, 0, {}, false, kDecisionWalkover);
         return DataChange::Result(rr[1].id, poule);
       }},
      {"round robin done", [&] {
         // Seat 1 wins everything, 2 beat 3 3-2, 3 beat 4 3-0 and 4 beat 2 3-0:
         // only the games put 3 (5-6) above 4 (3-6) and 2 (3-8), which the
         // draw placed 2, 4, 3.
         const std::map<std::pair<int, int>, int> lost = {{{1, 2}, 0}, {{1, 3}, 0}, {{1, 4}, 0},
                                                          {{2, 3}, 2}, {{3, 4}, 0}, {{4, 2}, 0}};
         std::map<int, int> seat;  // numbered in the order they were added: the draw moved them
         for (const ContestantRecord& r : Rows(poule)) seat[r.id];
         int added = 0;
         for (auto& [id, number] : seat) number = ++added;
         for (const MatchRecord& m : rr) {
           const int a = seat[m.idContestant1], b = seat[m.idContestant2];
           const bool firstWon = lost.count({a, b}) > 0;
           std::vector<int> games(lost.at(firstWon ? std::pair(a, b) : std::pair(b, a)), -6);  // the lost games first
           games.resize(games.size() + 3, 6);
           if (!firstWon) for (int& g : games) g = -g;
           db->RecordResult(m.id, firstWon ? 0 : 1, games, true);
         }
         std::vector<std::string> places;  // the hall display breaks the ties with the same games
         const HallContent hall = BuildHallContent(*db, idToernooi, HallOptions{});
         for (const HallStandingRow& r : hall.blocks.front().rows)
           places.push_back(Format("%d %s %d", r.place, r.name.c_str(), r.wins));
         EXPECT_EQ(places, (std::vector<std::string>{"1 " + kOddName + " 3", "2 Rr 3 1", "3 Rr 4 1", "4 Rr 2 1"}));
         return DataChange::Positions(poule);
       }},
      {"result cleared", [&] { db->ClearResult(rr[2].id); return DataChange::Result(rr[2].id); }},
      {"table and time", [&] {
         MatchRecord m = ko[1];
         std::tie(m.tafel, m.starttime) = std::pair(9, 1245);
         db->UpdateMatch(m);
         return DataChange::TableTime(m.id);
       }},
      {"knockout semi-final", [&] { db->RecordResult(ko[1].id, 1, {}, false); return DataChange::Result(ko[1].id); }},
      {"knockout final", [&] { db->RecordResult(ko[2].id, 0, {}, false); return DataChange::Result(ko[2].id); }},
      {"swiss result", [&] { db->RecordResult(zw[0].id, 0, {}, false); return DataChange::Result(zw[0].id); }},
      {"swiss round", [&] {
         for (const MatchRecord& m : zw) db->RecordResult(m.id, 0, {}, false);
         EXPECT_TRUE(NextSwissRound(*db, prompter, clock, swiss, nullptr));
         return DataChange::Positions(swiss);
       }},
      {"link added", [&] {
         ContestantRecord third;
         std::tie(third.idPool, third.linktype, third.idLinkedPool, third.poolPos, third.sort) =
             std::tuple(later, kLinkPlace, poule, 3, 2);
         db->AddContestant(third);
         return DataChange::Positions(later);
       }},
      {"new pool", [&] {
         added = AddPool(kPlaystylePoule, "8", 1300);
         for (int i : {1, 2}) AddContestant(added, AddPlayer(Format("Nieuw %d", i), "TTV", 1), i);
         return DataChange::Structure();
       }},
      {"new pool started", [&] {  // its first match: the book names its pool and class
         EXPECT_EQ(StartPoule(*db, prompter, added), StartOutcome::kStarted);
         return DataChange::Positions(added);
       }},
  };
  LiveSettings settings;
  settings.tableEntry = true;  // the tables' documents follow the changes too
  ASSERT_TRUE(settings.Write(*db, idToernooi));
  LiveSnapshot live(*db, kNu);
  live.Build(idToernooi);
  MatchBook book(*db);  // tells which pools a change touches
  book.FillToernooi(idToernooi);
  HallView view(*db);  // the hall display, standings included
  view.Build(idToernooi, HallOptions{});
  const auto built = live.Documents();
  EXPECT_EQ(Read(*built), Shown()) << "built";
  // A change that alters nothing shown publishes nothing new.
  live.Apply(DataChange::Structure());
  EXPECT_EQ(live.Documents(), built);
  // A program started a second later tags above anything a thousand changes
  // a second could have reached, so a page's old tag cannot match new text.
  clock.Advance(1);
  LiveSnapshot restarted(*db);
  restarted.Build(idToernooi);
  EXPECT_GE(restarted.Documents()->version, built->version + 1000);
  // Every awkward character is escaped.
  const std::string& pool = built->byName.at(Format("poule/%d", poule))->json;
  EXPECT_NE(pool.find("\"Jan \\\"de Muur\\\" \\\\ Caf\xC3\xA9 \xE2\x82\xAC\""), std::string::npos);
  EXPECT_NE(pool.find("\"TTV\\t\\\"Oost\\\"\""), std::string::npos);
  const Ljson nu = Doc(*built, "nu");
  EXPECT_EQ(At({&nu, ""}).S("toernooi"), "Clubkampioenschap");
  int minute = 0;
  for (const auto& [step, change] : script) {
    clock.SetLocal(2026, 5, 16, 14, ++minute, 0);
    const auto before = live.Documents();
    const DataChange c = change();
    const MatchBook::Touched touched = book.Apply(c);
    EXPECT_EQ(touched.all, c.kind == ChangeKind::kStructure) << step;
    live.Apply(c);
    view.Apply(c);
    const auto after = live.Documents();
    EXPECT_EQ(Read(*after), Shown()) << step;
    LiveSnapshot fresh(*db, kNu);
    fresh.Build(idToernooi);
    ASSERT_EQ(Names(*after), Names(*fresh.Documents())) << step;
    EXPECT_EQ(after->version, before->version + 1) << step;
    EXPECT_EQ(after->tableOfToken, fresh.Documents()->tableOfToken) << step;
    // Each table offers its first two open matches in the hall display's order.
    const HallContent hall = BuildHallContent(*db, idToernooi, HallOptions{});
    EXPECT_TRUE(view.Content() == hall) << step;
    ASSERT_EQ(after->tables.size(), TablesOfToernooi(*db, idToernooi).size()) << step;
    for (const auto& [tafel, table] : after->tables) {
      std::vector<int> calls;
      for (const HallMatchRow& r : hall.open)
        if (r.tafel == tafel) calls.push_back(r.idMatch);
      calls.resize(std::max<size_t>(calls.size(), 2), -1);
      const Ljson d = Doc(*after, Format("tafel/%d", tafel));
      EXPECT_EQ(std::tuple(table.idMatchNow, table.idMatchNext, At{&d, "nu|"}.N("id"), At{&d, "volgende|"}.N("id")),
                std::tuple(calls[0], calls[1], calls[0] < 0 ? -99 : calls[0], calls[1] < 0 ? -99 : calls[1]))
          << step << " " << tafel;
    }
    for (const auto& [name, doc] : after->byName) {
      EXPECT_EQ(Body(*doc), Body(*fresh.Documents()->byName.at(name))) << step << " " << name;
      auto old = before->byName.find(name);
      const bool changed = old == before->byName.end() || Body(*old->second) != Body(*doc);
      if (changed) {
        EXPECT_EQ(doc->version, after->version) << step << " " << name;
        EXPECT_NE(doc->json.find(Format("\"gewijzigd\":\"14:%02d:00\"", minute)), std::string::npos) << name;
      } else {
        EXPECT_EQ(doc, old->second) << step << " " << name << " was published again";
      }
      // One match's change reads only its pools again, and the open matches.
      EXPECT_TRUE(!changed || touched.all || name == "nu" || name == "spelers" || name.rfind("tafel/", 0) == 0 ||
                  (name.rfind("poule/", 0) == 0 && touched.pools.count(std::stoi(name.substr(6)))))
          << step << name;
    }
  }
  // The book that followed names the matches of a pool started after it was read.
  const MatchEntry* first = book.FindMatch(Matches(added).front().id);
  PoolRecord row;
  ASSERT_TRUE(first && db->GetPool(added, row));
  EXPECT_EQ(std::pair(first->poolName, first->systemName), std::pair(row.name, std::string("A")));
}

// Entry at the tables: a document per table while it is on, with the match to
// enter and what became of the table's entries; none while it is off.
TEST_F(LiveSnapshotTest, TableDocumentsWhileEntryIsOn) {
  LiveSnapshot live(*db);
  live.Build(idToernooi);
  auto tableDocs = [&] {
    const auto& docs = live.Documents()->byName;
    return std::count_if(docs.begin(), docs.end(), [](const auto& d) { return d.first.rfind("tafel/", 0) == 0; });
  };
  LiveSettings on = LiveSettings::Read(*db, idToernooi);
  EXPECT_EQ(std::tuple(on.tableEntry, on.autoAccept, tableDocs()), std::tuple(false, false, 0));  // off by default
  on.tableEntry = on.autoAccept = true;
  ASSERT_TRUE(on.Write(*db, idToernooi));
  const LiveSettings read = LiveSettings::Read(*db, idToernooi);
  EXPECT_EQ(std::tuple(read.tableEntry, read.autoAccept, tableDocs()), std::tuple(true, true, 0));
  live.TablesChanged();
  EXPECT_EQ(tableDocs(), static_cast<long>(TablesOfToernooi(*db, idToernooi).size()));

  const MatchRecord m = Matches(poule).front();
  TableEntry e;
  std::tie(e.entryId, e.device, e.tafel, e.idMatch, e.mode) = std::tuple("entry-0001", "device-01", m.tafel, m.id, 4);
  e.games = {{"11", "7"}, {"11", "5"}, {"11", "9"}};
  ASSERT_TRUE(SubmitTableEntry(*db, idToernooi, e, false).stored);
  std::tie(e.entryId, e.idMatch) = std::tuple("entry-0002", 999999);  // newest first
  ASSERT_TRUE(SubmitTableEntry(*db, idToernooi, e, false).stored);
  // Only the tables the entries were for are read again (a table without a
  // card is none), and they read as a fresh build reads them.
  const auto before = live.Documents();
  live.EntriesChanged({m.tafel, 9999});
  const std::string name = Format("tafel/%d", m.tafel);
  LiveSnapshot fresh(*db);
  fresh.Build(idToernooi);
  for (const auto& [other, doc] : live.Documents()->byName) {
    EXPECT_EQ(doc == before->byName.at(other), other != name) << other;
    EXPECT_EQ(Body(*doc), Body(*fresh.Documents()->byName.at(other))) << other;
  }
  const Ljson d = Doc(*live.Documents(), name);
  const At nu{&d, "nu|"}, entry = At{&d, ""}.In("invoer", 1), gone = At{&d, ""}.In("invoer", 0);
  MatchBook book(*db);
  book.FillToernooi(idToernooi);
  const MatchEntry* named = book.FindMatch(m.id);
  ASSERT_TRUE(named);
  EXPECT_EQ(std::tuple(nu.N("id"), nu.S("naam1"), nu.S("naam2"), nu.N("mode"), nu.N("setWon"), nu.N("maxPunten")),
            std::tuple(m.id, named->name1, named->name2, 4, 3, 99));
  EXPECT_EQ(std::pair(nu.Count("eindes"), nu.In("eindes", 1).S("")),
            std::pair(5, "w.o.: " + named->name1 + " niet gespeeld"));
  EXPECT_EQ(std::tuple(entry.S("entry"), entry.N("match"), entry.S("status"), entry.S("reden"), entry.S("uitslag")),
            std::tuple("entry-0001", m.id, "wacht", kEntryWaitsMessage, "3 - 0 (11-7, 11-5, 11-9)"));
  EXPECT_EQ(std::tuple(gone.S("entry"), gone.S("status"), gone.S("reden"), gone.S("uitslag")),
            std::tuple("entry-0002", "afgewezen", kMatchGoneMessage, ""));
  // A new card for the table: the same documents, the new token.
  const auto documents = live.Documents();
  const std::string token = RenewTableToken(*db, idToernooi, m.tafel);
  live.TablesChanged();
  EXPECT_EQ(live.Documents()->byName, documents->byName);
  EXPECT_EQ(live.Documents()->tableOfToken.at(token), m.tafel);
  EXPECT_EQ(live.Documents()->tableOfToken.size(), documents->tableOfToken.size());
  on.tableEntry = false;
  ASSERT_TRUE(on.Write(*db, idToernooi));
  live.TablesChanged();
  EXPECT_EQ(std::tuple(tableDocs(), live.Documents()->tableOfToken.size(), live.Documents()->tables.size()),
            std::tuple(0, 0u, 0u));
}

// The round-robin pane's cells, which the pages show too: from each row's
// side, open matches and sides outside the list left empty.
TEST(PouleCrossTable, CellsFromEachRowsSide) {
  std::vector<Contestant> positions(3);
  for (int i = 0; i < 3; ++i) positions[i].id = 10 + i;
  auto match = [](int c1, int c2, int winner) {
    MatchEntry m;
    std::tie(m.idContestant1, m.idContestant2, m.indexWinner) = std::tuple(c1, c2, winner);
    return m;
  };
  const PouleCrossTable t = CrossTableOf(positions, {match(10, 11, 0), match(12, 10, 0), match(11, 12, -1),
                                                     match(11, 99, 0), match(kNotPlayed, 12, 1)});
  const std::vector<std::vector<std::string>> cells = {{"", "1", "0"}, {"0", "", ""}, {"1", "", ""}};
  EXPECT_EQ(std::pair(t.cells, t.wins), std::pair(cells, std::vector<int>{1, 0, 1}));
}

}  // namespace
}  // namespace velgram
