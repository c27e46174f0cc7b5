#pragma once
// The results of a tournament's singles matches for the outside world: the
// federation's Elo rating file and a tab-separated match list for
// spreadsheets. Both are written into the data folder under a fixed name.
#include <string>
#include <vector>

#include "competition/pool.h"
#include "store/records.h"
#include "support/paths.h"

namespace velgram {

class Database;
class Prompter;

inline constexpr const char* kRatingFileName = "VelgramNTTB.txt";
inline constexpr const char* kMatchListFileName = "VelgramExport.txt";

// The header of the match list. Class and pool are two columns of their own.
inline constexpr const char* kMatchListHeader = "Tafel\tTijd\tSpeler 1\tSpeler 2\tResultaat\tKlasse\tPoule";

// What both exports are made from.
struct ExportData {
  std::vector<int> singlesPools;  // the pools of the classes for one player
  // The players in those pools, each once, in order of first appearance (pool
  // by pool, position by position); clubName filled.
  std::vector<PlayerRecord> players;
};

ExportData CollectExportData(Database& db, int idToernooi);

// The singles matches with a result and two known sides, in the order their
// results were entered. When one of them has no result date, *undated points
// at the first such match (in the match cache's order) and the list is empty.
std::vector<MatchEntry> ExportedMatches(const std::vector<MatchEntry>& all, const ExportData& data,
                                        const MatchEntry** undated);

// Whether a match goes into the rating file: a walkover was not played, and
// the federation leaves it out of the rating list. A retirement was played.
bool RatedMatch(const MatchEntry& m);

// One line of each file, its line end included ("\r\n"). The match list marks
// a walkover or a retirement after the result ("1 - 0 w.o.").
std::string RatingLine(const MatchEntry& m, const std::vector<PlayerRecord>& players);
std::string MatchListLine(const MatchEntry& m, const std::vector<PlayerRecord>& players);

enum class ExportResult {
  kNoTournament,  // "Selecteer eerst een toernooi."
  kRefused,       // a player without federation number, or a result without date
  kCannotWrite,   // "Kan het bestand niet opnenen."
  kWritten,       // the full file name was told
};

// The exports of the classes pane's menu ("NTTB Elo Rating", "Export
// wedstrijden"). An earlier file of the same name is replaced only by a
// complete new one.
ExportResult ExportRatingFile(Database& db, int idToernooi, Prompter& prompter,
                              const std::string& folder = DataFolder());
ExportResult ExportMatchList(Database& db, int idToernooi, Prompter& prompter,
                             const std::string& folder = DataFolder());

}  // namespace velgram
