#pragma once
// The working copy of a pool's positions behind the add-players and link
// dialogs: what may be added or removed, with the messages, and how the list
// is written back on OK. Nothing reaches the database before Save.
#include <memory>
#include <string>
#include <vector>

#include "competition/matchbook.h"
#include "competition/pool.h"
#include "store/records.h"

namespace velgram {

class Database;
class Prompter;

// The positions the round-robin pane lets a pool hold in its dialogs.
inline constexpr int kPouleDialogMaximum = 12;

// A tournament participant (a player, or a duo in a duo class) that the
// add-players dialog offers.
struct Candidate {
  int id = -1;
  std::string name, club, klasse;
  int rating = 0;
};

class PositionDraft {
 public:
  // The positions of the pool, resolved. maximum: how many positions the
  // caller allows.
  PositionDraft(Database& db, int idPool, int maximum);
  ~PositionDraft();

  const std::vector<Contestant>& List() const { return list_; }
  int Maximum() const { return maximum_; }
  int IdPool() const { return idPool_; }
  // The class plays with duos: duos are offered and added as link type 5.
  bool DuoPool() const { return duoPool_; }
  // A Swiss pool with rounds: positions stay, newcomers get the rounds played
  // so far as lost.
  bool Running() const { return running_; }

  // --- add-players dialog -------------------------------------------------
  // The participants of the tournament not yet in the list, in name order.
  std::vector<Candidate> Candidates() const;
  // Adds the chosen participants as positions. Refused with "Maximum aantal
  // spelers is %d" when the list already holds the maximum.
  bool AddParticipants(Prompter& prompter, const std::vector<int>& ids);
  // Removes the positions at these list indices; false (nothing removed) in a
  // running pool.
  bool RemovePositions(const std::vector<int>& indices);
  // OK of the add-players dialog: the list written as a whole (existing ids
  // kept) and, in a running Swiss pool, every newcomer given a lost match for
  // each round already played. One transaction.
  // False when the database refused the list; nothing of it is written then.
  bool SaveParticipants();

  // --- link dialog ----------------------------------------------------------
  // The pools of the class played before this one, in their order.
  std::vector<PoolRecord> EarlierPools() const;
  // "Alle klassen" is index 0 of the dialog; these follow as 1, 2, ...
  std::vector<std::string> ClassList(int idLinkedPool) const;
  // "Toevoegen" beside "Nummer:": a link to that place of the pool, resolved
  // at once. Refused at the maximum and for numbers below 1.
  bool AddLink(Prompter& prompter, int idLinkedPool, int number, int indexKlasse);
  // "Toevoegen" beside "Beste:": links to places 1 to best, refused when they
  // would not all fit.
  bool AddBest(Prompter& prompter, int idLinkedPool, int best, int indexKlasse);
  // "Kruislings" beside "Beste:": links to places 1 to best of every earlier
  // pool in the cross order of the bracket (CrossOrder), refused when they
  // would not all fit. Beyond a bracket's size the places follow in turns,
  // the even places in reversed pool order.
  bool AddCross(Prompter& prompter, int best);
  // The seats of the pool's bracket; 0 when the pool is no knockout.
  int BracketSize() const { return bracketSize_; }
  // Removes the links among these indices; players and duos stay.
  void RemoveLinks(const std::vector<int>& indices);
  // Moves a position one place up or down; false at the ends.
  bool MoveUp(int index);
  bool MoveDown(int index);
  // OK of the link dialog: the list written as a whole with sort = index.
  bool SaveLinks();

 private:
  Contestant MakeLink(int idLinkedPool, int number, int indexKlasse);
  std::vector<ContestantRecord> Records() const;

  Database& db_;
  int idPool_;
  int maximum_;
  int idToernooi_ = -1;
  bool duoPool_ = false;
  bool running_ = false;
  int bracketSize_ = 0;
  std::vector<Contestant> list_;
  std::unique_ptr<LinkResolver> resolver_;
};

}  // namespace velgram
