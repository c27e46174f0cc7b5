#include "competition/club_trophy.h"

#include <algorithm>
#include <unordered_map>

#include "competition/dropout.h"
#include "competition/matchbook.h"
#include "store/database.h"
#include "support/text.h"

namespace velgram {

std::vector<ClubTrophyRow> ClubTrophyRows(const std::vector<ClubEntry>& clubs,
                                          const std::map<std::string, int>& victories,
                                          const std::map<std::string, int>& participants, int minDenominator) {
  const int m = std::max(1, minDenominator);
  std::vector<ClubTrophyRow> rows;
  for (const ClubEntry& club : clubs) {
    ClubTrophyRow row;
    row.club = club.name;
    auto v = victories.find(club.name);
    auto p = participants.find(club.name);
    row.victories = v == victories.end() ? 0 : v->second;
    row.participants = p == participants.end() ? 0 : p->second;
    // A club in the list always has a player; should one have none after
    // all, its quotient is 0 rather than a division by zero.
    row.quotient = row.participants > 0 ? static_cast<double>(row.victories) / row.participants : 0;
    row.minQuotient = static_cast<double>(row.victories) / std::max(row.participants, m);
    rows.push_back(row);
  }
  return rows;
}

std::map<std::string, int> CountClubVictories(Database& db, int idToernooi) {
  std::vector<MatchRecord> records;
  db.ListMatchesOfToernooi(idToernooi, records);
  db.ReadResults(records);

  std::unordered_map<int, std::vector<MatchEntry>> byPool;
  for (const MatchRecord& r : records) byPool[r.idPool].push_back(MatchEntry::FromRecord(r));

  LinkResolver resolver(db, idToernooi);
  std::unordered_map<int, std::string> clubOf;  // contestant id -> club shown
  auto club = [&](int idContestant) -> const std::string& {
    auto it = clubOf.find(idContestant);
    if (it != clubOf.end()) return it->second;
    Contestant c;
    ContestantRecord row;
    if (db.GetContestant(row, idContestant)) {
      c = Contestant::FromRecord(row);
      resolver.Resolve(c);
    }
    return clubOf.emplace(idContestant, c.club).first->second;
  };

  std::map<std::string, int> victories;
  for (const MatchRecord& m : records) {
    if (m.indexWinner < 0) continue;
    int side = m.indexWinner == 0 ? m.idContestant1 : m.idContestant2;
    // A knockout side stands for whoever won the earlier match.
    if (side < 0) side = KnockoutSide(byPool[m.idPool], side);
    if (side <= 0 || side == kNotPlayed) continue;  // a bye or "Niet gespeeld" is nobody's win
    ++victories[club(side)];
  }
  return victories;
}

std::map<std::string, int> CountClubParticipants(Database& db, int idToernooi, const std::vector<ClubEntry>& clubs) {
  std::vector<PlayerRecord> players;
  db.ListPlayers(players, idToernooi);
  std::unordered_map<int, const std::string*> nameOf;
  for (const ClubEntry& c : clubs) nameOf.emplace(c.id, &c.name);
  std::map<std::string, int> participants;
  for (const PlayerRecord& p : players) {
    auto it = nameOf.find(p.idClub);
    if (it != nameOf.end()) ++participants[*it->second];
  }
  return participants;
}

ClubTrophyModel::ClubTrophyModel(Database& db, int idToernooi) : db_(db), idToernooi_(idToernooi) {}

void ClubTrophyModel::Load() {
  minDenominator_ = std::max(1, db_.GetSettingInt(Format("ClubTrofeeDenom%d", idToernooi_), 1));
  sortColumn_ = db_.GetSettingInt(Format("ClubTrofeeSortColumn%d", idToernooi_), 0);
  if (sortColumn_ < 0 || sortColumn_ >= kColumnCount) sortColumn_ = 0;
  descending_ = db_.GetSettingInt(Format("ClubTrofeeSortDir%d", idToernooi_), 0) == 1;
  Compute();
}

bool ClubTrophyModel::SetMinimumDenominator(int value) {
  if (value <= 0) return false;
  db_.SetSettingInt(Format("ClubTrofeeDenom%d", idToernooi_), value);
  minDenominator_ = value;
  Compute();
  return true;
}

bool ClubTrophyModel::SortBy(int column) {
  if (column < 0 || column >= kColumnCount) return false;
  descending_ = !descending_;
  sortColumn_ = column;
  // A column saved without its direction would reopen the window sorted the
  // wrong way round.
  bool saved = db_.SetSettings({{Format("ClubTrofeeSortColumn%d", idToernooi_), Format("%d", sortColumn_)},
                                {Format("ClubTrofeeSortDir%d", idToernooi_), descending_ ? "1" : "0"}});
  Sort();
  return saved;
}

void ClubTrophyModel::Compute() {
  std::vector<ClubEntry> clubs;
  db_.ListClubs(idToernooi_, clubs);
  rows_ = ClubTrophyRows(clubs, CountClubVictories(db_, idToernooi_),
                         CountClubParticipants(db_, idToernooi_, clubs), minDenominator_);
  Sort();
}

void ClubTrophyModel::Sort() {
  auto key = [this](const ClubTrophyRow& r) -> double {
    switch (sortColumn_) {
      case kVictories:
        return r.victories;
      case kParticipants:
        return r.participants;
      case kQuotient:
        return r.quotient;
      default:
        return r.minQuotient;
    }
  };
  std::stable_sort(rows_.begin(), rows_.end(), [&](const ClubTrophyRow& a, const ClubTrophyRow& b) {
    if (sortColumn_ == kClub) return descending_ ? b.club < a.club : a.club < b.club;
    return descending_ ? key(b) < key(a) : key(a) < key(b);
  });
}

std::string ClubTrophyModel::Header(int column) {
  switch (column) {
    case kClub:
      return "Vereniging      ";
    case kVictories:
      return "Overwinningen      ";
    case kParticipants:
      return "Deelnemers      ";
    case kQuotient:
      return "Quoti\xEB" "nt      ";
    case kMinQuotient:
      return "Quoti\xEB" "ntMin      ";
    default:
      return "";
  }
}

std::string ClubTrophyModel::Cell(size_t row, int column) const {
  if (row >= rows_.size()) return "";
  const ClubTrophyRow& r = rows_[row];
  switch (column) {
    case kClub:
      return r.club;
    case kVictories:
      return r.victories ? Format("%d", r.victories) : "";
    case kParticipants:
      return Format("%d", r.participants);
    case kQuotient:
      return Format("%1.3f", r.quotient);
    case kMinQuotient:
      return Format("%1.3f", r.minQuotient);
    default:
      return "";
  }
}

}  // namespace velgram
