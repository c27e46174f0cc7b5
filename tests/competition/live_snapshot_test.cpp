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
#include "competition/swiss.h"
#include "competition/swiss_screen.h"
#include "competition/tables.h"
#include "event_fixture.h"
#include "support/ljson.h"
#include "support/text.h"

namespace velgram {
namespace {

using testing::EventFixture;
using testing::FakePrompter;

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

// One fact a line, so that a difference shows as a diff of lines.
std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

class LiveSnapshotTest : public ::testing::Test, public EventFixture {
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
    const std::string extra = "{ \"dimension\":4 }";
    knockout = AddPool(kPlaystyleDropout, "5", 1000, extra);
    for (int i = 1; i <= 3; ++i) AddContestant(knockout, AddPlayer("Ko " + std::to_string(i), "Net", 1000), i);
    LDropout ko(extra);
    PoolRecord row;
    ASSERT_TRUE(db->GetPool(knockout, row));
    ko.FillFrom(row);
    std::vector<Contestant> seats;
    LoadContestants(*db, knockout, seats, true);
    ASSERT_EQ(ActivateDropout(*db, prompter, ko, seats), ActivateOutcome::kActivated);

    // A later block takes the round robin's first two places.
    later = AddPool(kPlaystylePoule, "6", 1100);
    std::vector<ContestantRecord> links(2);
    for (int i = 0; i < 2; ++i) {
      links[i].linktype = kLinkPlace;
      links[i].idLinkedPool = poule;
      links[i].poolPos = i + 1;
      links[i].sort = i;
    }
    db->ReplaceContestants(later, links);
    std::vector<ContestantRecord> rows;
    db->ListContestants(later, rows);
    db->AddMatch(later, rows[0].id, rows[1].id, 6, 1100);
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
  std::string Shown() {
    std::vector<std::string> out;
    const HallContent hall = BuildHallContent(*db, idToernooi, HallOptions{});
    out.push_back(Format("nu %d %d", hall.played, hall.toPlay));
    for (const HallMatchRow& r : hall.open)
      out.push_back(Format("open %d %d %s %s|%s|%d %s|%s", r.idMatch, r.tafel, Time(r.starttime).c_str(),
                           r.klasse.c_str(), r.pool.c_str(), r.idPool, r.name1.c_str(), r.name2.c_str()));
    for (const HallBlock& b : hall.blocks)
      for (const HallStandingRow& r : b.rows) {
        if (b.playstyle == kPlaystyleSwiss)
          out.push_back(Format("zw %d %d %s|%s %d %d %d", b.idPool, r.place, r.name.c_str(), r.club.c_str(), r.points,
                               r.resistance, r.removed));
        if (b.playstyle == kPlaystyleDropout)
          out.push_back(Format("ko %d %s %s|%s %d %s %d", b.idPool, b.caption.c_str(), r.name.c_str(), r.name2.c_str(),
                               r.winner, r.result.c_str(), r.bye));
      }
    LinkResolver resolver(*db, idToernooi);
    MatchBook book(*db);
    book.FillToernooi(idToernooi);
    std::map<int, std::vector<int>> poolsOf;
    std::vector<SystemRecord> classes;
    db->ListSystems(classes, idToernooi);
    for (const SystemRecord& cls : classes) {
      std::vector<PoolRecord> pools;
      db->ListPools(cls.id, pools);
      for (const PoolRecord& p : pools) {
        const std::vector<Contestant> positions = resolver.Contestants(p.id);
        if (p.playstyle == kPlaystylePoule) {
          const std::vector<int> places = resolver.Places(p.id);
          const PouleCrossTable cross = CrossTableOf(positions, resolver.Matches(p.id));
          for (size_t i = 0; i < positions.size(); ++i) {
            std::string cells;
            for (const std::string& cell : cross.cells[i]) cells += "[" + cell + "]";
            out.push_back(Format("rr %d %s|%s %d %d %s", p.id, positions[i].name.c_str(), positions[i].club.c_str(),
                                 i < places.size() ? places[i] + 1 : 0, cross.wins[i], cells.c_str()));
          }
        }
        const MatchSystem system = EffectiveMatchSystem(*db, p.id);
        const std::vector<MatchEntry> matches = book.PoolMatches(p.id);
        for (const MatchEntry& m : matches) {
          const bool knock = p.playstyle == kPlaystyleDropout;
          if (m.idContestant1 == kNotPlayed || m.idContestant2 == kNotPlayed) continue;
          if (knock && (KnockoutSide(matches, m.idContestant1) == 0 || KnockoutSide(matches, m.idContestant2) == 0))
            continue;
          out.push_back(Format("m %d %d %s %s|%s %s %d", m.id, m.tafel, Time(m.starttime).c_str(), m.name1.c_str(),
                               m.name2.c_str(), MatchResultText(m, system, false).c_str(),
                               knock ? KnockoutWinnerIndex(matches, m) : m.indexWinner));
        }
        for (const Contestant& c : positions)
          if (c.known && c.resolvedType == kLinkPlayer) poolsOf[c.idResolved].push_back(p.id);
      }
    }
    std::vector<PlayerWithClub> players;
    db->ListPlayersWithClub(idToernooi, players);
    std::sort(players.begin(), players.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    for (const PlayerWithClub& p : players) {
      std::string pools;
      for (int id : poolsOf[p.id]) pools += Format(" %d", id);
      out.push_back(Format("speler %d %s|%s%s", p.id, p.name.c_str(), p.club.c_str(), pools.c_str()));
    }
    return Lines(out);
  }

  // The same facts read from the documents.
  std::string Read(const LiveDocuments& docs) {
    std::vector<std::string> out;
    auto str = [](const Ljson& j, const std::string& path) {
      std::string s = "<none>";
      j.GetString(path, s);
      return s;
    };
    auto num = [](const Ljson& j, const std::string& path) {
      int v = -99;
      j.GetInt(path, v);
      return v;
    };
    auto flag = [](const Ljson& j, const std::string& path) {
      bool v = false;
      EXPECT_TRUE(j.GetBool(path, v)) << path;
      return v;
    };
    auto count = [](const Ljson& j, const std::string& path) {
      int n = 0;
      j.GetCount(path, n);
      return n;
    };
    const Ljson nu = Doc(docs, "nu");
    out.push_back(Format("nu %d %d", num(nu, "gespeeld"), num(nu, "teSpelen")));
    for (int i = 0; i < count(nu, "wedstrijden"); ++i) {
      auto f = [&](const char* key) { return str(nu, Format("wedstrijden|%d|%s", i, key)); };
      auto n = [&](const char* key) { return num(nu, Format("wedstrijden|%d|%s", i, key)); };
      out.push_back(Format("open %d %d %s %s|%s|%d %s|%s", n("id"), n("tafel"), f("tijd").c_str(), f("klasse").c_str(),
                           f("poule").c_str(), n("idPoule"), f("naam1").c_str(), f("naam2").c_str()));
    }
    // Standings in the hall display's order of blocks.
    const HallContent hall = BuildHallContent(*db, idToernooi, HallOptions{});
    for (const HallBlock& b : hall.blocks) {
      const Ljson d = Doc(docs, Format("poule/%d", b.idPool));
      if (b.playstyle == kPlaystyleSwiss)
        for (int i = 0; i < count(d, "stand"); ++i) {
          auto s = [&](const char* key) { return Format("stand|%d|%s", i, key); };
          out.push_back(Format("zw %d %d %s|%s %d %d %d", b.idPool, num(d, s("plaats")), str(d, s("naam")).c_str(),
                               str(d, s("club")).c_str(), num(d, s("punten")), num(d, s("weerstand")),
                               flag(d, s("verwijderd"))));
        }
      if (b.playstyle == kPlaystyleDropout)
        for (int r = 0; r < count(d, "rondes"); ++r) {
          const std::string round = str(d, Format("rondes|%d|naam", r));
          if (round != b.caption) continue;
          for (int i = 0; i < count(d, Format("rondes|%d|wedstrijden", r)); ++i) {
            auto s = [&](const char* key) { return Format("rondes|%d|wedstrijden|%d|%s", r, i, key); };
            out.push_back(Format("ko %d %s %s|%s %d %s %d", b.idPool, round.c_str(), str(d, s("naam1")).c_str(),
                                 str(d, s("naam2")).c_str(), num(d, s("winnaar")), str(d, s("uitslag")).c_str(),
                                 flag(d, s("bye"))));
          }
        }
    }
    const Ljson list = Doc(docs, "poules");
    for (int k = 0; k < count(list, "klassen"); ++k)
      for (int p = 0; p < count(list, Format("klassen|%d|poules", k)); ++p) {
        const int id = num(list, Format("klassen|%d|poules|%d|id", k, p));
        const Ljson d = Doc(docs, Format("poule/%d", id));
        EXPECT_EQ(str(d, "soort"), str(list, Format("klassen|%d|poules|%d|soort", k, p)));
        if (str(d, "soort") == "poule")
          for (int i = 0; i < count(d, "stand"); ++i) {
            std::string cells;
            for (int j = 0; j < count(d, Format("kruistabel|%d|", i)); ++j)
              cells += "[" + str(d, Format("kruistabel|%d|%d", i, j)) + "]";
            auto s = [&](const char* key) { return Format("stand|%d|%s", i, key); };
            out.push_back(Format("rr %d %s|%s %d %d %s", id, str(d, s("naam")).c_str(), str(d, s("club")).c_str(),
                                 num(d, s("plaats")), num(d, s("gewonnen")), cells.c_str()));
          }
        for (int i = 0; i < count(d, "wedstrijden"); ++i) {
          auto f = [&](const char* key) { return str(d, Format("wedstrijden|%d|%s", i, key)); };
          auto n = [&](const char* key) { return num(d, Format("wedstrijden|%d|%s", i, key)); };
          out.push_back(Format("m %d %d %s %s|%s %s %d", n("id"), n("tafel"), f("tijd").c_str(), f("naam1").c_str(),
                               f("naam2").c_str(), f("uitslag").c_str(), n("winnaar")));
        }
      }
    // Who plays where, by name; compared by player id.
    const Ljson players = Doc(docs, "spelers");
    std::map<int, std::string> byId;
    std::string previous;
    for (int i = 0; i < count(players, "spelers"); ++i) {
      auto s = [&](const char* key) { return Format("spelers|%d|%s", i, key); };
      std::string pools;
      for (int j = 0; j < count(players, s("poules")); ++j)
        pools += Format(" %d", num(players, Format("spelers|%d|poules|%d|", i, j)));
      const int id = num(players, s("id"));
      std::string lower = str(players, s("naam"));
      for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      EXPECT_LE(previous, lower);
      previous = lower;
      byId[id] = Format("speler %d %s|%s%s", id, str(players, s("naam")).c_str(), str(players, s("club")).c_str(),
                        pools.c_str());
    }
    for (const auto& [id, line] : byId) out.push_back(line);
    return Lines(out);
  }

  FakePrompter prompter;
  int poule = -1, swiss = -1, knockout = -1, later = -1;
};

// A script of changes: after each, every document the snapshot followed the
// notice with reads as the hall display and the panes show the tournament,
// equals a fresh build's, and only changed documents took the new version.
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
         for (size_t i = 2; i < rr.size(); ++i) db->RecordResult(rr[i].id, 0, {}, false);
         return DataChange::Positions(poule);
       }},
      {"result cleared", [&] { db->ClearResult(rr[2].id); return DataChange::Result(rr[2].id); }},
      {"result again", [&] { db->RecordResult(rr[2].id, 1, {}, false); return DataChange::Result(rr[2].id); }},
      {"table and time", [&] {
         MatchRecord m = ko[1];
         m.tafel = 7;
         m.starttime = 1245;
         db->UpdateMatch(m);
         return DataChange::TableTime(m.id);
       }},
      {"knockout semi-final", [&] { db->RecordResult(ko[1].id, 1, {}, false); return DataChange::Result(ko[1].id); }},
      {"knockout final", [&] { db->RecordResult(ko[2].id, 0, {}, false); return DataChange::Result(ko[2].id); }},
      {"swiss result", [&] {
         for (const MatchRecord& m : zw) db->RecordResult(m.id, 0, {}, false);
         return DataChange::Positions(swiss);
       }},
      {"swiss round", [&] {
         EXPECT_TRUE(NextSwissRound(*db, prompter, clock, swiss, nullptr));
         return DataChange::Positions(swiss);
       }},
      {"new pool", [&] {
         const int pool = AddPool(kPlaystylePoule, "8", 1300);
         const int a = AddContestant(pool, AddPlayer("Nieuw 1", "TTV", 1), 1);
         const int b = AddContestant(pool, AddPlayer("Nieuw 2", "TTV", 1), 2);
         added = db->AddMatch(pool, a, b, 8, 1300);
         return DataChange::Structure();
       }},
      {"new pool played", [&] { db->RecordResult(added, 0, {}, false); return DataChange::Result(added); }},
  };
  LiveSnapshot live(*db);
  live.Build(idToernooi);
  MatchBook book(*db);  // tells which pools a change touches
  book.FillToernooi(idToernooi);
  EXPECT_EQ(Read(*live.Documents()), Shown()) << "built";
  int minute = 0;
  for (const auto& [step, change] : script) {
    clock.SetLocal(2026, 5, 16, 14, ++minute, 0);
    const auto before = live.Documents();
    const DataChange c = change();
    const MatchBook::Touched touched = book.Apply(c);
    live.Apply(c);
    const auto after = live.Documents();
    EXPECT_EQ(Read(*after), Shown()) << step;

    LiveSnapshot fresh(*db);
    fresh.Build(idToernooi);
    std::set<std::string> names, freshNames;
    for (const auto& [name, doc] : after->byName) names.insert(name);
    for (const auto& [name, doc] : fresh.Documents()->byName) freshNames.insert(name);
    ASSERT_EQ(names, freshNames) << step;
    EXPECT_EQ(after->version, before->version + 1) << step;
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
      if (changed && !touched.all && name != "nu" && name != "spelers") {
        EXPECT_TRUE(name.rfind("poule/", 0) == 0 && touched.pools.count(std::stoi(name.substr(6)))) << step << name;
      }
    }
  }
}

// A change that alters nothing shown publishes nothing new, and documents are
// UTF-8 with every awkward character escaped.
TEST_F(LiveSnapshotTest, UnchangedTextKeepsItsVersionAndTextIsEscapedUtf8) {
  LiveSnapshot live(*db);
  live.Build(idToernooi);
  const auto built = live.Documents();
  live.Apply(DataChange::Structure());
  EXPECT_EQ(live.Documents(), built);

  for (const auto& [name, doc] : built->byName) {
    char32_t cp;
    for (size_t i = 0, n = 0; i < doc->json.size(); i += n) {
      n = DecodeUtf8(doc->json, i, cp);
      ASSERT_GT(n, 0u) << name << " at " << i;
    }
    EXPECT_TRUE(Doc(*built, name).IsValid()) << name;
  }
  const std::string& pool = built->byName.at(Format("poule/%d", poule))->json;
  EXPECT_NE(pool.find("\"Jan \\\"de Muur\\\" \\\\ Caf\xC3\xA9 \xE2\x82\xAC\""), std::string::npos);
  EXPECT_NE(pool.find("\"TTV\\t\\\"Oost\\\"\""), std::string::npos);
  std::set<std::string> names;
  for (int i = 0; i < 4; ++i) {
    std::string read;
    EXPECT_TRUE(Doc(*built, Format("poule/%d", poule)).GetString(Format("stand|%d|naam", i), read));
    names.insert(read);
  }
  EXPECT_TRUE(names.count(kOddName));
  std::string toernooi;
  EXPECT_TRUE(Doc(*built, "nu").GetString("toernooi", toernooi));
  EXPECT_EQ(toernooi, "Clubkampioenschap");
}

}  // namespace
}  // namespace velgram
