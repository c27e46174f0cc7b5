#pragma once
// Plain records read from and written to the database. Texts are Windows-1252.
#include <string>
#include <vector>

namespace velgram {

struct TournamentRecord {
  int id = -1;
  std::string name;
  int idMatchSystem = -1;
};

struct ClubEntry {
  int id = -1;
  std::string name;
};

struct PlayerRecord {
  int id = -1;
  std::string name;
  int idClub = -1;
  std::string bondsnummer;
  int rating = 0;
  std::string klasse;
  int gender = 0;
  std::string email;
  std::string clubName;  // for display; filled by the screens
};

// A row of the player list with club names (players without a known club
// have the club "").
struct PlayerWithClub {
  int id = -1;
  std::string name;
  std::string club;
  int rating = 0;
  std::string klasse;
};

struct DuoRecord {
  int id = -1;
  int idPlayer1 = -1;
  int idPlayer2 = -1;
  std::string klasse;
  // Display values: the two names joined by " + ", the club (two different
  // clubs joined by "/") and the sum of both ratings.
  std::string name;
  std::string club;
  int rating = 0;
};

struct SystemRecord {  // a playing class
  int id = -1;
  std::string name;
  std::string description;
  int nrPlayers = 0;
  int sort = 0;
  int idMatchSystem = 0;
};

enum Playstyle { kPlaystylePoule = 1, kPlaystyleSwiss = 2, kPlaystyleDropout = 3 };

struct PoolRecord {
  int id = -1;
  int playstyle = kPlaystylePoule;
  int idSystem = -1;
  std::string name;
  std::string tables;  // table list text such as "1-4,6"
  int starttime = 0;   // hours*100 + minutes
  int endtime = 0;
  int sort = 0;
  std::string extra;  // JSON text of format-specific settings
  int idMatchSystem = 0;
};

struct ContestantRecord {
  int id = -1;
  int idPool = -1;
  int poolPos = 0;
  int sort = 0;
  int linktype = 0;
  int idPlayer = 0;
  int idLinkedPool = 0;
  int indexKlasse = 0;
};

struct ResultStamp {
  int isodate = 0;      // yyyymmdd
  int isotime = 0;      // hhmmss
  int isofraction = 0;  // part of the second in 100 ns units
};

// How a decided match ended (ResultWinner.decision). The winner is stored
// the same way for all three; a walkover (the loser did not play) keeps no
// games, a retirement (the loser gave up during play) the games played so far.
enum Decision { kDecisionPlayed = 0, kDecisionWalkover = 1, kDecisionRetired = 2 };

struct MatchRecord {
  int id = -1;
  int idPool = -1;
  int idContestant1 = 0;
  int idContestant2 = 0;
  int tafel = 0;
  int starttime = 0;
  std::string poolName;    // filled by GetMatch and ListMatchesOfToernooi
  std::string systemName;  // class name, likewise
  int indexWinner = -1;    // -1 while there is no result
  int decision = kDecisionPlayed;
  ResultStamp stamp;
  std::vector<int> games;  // ResultGames values in game order
};

struct RoundEntry {
  int id = -1;
  int round = 0;
  int idMatch = -1;
};

// The rules of one match (a MatchSystems row).
struct MatchSystem {
  int id = 0;
  int gameStop = 0;
  bool gameDiff = false;
  int setMax = 0;
  int setWon = 0;
  int result = 2;  // ResultMode
  std::string name;
  bool immutable = false;
  bool duoteam = false;
  bool duo_ax = false, duo_ay = false, duo_bx = false, duo_by = false, duo_abxy = false;
};

// The rule used wherever a match system is asked for by an id no row has.
MatchSystem DefaultMatchSystem();

}  // namespace velgram
