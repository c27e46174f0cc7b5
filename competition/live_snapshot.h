#pragma once
// The tournament as the live pages in the hall read it: a few small JSON
// documents, each with the version at which its text last changed, so a phone
// asks "anything new?" for the price of a header. The documents are built on
// the program's own thread from the same core functions the screens use, and
// follow the change notices; the server only hands out the published set.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "competition/changes.h"
#include "store/records.h"

namespace velgram {

class Database;

// One document the live pages read: UTF-8 JSON, and the snapshot version at
// which its body last changed.
struct LiveDocument {
  std::string json;
  std::uint64_t version = 0;
};

// What the server needs to take an entry at a table without asking the desk:
// the matches the table's page offers and their rules, to refuse a plainly
// wrong entry at once with the dialogs' own message.
struct LiveTable {
  int tafel = 0;
  int idMatchNow = -1, idMatchNext = -1;  // -1: none
  MatchSystem systemNow, systemNext;
};

// Everything the server may answer from, immutable once published; handed to
// the server thread as a shared_ptr.
struct LiveDocuments {
  std::uint64_t version = 0;  // goes up by one on each change that altered any document
  // "nu", "poules", "spelers", "poule/<idPool>", and "tafel/<n>" while entry
  // at the tables is on.
  std::map<std::string, std::shared_ptr<const LiveDocument>> byName;
  // Entry at the tables: empty while it is off. The token of each table's
  // card opens that table's page.
  std::map<std::string, int> tableOfToken;
  std::map<int, LiveTable> tables;
};

// "Nu aan de beurt" lists the first matches of the hall display's order and
// counts the rest: at a large event every phone would otherwise fetch every
// open match again after each result, over the hall's wireless network.
inline constexpr int kLiveNuMatches = 60;

// A core text (Windows-1252) as a JSON string in UTF-8, quotes included, as
// the live documents and the server's answers write it.
std::string LiveJsonText(std::string_view cp1252);

// The director's choices for the live server, kept per tournament in
// "LiveOn%d", "LivePort%d" and "LiveLocalOnly%d"; a stored port out of range
// reads as the default.
struct LiveSettings {
  static constexpr int kDefaultPort = 8080;
  bool on = false;  // the server runs whenever the tournament is open
  int port = kDefaultPort;
  bool localOnly = false;  // "Alleen deze computer"
  // Entry at the tables ("LiveTables%d"), off unless the director turns it
  // on; and whether an entry nobody doubts becomes a result without waiting
  // for the director ("LiveAutoAccept%d").
  bool tableEntry = false;
  bool autoAccept = false;

  static LiveSettings Read(Database& db, int idToernooi);
  bool Write(Database& db, int idToernooi) const;  // in one write
};

class LiveSnapshot {
 public:
  // Time stamps from db.GetClock().
  explicit LiveSnapshot(Database& db, int nuMatches = kLiveNuMatches);
  ~LiveSnapshot();
  LiveSnapshot(const LiveSnapshot&) = delete;
  LiveSnapshot& operator=(const LiveSnapshot&) = delete;

  void Build(int idToernooi);            // reads the tournament (main thread only)
  void Apply(const DataChange& change);  // follows a change notice; rebuilds only the touched documents
  // The table documents again, after the queue, a token or the entry
  // settings changed.
  void TablesChanged();
  // Only the documents of these tables, after entries for them were stored:
  // their latest entries are read again, nothing else.
  void EntriesChanged(const std::vector<int>& tafels);
  std::shared_ptr<const LiveDocuments> Documents() const;  // the current set (cheap: a pointer)

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace velgram
