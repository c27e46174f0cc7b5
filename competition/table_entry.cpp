#include "competition/table_entry.h"

// Placeholder bodies so that every branch builds against the declarations;
// the queue's own branch replaces them.
namespace velgram {

const char* const kTableEntryModeMessage = "";
const char* const kEntryWaitsMessage = "";
const char* const kEntryHasResultMessage = "";
const char* const kEntryMovedMessage = "";
const char* const kEntryDisagreesMessage = "";
const char* const kEntryRejectedMessage = "";

bool ValidDeviceId(const std::string&) { return false; }
bool ReadTableEntryJson(const std::string&, int, TableEntry&) { return false; }
std::string TableEntryJson(const TableEntry&) { return {}; }
ResultDecision DecideTableEntry(const MatchSystem&, const TableEntry&) { return {}; }
std::string TableEntryText(const MatchSystem&, const TableEntry&) { return {}; }
SubmitOutcome SubmitTableEntry(Database&, int, const TableEntry&, bool) { return {}; }
bool AcceptTableEntry(Database&, Prompter&, int, DataChange*) { return false; }
bool RejectTableEntry(Database&, int) { return false; }
std::vector<QueuedEntry> ListTableEntries(Database&, int, bool) { return {}; }
bool GetTableEntry(Database&, int, QueuedEntry&) { return false; }
int CountWaitingEntries(Database&, int) { return 0; }
bool ResultSourceOf(Database&, int, ResultSource&) { return false; }
std::string ResultSourceText(const ResultSource&) { return {}; }
std::string NewTableToken(const TokenBytes&) { return {}; }
std::vector<int> TablesOfToernooi(Database&, int) { return {}; }
std::map<int, std::string> TableTokens(Database&, int, const TokenBytes&) { return {}; }
std::string RenewTableToken(Database&, int, int, const TokenBytes&) { return {}; }

}  // namespace velgram
