#include "competition/table_entry.h"

#include <openssl/rand.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <set>
#include <tuple>

#include "competition/pool.h"
#include "competition/swiss_screen.h"
#include "competition/tables.h"
#include "store/database.h"
#include "store/recordset.h"
#include "support/ljson.h"
#include "support/prompt.h"
#include "support/text.h"

namespace velgram {

const char* const kTableEntryModeMessage = "De wedstrijd wordt nu anders ingevoerd. Laad de pagina opnieuw.";
const char* const kEntryWaitsMessage = "Wacht op de wedstrijdtafel.";
const char* const kEntryHasResultMessage = "De wedstrijd heeft al een uitslag.";
const char* const kEntryMovedMessage = "De wedstrijd staat niet meer aan deze tafel.";
const char* const kEntryDisagreesMessage = "Een andere invoer voor deze wedstrijd wijkt af.";
const char* const kEntryRejectedMessage = "Afgewezen door de wedstrijdtafel.";

namespace {

// The director pressed accept on an entry that was already accepted or
// refused (or is gone): nothing more to do, and nothing done.
const char* const kEntryNotWaitingMessage = "Deze invoer wacht niet meer op de wedstrijdtafel.";

// --- reading what a device sent ----------------------------------------------
// Ljson is lenient (a number read from a text, a list read as nothing); what a
// device sends is read strictly, each field of its own kind or not at all.
enum class Field { kMissing, kWrong, kOk };

Field ReadNumber(const Ljson& json, const std::string& path, int& out) {
  // A number sets the value; a list, an object or true/false leave it as it
  // was, so two different starting values tell them apart.
  int a = INT_MIN, b = INT_MAX;
  if (!json.GetInt(path, a)) return Field::kMissing;
  json.GetInt(path, b);
  std::string text;
  if (a != b || json.GetString(path, text)) return Field::kWrong;  // a text, or null
  out = a;
  return Field::kOk;
}

Field ReadText(const Ljson& json, const std::string& path, std::string& out) {
  int a = INT_MIN, b = INT_MAX;
  const bool present = json.GetInt(path, a);  // members only; list items answer false
  json.GetInt(path, b);
  std::string text;
  if (!json.GetString(path, text)) return present ? Field::kWrong : Field::kMissing;
  if (present && a != b) return Field::kWrong;  // null reads as the text "null"
  out = text;
  return Field::kOk;
}

bool OptionalNumber(const Ljson& json, const char* name, int& out) {
  return ReadNumber(json, name, out) != Field::kWrong;
}

bool OptionalText(const Ljson& json, const char* name, std::string& out) {
  return ReadText(json, name, out) != Field::kWrong;
}

// A list of pairs of texts ("games", "duo"), at most `most` of them; absent is
// an empty list.
bool ReadPairs(const Ljson& json, const char* name, int most, std::vector<std::pair<std::string, std::string>>& out) {
  int dummy = 0, count = 0;
  if (!json.GetInt(name, dummy)) return true;
  if (!json.GetCount(name, count) || count > most) return false;
  for (int i = 0; i < count; ++i) {
    const std::string item = Format("%s|%d", name, i);
    int two = 0;
    std::pair<std::string, std::string> pair;
    // A path ending in "|" names the item itself rather than a member of it.
    if (!json.GetCount(item + "|", two) || two != 2 || ReadText(json, item + "|0", pair.first) != Field::kOk ||
        ReadText(json, item + "|1", pair.second) != Field::kOk)
      return false;
    out.push_back(std::move(pair));
  }
  return true;
}

// --- writing -------------------------------------------------------------------
// Plain ASCII: everything else as \u escapes, so the stored text reads back the
// same whether it is taken as UTF-8 or as Windows-1252.
void AppendJsonText(std::string& out, const std::string& cp1252) {
  out += '"';
  for (unsigned char c : cp1252) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7f) {
      out += Format("\\u%04x", static_cast<unsigned>(Cp1252ToUnicode(c)));
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
}

void AppendPairs(std::string& out, const char* name, const std::vector<std::pair<std::string, std::string>>& pairs) {
  out += Format(",\"%s\":[", name);
  for (size_t i = 0; i < pairs.size(); ++i) {
    if (i > 0) out += ',';
    out += '[';
    AppendJsonText(out, pairs[i].first);
    out += ',';
    AppendJsonText(out, pairs[i].second);
    out += ']';
  }
  out += ']';
}

bool ValidEnding(Ending& ending) {
  if (ending.decision == kDecisionPlayed) {
    ending.side = -1;  // only a walkover or a retirement names a side
    return true;
  }
  return (ending.decision == kDecisionWalkover || ending.decision == kDecisionRetired) &&
         (ending.side == 0 || ending.side == 1);
}

int ModeOfDialog(EntryDialog dialog) {
  switch (dialog) {
    case EntryDialog::kWinnerOnly: return kResultSets;
    case EntryDialog::kGamesWon: return kResultGames;
    case EntryDialog::kGameByGame: return kResultAll;
    case EntryDialog::kDuoPoints: return kResultPoints;
    case EntryDialog::kNone: break;
  }
  return 0;
}

ResultDecision Refused(const std::string& message) {
  ResultDecision d;
  d.error = message;
  return d;
}

bool SameDecision(const ResultDecision& a, const ResultDecision& b) {
  return a.Ok() && b.Ok() && a.indexWinner == b.indexWinner && a.decision == b.decision &&
         a.writeGames == b.writeGames && (!a.writeGames || a.games == b.games);
}

// --- the queue -------------------------------------------------------------------
constexpr const char* kEntryColumns =
    "SELECT id,idToernooi,tafel,idMatch,entryId,device,received,status,reason,payload FROM TableEntries";

QueuedEntry ReadQueued(const RecordSet& r) {
  QueuedEntry q;
  // The columns hold what was checked on arrival; the payload the rest.
  if (!ReadTableEntryJson(r.Text("payload"), r.Int("tafel"), q.entry)) q.entry = {};
  q.id = r.Int("id");
  q.idToernooi = r.Int("idToernooi");
  q.received = std::atoll(r.Text("received").c_str());
  q.status = EntryStatusOf(r.Int("status"));
  q.reason = r.Text("reason");
  q.entry.entryId = r.Text("entryId");
  q.entry.device = r.Text("device");
  q.entry.idMatch = r.Int("idMatch");
  q.entry.tafel = r.Int("tafel");
  return q;
}

// The match of an entry, when it still exists in the entry's tournament (a
// match id of another tournament is as unknown as a deleted one).
bool MatchOfEntry(Database& db, int idToernooi, int idMatch, MatchRecord& match) {
  return idMatch > 0 && db.GetMatch(match, idMatch) && db.ToernooiOfMatch(idMatch) == idToernooi;
}

// Why an entry that passes the rules must wait for the director; empty when
// nothing is in doubt and the director lets such entries through.
std::string WaitReason(Database& db, int idToernooi, const MatchRecord& match, const MatchSystem& ms,
                       const TableEntry& entry, const ResultDecision& decision, bool autoAccept) {
  std::vector<MatchRecord> stored{match};
  db.ReadResults(stored);
  if (stored[0].indexWinner >= 0) return kEntryHasResultMessage;
  if (match.tafel != entry.tafel) return kEntryMovedMessage;
  Records rows;
  db.Exec(&rows, "SELECT tafel,payload FROM TableEntries WHERE idToernooi=%d AND idMatch=%d AND status IN (%d,%d)",
          idToernooi, match.id, static_cast<int>(EntryStatus::kWaiting), static_cast<int>(EntryStatus::kAccepted));
  RecordSet r(rows);
  for (bool ok = r.First(); ok; ok = r.Next()) {
    TableEntry other;
    if (!ReadTableEntryJson(r.Text("payload"), r.Int("tafel"), other) ||
        !SameDecision(DecideTableEntry(ms, other), decision))
      return kEntryDisagreesMessage;
  }
  if (!autoAccept) return kEntryWaitsMessage;
  return "";
}

bool IsToken(const std::string& token) {
  if (token.size() != 32) return false;
  for (char c : token)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

std::string TokenKey(int idToernooi, int tafel) { return Format("TableToken%d_%d", idToernooi, tafel); }

}  // namespace

bool ValidDeviceId(const std::string& id) {
  if (id.size() < 8 || id.size() > 64) return false;
  for (char c : id)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_'))
      return false;
  return true;
}

bool ReadTableEntryJson(const std::string& json, int tafel, TableEntry& entry) {
  if (json.size() > kTableEntryMaxBytes) return false;
  const Ljson j(Utf8ToCp1252(json));
  if (!j.IsValid()) return false;
  TableEntry e;
  e.tafel = tafel;
  if (ReadText(j, "entry", e.entryId) != Field::kOk || !ValidDeviceId(e.entryId)) return false;
  if (ReadText(j, "device", e.device) != Field::kOk || !ValidDeviceId(e.device)) return false;
  if (ReadNumber(j, "match", e.idMatch) != Field::kOk || e.idMatch < 1) return false;
  if (ReadNumber(j, "mode", e.mode) != Field::kOk || e.mode < kResultSets || e.mode > kResultAll) return false;
  if (!OptionalNumber(j, "decision", e.ending.decision) || !OptionalNumber(j, "side", e.ending.side) ||
      !ValidEnding(e.ending))
    return false;
  switch (e.mode) {
    case kResultSets:
      if (!OptionalNumber(j, "winner", e.winner) || e.winner < -1 || e.winner > 1) return false;
      break;
    case kResultGames:
      if (!OptionalText(j, "games1", e.games1) || !OptionalText(j, "games2", e.games2)) return false;
      break;
    case kResultAll:
      if (!ReadPairs(j, "games", kFastGameRows, e.games)) return false;
      break;
    case kResultPoints: {
      GameTexts duo;
      if (!ReadPairs(j, "duo", kDuoGames, duo)) return false;
      for (size_t i = 0; i < duo.size(); ++i) std::tie(e.duo.left[i], e.duo.right[i]) = duo[i];
      break;
    }
  }
  entry = std::move(e);
  return true;
}

std::string TableEntryJson(const TableEntry& entry) {
  std::string out = "{\"entry\":";
  AppendJsonText(out, entry.entryId);
  out += ",\"device\":";
  AppendJsonText(out, entry.device);
  out += Format(",\"match\":%d,\"mode\":%d,\"decision\":%d,\"side\":%d", entry.idMatch, entry.mode,
                entry.ending.decision, entry.ending.side);
  switch (entry.mode) {
    case kResultSets:
      out += Format(",\"winner\":%d", entry.winner);
      break;
    case kResultGames:
      out += ",\"games1\":";
      AppendJsonText(out, entry.games1);
      out += ",\"games2\":";
      AppendJsonText(out, entry.games2);
      break;
    case kResultAll:
      AppendPairs(out, "games", entry.games);
      break;
    case kResultPoints: {
      GameTexts duo;
      for (int i = 0; i < kDuoGames; ++i) duo.emplace_back(entry.duo.left[i], entry.duo.right[i]);
      AppendPairs(out, "duo", duo);
      break;
    }
  }
  return out + "}";
}

EntryStatus EntryStatusOf(int stored) {
  switch (stored) {
    case static_cast<int>(EntryStatus::kAccepted): return EntryStatus::kAccepted;
    case static_cast<int>(EntryStatus::kRejected): return EntryStatus::kRejected;
    default: return EntryStatus::kWaiting;
  }
}

int TableEntryMode(const MatchSystem& ms) { return ModeOfDialog(ChooseEntryDialog(ms).dialog); }

ResultDecision DecideTableEntry(const MatchSystem& ms, const TableEntry& entry) {
  const EntryChoice choice = ChooseEntryDialog(ms);
  const int mode = ModeOfDialog(choice.dialog);
  if (mode == 0) return Refused(choice.message);
  if (entry.mode != mode) return Refused(kTableEntryModeMessage);
  switch (mode) {
    case kResultSets:
      if (entry.ending.decision != kDecisionPlayed) return DecideEnding(entry.ending);
      // The winner-only dialog has a button per side; a device that chose
      // neither has entered no result.
      if (entry.winner != 0 && entry.winner != 1) return Refused("Er is geen winnaar.");
      return DecideWinnerOnly(entry.winner);
    case kResultGames:
      return DecideGamesWonTexts(ms, entry.games1, entry.games2, entry.ending);
    case kResultPoints:
      return DecideDuo(ms, entry.duo, DuoSwaps{}, entry.ending);
    default:
      if (entry.games.size() > static_cast<size_t>(kFastGameRows)) return Refused(kTableEntryModeMessage);
      return DecideGameTexts(ms, entry.games, entry.ending);
  }
}

std::string TableEntryText(const MatchSystem& ms, const TableEntry& entry) {
  const ResultDecision d = DecideTableEntry(ms, entry);
  if (!d.Ok()) return "";
  MatchEntry m;
  m.indexWinner = d.indexWinner;
  m.decision = d.decision;
  if (d.writeGames) m.games = d.games;
  return MatchResultText(m, ms);
}

SubmitOutcome SubmitTableEntry(Database& db, int idToernooi, const TableEntry& entry, bool autoAccept) {
  SubmitOutcome out;
  if (idToernooi <= 0 || !ValidDeviceId(entry.entryId) || !ValidDeviceId(entry.device)) return out;
  Transaction tx(db);
  Records found;
  db.Exec(&found, "%s WHERE idToernooi=%d AND entryId='%s'", kEntryColumns, idToernooi, entry.entryId.c_str());
  RecordSet r(found);
  if (r.First()) {
    const QueuedEntry stored = ReadQueued(r);
    out.duplicate = true;
    out.idEntry = stored.id;
    out.status = stored.status;
    out.reason = stored.reason;
    out.stored = tx.Commit();
    return out;
  }

  EntryStatus status = EntryStatus::kRejected;
  std::string reason = kMatchGoneMessage;
  MatchRecord match;
  ResultDecision decision;
  if (MatchOfEntry(db, idToernooi, entry.idMatch, match)) {
    const MatchSystem ms = EffectiveMatchSystem(db, match.idPool);
    decision = DecideTableEntry(ms, entry);
    if (decision.Ok()) {
      reason = WaitReason(db, idToernooi, match, ms, entry, decision, autoAccept);
      status = reason.empty() ? EntryStatus::kAccepted : EntryStatus::kWaiting;
    } else {
      reason = decision.error;
    }
  }
  if (db.Exec(nullptr,
              "INSERT INTO TableEntries (idToernooi,tafel,idMatch,entryId,device,received,status,reason,payload) "
              "VALUES (%d,%d,%d,'%s','%s',%lld,%d,'%s','%s')",
              idToernooi, entry.tafel, entry.idMatch, entry.entryId.c_str(), entry.device.c_str(),
              static_cast<long long>(db.GetClock().NowUnix()), static_cast<int>(status), QuoteSql(reason).c_str(),
              QuoteSql(TableEntryJson(entry)).c_str()) != 0)
    return out;
  const int idEntry = db.LastInsertId();
  if (status == EntryStatus::kAccepted && !SaveResult(db, match.id, decision, idEntry)) return out;
  if (!tx.Commit()) return out;
  out.stored = true;
  out.idEntry = idEntry;
  out.status = status;
  out.reason = reason;
  if (status == EntryStatus::kAccepted) {
    out.resultStored = true;
    out.change = DataChange::Result(match.id, match.idPool);
  }
  return out;
}

bool AcceptTableEntry(Database& db, Prompter& prompter, int idEntry, DataChange* change) {
  QueuedEntry q;
  if (!GetTableEntry(db, idEntry, q) || q.status != EntryStatus::kWaiting) {
    prompter.Alert(kEntryNotWaitingMessage);
    return false;
  }
  MatchRecord match;
  if (!MatchOfEntry(db, q.idToernooi, q.entry.idMatch, match)) {
    prompter.Alert(kMatchGoneMessage);
    return false;
  }
  // The rules as they are now: the match system may have changed since the
  // entry arrived.
  const ResultDecision decision = DecideTableEntry(EffectiveMatchSystem(db, match.idPool), q.entry);
  if (!decision.Ok()) {
    prompter.Alert(decision.error);
    return false;
  }
  Transaction tx(db);
  db.Exec(nullptr, "UPDATE TableEntries SET status=%d,reason='' WHERE id=%d", static_cast<int>(EntryStatus::kAccepted),
          idEntry);
  if (!SaveResult(db, match.id, decision, idEntry) || !tx.Commit()) {
    prompter.Alert(kResultNotStoredMessage);
    return false;
  }
  if (change) *change = DataChange::Result(match.id, match.idPool);
  return true;
}

bool RejectTableEntry(Database& db, int idEntry) {
  Transaction tx(db);
  QueuedEntry q;
  if (!GetTableEntry(db, idEntry, q) || q.status != EntryStatus::kWaiting) return false;
  db.Exec(nullptr, "UPDATE TableEntries SET status=%d,reason='%s' WHERE id=%d", static_cast<int>(EntryStatus::kRejected),
          QuoteSql(kEntryRejectedMessage).c_str(), idEntry);
  return tx.Commit();
}

std::vector<QueuedEntry> ListTableEntries(Database& db, int idToernooi, bool waitingOnly) {
  Records rows;
  db.Exec(&rows, "%s WHERE idToernooi=%d%s ORDER BY id", kEntryColumns, idToernooi,
          waitingOnly ? Format(" AND status=%d", static_cast<int>(EntryStatus::kWaiting)).c_str() : "");
  std::vector<QueuedEntry> list;
  RecordSet r(rows);
  for (bool ok = r.First(); ok; ok = r.Next()) list.push_back(ReadQueued(r));
  return list;
}

bool GetTableEntry(Database& db, int idEntry, QueuedEntry& entry) {
  Records rows;
  db.Exec(&rows, "%s WHERE id=%d", kEntryColumns, idEntry);
  RecordSet r(rows);
  if (!r.First()) return false;
  entry = ReadQueued(r);
  return true;
}

int CountWaitingEntries(Database& db, int idToernooi) {
  Records rows;
  db.Exec(&rows, "SELECT COUNT(*) AS n FROM TableEntries WHERE idToernooi=%d AND status=%d", idToernooi,
          static_cast<int>(EntryStatus::kWaiting));
  RecordSet r(rows);
  return r.First() ? r.Int("n") : 0;
}

bool ResultSourceOf(Database& db, int idMatch, ResultSource& source) {
  // The entry's own columns say it all; its payload is not read.
  Records rows;
  db.Exec(&rows,
          "SELECT t.id AS id,t.tafel AS tafel,t.device AS device,t.received AS received FROM ResultWinner w "
          "JOIN TableEntries t ON t.id=w.idEntry WHERE w.idMatch=%d AND w.idEntry>0",
          idMatch);
  RecordSet r(rows);
  if (!r.First()) return false;
  source = {r.Int("id"), r.Int("tafel"), r.Text("device"), std::atoll(r.Text("received").c_str())};
  return true;
}

std::string ResultSourceText(const ResultSource& source) {
  const std::time_t t = static_cast<std::time_t>(source.received);
  std::tm local{};
  localtime_r(&t, &local);
  return Format("Ingevoerd aan tafel %d om %02d:%02d:%02d, apparaat %s", source.tafel, local.tm_hour, local.tm_min,
                local.tm_sec, source.device.substr(0, 8).c_str());
}

std::string NewTableToken(const TokenBytes& source) {
  unsigned char bytes[16] = {};
  if (source)
    source(bytes, sizeof bytes);
  else if (RAND_bytes(bytes, sizeof bytes) != 1)
    return "";  // never a guessable token
  std::string token;
  for (unsigned char b : bytes) token += Format("%02x", b);
  return token;
}

std::vector<int> TablesOfToernooi(Database& db, int idToernooi) {
  if (idToernooi <= 0) return {};
  std::set<int> tables;
  std::vector<PoolRecord> pools;
  db.ListPoolsOfToernooi(idToernooi, pools);
  for (const PoolRecord& p : pools)
    for (int t : ParseTables(p.tables)) tables.insert(t);
  std::vector<MatchRecord> matches;
  db.ListMatchesOfToernooi(idToernooi, matches);
  for (const MatchRecord& m : matches)
    if (m.tafel > 0) tables.insert(m.tafel);
  return {tables.begin(), tables.end()};
}

std::map<int, std::string> TableTokens(Database& db, int idToernooi, const TokenBytes& source) {
  return TableTokensOf(db, idToernooi, TablesOfToernooi(db, idToernooi), source);
}

std::map<int, std::string> TableTokensOf(Database& db, int idToernooi, const std::vector<int>& tables,
                                         const TokenBytes& source) {
  std::map<int, std::string> tokens, made;
  std::vector<std::pair<std::string, std::string>> writes;
  if (idToernooi <= 0) return tokens;
  for (int tafel : tables) {
    const std::string stored = db.GetSetting(TokenKey(idToernooi, tafel));
    if (IsToken(stored)) {
      tokens[tafel] = stored;
      continue;
    }
    const std::string token = NewTableToken(source);
    if (token.empty()) continue;
    made[tafel] = token;
    writes.emplace_back(TokenKey(idToernooi, tafel), token);
  }
  // A token that was not written would open nothing after a restart: such a
  // card must not be printed.
  if (!writes.empty() && db.SetSettings(writes)) tokens.merge(made);
  return tokens;
}

std::string RenewTableToken(Database& db, int idToernooi, int tafel, const TokenBytes& source) {
  if (idToernooi <= 0 || tafel <= 0) return "";
  const std::string token = NewTableToken(source);
  if (token.empty() || !db.SetSettings({{TokenKey(idToernooi, tafel), token}})) return "";
  return token;
}

}  // namespace velgram
