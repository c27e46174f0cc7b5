#pragma once
// The club trophy ("Verenigingsbeker"): clubs ranked by the victories of their
// players relative to the number of players they brought.
#include <map>
#include <string>
#include <vector>

#include "store/records.h"

namespace velgram {

class Database;

struct ClubTrophyRow {
  std::string club;
  int victories = 0;
  int participants = 0;
  double quotient = 0;     // victories / participants
  double minQuotient = 0;  // victories / max(participants, minimum denominator)
};

// One row per club, in the order of the club list. A minimum denominator
// below 1 counts as 1.
std::vector<ClubTrophyRow> ClubTrophyRows(const std::vector<ClubEntry>& clubs,
                                          const std::map<std::string, int>& victories,
                                          const std::map<std::string, int>& participants, int minDenominator);

// Victories by the club name shown on the winning position, over every
// decided match of the tournament. A knockout side that names an earlier
// match counts for the player who came through it.
std::map<std::string, int> CountClubVictories(Database& db, int idToernooi);
// Players of the tournament by the name of their club (each player once).
std::map<std::string, int> CountClubParticipants(Database& db, int idToernooi, const std::vector<ClubEntry>& clubs);

// The table of the club trophy window, with its settings.
class ClubTrophyModel {
 public:
  enum Column { kClub = 0, kVictories, kParticipants, kQuotient, kMinQuotient, kColumnCount };

  ClubTrophyModel(Database& db, int idToernooi);

  // Reads the settings and computes the table.
  void Load();
  // Minimum denominator from the field: above 0 it is saved and the table
  // computed again (true); other values change nothing.
  bool SetMinimumDenominator(int value);
  int MinimumDenominator() const { return minDenominator_; }

  // A click on a column header: flips the direction, sorts by that column and
  // saves both in one commit. False when they could not be saved (the table
  // is sorted all the same) or the column does not exist.
  bool SortBy(int column);
  int SortColumn() const { return sortColumn_; }
  bool Descending() const { return descending_; }

  const std::vector<ClubTrophyRow>& Rows() const { return rows_; }
  static std::string Header(int column);  // ends in six blanks
  std::string Cell(size_t row, int column) const;

 private:
  void Compute();
  void Sort();

  Database& db_;
  int idToernooi_;
  int minDenominator_ = 1;
  int sortColumn_ = 0;
  bool descending_ = false;
  std::vector<ClubTrophyRow> rows_;
};

}  // namespace velgram
