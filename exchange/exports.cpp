#include "exchange/exports.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>

#include "competition/match_rules.h"
#include "competition/matchbook.h"
#include "store/database.h"
#include "support/prompt.h"
#include "support/text.h"

namespace velgram {

namespace {

// A text between double quotes in the rating file: a quote inside is doubled,
// as comma-separated readers expect, and a line break would end the record.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"')
      out += "\"\"";
    else if (c == '\r' || c == '\n')
      out += ' ';
    else
      out += c;
  }
  out += '"';
  return out;
}

// A field of the match list: a tab or line break would shift the columns.
std::string Cell(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return out;
}

// The first export player with exactly that name.
const PlayerRecord* PlayerNamed(const std::vector<PlayerRecord>& players, const std::string& name) {
  for (const PlayerRecord& p : players)
    if (p.name == name) return &p;
  return nullptr;
}

bool FirstSideWon(const MatchEntry& m) { return m.indexWinner == 0; }

std::string SideWithClub(const std::string& side, const std::vector<PlayerRecord>& players) {
  std::string text = Cell(side);
  const PlayerRecord* p = PlayerNamed(players, side);
  if (p && !p->clubName.empty()) text += Format(" (%s)", Cell(p->clubName).c_str());
  return text;
}

enum class Kind { kRating, kMatchList };

ExportResult Export(Database& db, int idToernooi, Prompter& prompter, const std::string& folder, Kind kind) {
  if (idToernooi <= 0) {
    prompter.Alert("Selecteer eerst een toernooi.");
    return ExportResult::kNoTournament;
  }
  ExportData data = CollectExportData(db, idToernooi);

  if (kind == Kind::kRating) {
    std::vector<const PlayerRecord*> lacking;
    for (const PlayerRecord& p : data.players)
      if (p.bondsnummer.empty()) lacking.push_back(&p);
    if (lacking.size() == 1) {
      prompter.Alert(Format("%s heeft geen bondsnummer", lacking[0]->name.c_str()));
      return ExportResult::kRefused;
    }
    if (lacking.size() > 1) {
      prompter.Alert(Format("%s en %d anderen hebben geen bondsnummer", lacking[0]->name.c_str(),
                            static_cast<int>(lacking.size()) - 1));
      return ExportResult::kRefused;
    }
  }

  MatchBook book(db);
  book.withClub = false;
  book.FillToernooi(idToernooi);
  const MatchEntry* undated = nullptr;
  std::vector<MatchEntry> matches = ExportedMatches(book.Matches(), data, &undated);
  if (undated) {
    prompter.Alert(Format("De wedstrijd tussen %s en %s in %s/%s heeft geen timestamp", undated->name1.c_str(),
                          undated->name2.c_str(), undated->systemName.c_str(), undated->poolName.c_str()));
    return ExportResult::kRefused;
  }

  std::string content;
  if (kind == Kind::kMatchList) content = std::string(kMatchListHeader) + "\r\n";
  for (const MatchEntry& m : matches) {
    if (kind == Kind::kRating && !RatedMatch(m)) continue;
    content += kind == Kind::kRating ? RatingLine(m, data.players) : MatchListLine(m, data.players);
  }

  std::string path = folder + "/" + (kind == Kind::kRating ? kRatingFileName : kMatchListFileName);
  if (!WriteFileWhole(path, content)) {
    prompter.Alert("Kan het bestand niet opnenen.");
    return ExportResult::kCannotWrite;
  }
  prompter.Alert(path);
  return ExportResult::kWritten;
}

}  // namespace

ExportData CollectExportData(Database& db, int idToernooi) {
  ExportData data;
  std::set<int> seen;
  std::vector<SystemRecord> classes;
  db.ListSystems(classes, idToernooi);
  for (const SystemRecord& cls : classes) {
    if (cls.nrPlayers != 1) continue;  // classes of duos are never exported
    std::vector<PoolRecord> pools;
    db.ListPools(cls.id, pools);
    for (const PoolRecord& pool : pools) {
      data.singlesPools.push_back(pool.id);
      std::vector<ContestantRecord> positions;
      db.ListContestants(pool.id, positions);
      for (const ContestantRecord& pos : positions) {
        if (pos.linktype != kLinkPlayer || !seen.insert(pos.idPlayer).second) continue;
        PlayerRecord p;
        p.id = -1;
        db.GetPlayer(p, pos.idPlayer);
        if (p.id != pos.idPlayer) continue;  // a position whose player is gone
        p.clubName = db.GetClubName(p.idClub);
        data.players.push_back(std::move(p));
      }
    }
  }
  return data;
}

std::vector<MatchEntry> ExportedMatches(const std::vector<MatchEntry>& all, const ExportData& data,
                                        const MatchEntry** undated) {
  std::set<int> singles(data.singlesPools.begin(), data.singlesPools.end());
  std::vector<MatchEntry> out;
  if (undated) *undated = nullptr;
  for (const MatchEntry& m : all) {
    if (!singles.count(m.idPool) || m.indexWinner < 0 || m.name1 == "???" || m.name2 == "???") continue;
    if (m.stamp.isodate == 0) {
      if (undated) *undated = &m;
      return {};
    }
    out.push_back(m);
  }
  std::stable_sort(out.begin(), out.end(), [](const MatchEntry& a, const MatchEntry& b) {
    if (a.stamp.isodate != b.stamp.isodate) return a.stamp.isodate < b.stamp.isodate;
    if (a.stamp.isotime != b.stamp.isotime) return a.stamp.isotime < b.stamp.isotime;
    return a.stamp.isofraction < b.stamp.isofraction;
  });
  return out;
}

bool RatedMatch(const MatchEntry& m) { return m.decision != kDecisionWalkover; }

std::string RatingLine(const MatchEntry& m, const std::vector<PlayerRecord>& players) {
  const ResultStamp& s = m.stamp;
  std::string line = Format("\"%d-%d-%d %02d:%02d\"", s.isodate / 10000, (s.isodate / 100) % 100, s.isodate % 100,
                            s.isotime / 10000, (s.isotime / 100) % 100);
  line += "," + Quoted(m.systemName + "/" + m.poolName);
  auto side = [&](const std::string& name, bool won) {
    const PlayerRecord* p = PlayerNamed(players, name);
    line += "," + Quoted(name);
    line += "," + (p ? Quoted(p->bondsnummer) : std::string("\"onbekend\""));
    line += Format(",\"%d\"", won ? 1 : 0);
  };
  side(m.name1, FirstSideWon(m));
  side(m.name2, !FirstSideWon(m));
  return line + "\r\n";
}

std::string MatchListLine(const MatchEntry& m, const std::vector<PlayerRecord>& players) {
  std::string line = Format("%d\t%02d:%02d", m.tafel, m.stamp.isotime / 10000, (m.stamp.isotime / 100) % 100);
  line += "\t" + SideWithClub(m.name1, players);
  line += "\t" + SideWithClub(m.name2, players);
  line += FirstSideWon(m) ? "\t1 - 0" : "\t0 - 1";
  const std::string mark = DecisionMark(m.decision);
  if (!mark.empty()) line += " " + mark;
  line += "\t" + Cell(m.systemName) + "\t" + Cell(m.poolName);
  return line + "\r\n";
}

ExportResult ExportRatingFile(Database& db, int idToernooi, Prompter& prompter, const std::string& folder) {
  return Export(db, idToernooi, prompter, folder, Kind::kRating);
}

ExportResult ExportMatchList(Database& db, int idToernooi, Prompter& prompter, const std::string& folder) {
  return Export(db, idToernooi, prompter, folder, Kind::kMatchList);
}

}  // namespace velgram
