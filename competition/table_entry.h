#pragma once
// Results entered at the tables. An umpire's phone sends what was played; the
// desk stays the one writer: every entry lands in a queue in the database
// ("Binnengekomen uitslagen") and becomes a result only through the same
// checks and the same store path as a result typed at the desk. An entry may
// be accepted at once when the director allows it and nothing about it is in
// doubt; everything else waits for the director.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "competition/changes.h"
#include "competition/match_rules.h"

namespace velgram {

class Database;
class Prompter;

// --- what a device sends ------------------------------------------------------
// One entry, as read from the device's JSON. The table comes from the token
// the device showed, never from what it wrote.
struct TableEntry {
  std::string entryId;  // made on the device; the same id on a retry
  std::string device;   // the device's own id, kept in its browser
  int tafel = 0;
  int idMatch = -1;
  int mode = 0;  // the ResultMode the device entered in
  Ending ending;
  int winner = -1;             // kResultSets: 0 or 1
  std::string games1, games2;  // kResultGames, as typed
  GameTexts games;             // kResultAll: points per game as typed, at most kFastGameRows
  DuoEntry duo;                // kResultPoints: the ten games as typed, the match's own order
};

// Ids made on a device: 8 to 64 of A-Z, a-z, 0-9, '-' and '_'.
bool ValidDeviceId(const std::string& id);
inline constexpr std::size_t kTableEntryMaxBytes = 4096;  // the largest body a device may send

// The device's JSON (UTF-8):
//   {"entry":"<id>","device":"<id>","match":123,"mode":4,"decision":0,"side":-1,
//    "winner":0, "games1":"3","games2":"1", "games":[["11","7"],["9","11"]],
//    "duo":[["11","7"], ... ten pairs]}
// with only the fields of its mode. False when it is not such a text (the
// ids invalid, a number or a list of the wrong kind, too many games).
bool ReadTableEntryJson(const std::string& json, int tafel, TableEntry& entry);
// The same entry as stored in the queue (and read back by the above).
std::string TableEntryJson(const TableEntry& entry);

// Told when the device entered in another mode than the match's rules ask
// (the rules were changed after the page was loaded).
extern const char* const kTableEntryModeMessage;
// The mode a device enters a match in under these rules, as the desk's dialog
// for them would (ResultMode; 0 when no dialog takes them).
int TableEntryMode(const MatchSystem& ms);
// The match's rules applied to the entry, with the dialogs' own messages.
ResultDecision DecideTableEntry(const MatchSystem& ms, const TableEntry& entry);
// The entry as the lists show a result ("11-7 9-11 11-5", "3 - 1", "w.o.").
std::string TableEntryText(const MatchSystem& ms, const TableEntry& entry);

// --- the queue ("TableEntries") ---------------------------------------------------
enum class EntryStatus { kWaiting = 0, kAccepted = 1, kRejected = 2 };
// The status as its column holds it; a value it does not know waits.
EntryStatus EntryStatusOf(int stored);

struct QueuedEntry {
  int id = -1;
  int idToernooi = -1;
  std::int64_t received = 0;  // unix seconds, from the database's clock
  EntryStatus status = EntryStatus::kWaiting;
  std::string reason;  // why it waits, or why it was refused (Dutch); empty once accepted
  TableEntry entry;
};

struct SubmitOutcome {
  bool stored = false;     // false: the database refused; nothing was written, the device sends again
  bool duplicate = false;  // this entry id was stored before: nothing written now
  int idEntry = -1;
  EntryStatus status = EntryStatus::kWaiting;
  std::string reason;
  bool resultStored = false;  // accepted at once: change holds the result's notice
  DataChange change;
};

// Why an entry waits (the reason column).
extern const char* const kEntryWaitsMessage;         // the director accepts each entry
extern const char* const kEntryHasResultMessage;     // the match has a result already
extern const char* const kEntryMovedMessage;         // the match is no longer at that table
extern const char* const kEntryDisagreesMessage;     // another entry for the match differs
extern const char* const kEntryRejectedMessage;      // refused by the director

// Stores what a device sent, in one transaction:
// - an entry id stored before: nothing is written, its stored state comes back;
// - a match that is gone, or an entry that fails the match's rules: stored as
//   refused, with kMatchGoneMessage or the rules' message;
// - accepted at once when autoAccept, the match has no result, is at the
//   entry's table and no other entry waiting for it differs: the result is
//   stored as SaveResult stores it, with this entry as its source;
// - otherwise it waits, with the first reason that applies.
SubmitOutcome SubmitTableEntry(Database& db, int idToernooi, const TableEntry& entry, bool autoAccept);

// The director's accept: the entry is decided again under the match's rules
// as they are now and stored through SaveResult, in one transaction with the
// entry's new state; other entries waiting for the same match stay waiting.
// False, with the message through the prompter and nothing written, when the
// match is gone, the entry fails the rules, or the entry is not waiting.
bool AcceptTableEntry(Database& db, Prompter& prompter, int idEntry, DataChange* change);
bool RejectTableEntry(Database& db, int idEntry);  // false: not waiting, or not written

// Oldest first. Waiting entries only, or every entry of the tournament.
std::vector<QueuedEntry> ListTableEntries(Database& db, int idToernooi, bool waitingOnly);
bool GetTableEntry(Database& db, int idEntry, QueuedEntry& entry);
int CountWaitingEntries(Database& db, int idToernooi);

// Where a stored result came from, when it came from a table.
struct ResultSource {
  int idEntry = -1;
  int tafel = 0;
  std::string device;
  std::int64_t received = 0;
};
// False when the match's result was typed at the desk (or there is none).
bool ResultSourceOf(Database& db, int idMatch, ResultSource& source);
// "Ingevoerd aan tafel 3 om 14:32:05, apparaat 1a2b3c4d" (time in the local
// time of day).
std::string ResultSourceText(const ResultSource& source);

// --- table tokens ------------------------------------------------------------------
// The secret of a table's card: 128 random bits as 32 lowercase hex digits.
// Filled by the source; the default source is the system's secure generator.
using TokenBytes = std::function<void(unsigned char* out, std::size_t n)>;
std::string NewTableToken(const TokenBytes& source = nullptr);
// Every table the tournament plays at: its pools' table lists and its
// matches' tables, sorted.
std::vector<int> TablesOfToernooi(Database& db, int idToernooi);
// The token of each table of the tournament; tables without one get one,
// written in one write ("TableToken%d_%d" with tournament and table).
std::map<int, std::string> TableTokens(Database& db, int idToernooi, const TokenBytes& source = nullptr);
// The same for these tables, when the caller knows them already (reading
// them costs a pass over every match of the tournament).
std::map<int, std::string> TableTokensOf(Database& db, int idToernooi, const std::vector<int>& tables,
                                         const TokenBytes& source = nullptr);
// A new token for a table whose card was lost; the old one stops working.
// Empty when it could not be written.
std::string RenewTableToken(Database& db, int idToernooi, int tafel, const TokenBytes& source = nullptr);

}  // namespace velgram
