#include "competition/hall_display.h"

#include <algorithm>
#include <map>
#include <memory>
#include <sstream>

#include "competition/dropout.h"
#include "competition/match_rules.h"
#include "competition/matchbook.h"
#include "competition/poule.h"
#include "competition/swiss.h"
#include "competition/swiss_screen.h"
#include "store/database.h"
#include "support/text.h"

namespace velgram {

HallOptions ReadHallOptions(Database& db, int idToernooi) {
  HallOptions o;
  int show = db.GetSettingInt(Format("HallShow%d", idToernooi), 0);
  o.show = show == 1 ? HallShow::kMatches : show == 2 ? HallShow::kStandings : HallShow::kBoth;
  std::stringstream hidden(db.GetSetting(Format("HallHiddenClasses%d", idToernooi)));
  for (std::string item; std::getline(hidden, item, ',');) {
    int id = std::atoi(item.c_str());
    if (id > 0) o.hiddenClasses.insert(id);
  }
  o.pageSeconds = std::clamp(db.GetSettingInt(Format("HallPageSeconds%d", idToernooi), 15), kHallMinPageSeconds,
                             kHallMaxPageSeconds);
  o.withClub = db.GetSetting(Format("MatchesClub%d", idToernooi)) == "1";
  return o;
}

void WriteHallOptions(Database& db, int idToernooi, const HallOptions& o) {
  std::string hidden;
  for (int id : o.hiddenClasses) hidden += (hidden.empty() ? "" : ",") + Format("%d", id);
  db.SetSettings({{Format("HallShow%d", idToernooi), Format("%d", static_cast<int>(o.show))},
                  {Format("HallHiddenClasses%d", idToernooi), hidden},
                  {Format("HallPageSeconds%d", idToernooi),
                   Format("%d", std::clamp(o.pageSeconds, kHallMinPageSeconds, kHallMaxPageSeconds))}});
}

std::string KnockoutRoundName(int roundsAfter) {
  switch (roundsAfter) {
    case 0: return "Finale";
    case 1: return "Halve finale";
    case 2: return "Kwartfinale";
    default: return "Achtste finale";
  }
}

namespace {

struct PoolOfDisplay {
  PoolRecord row;
  std::string klasse;
  std::vector<MatchEntry> matches;  // in creation order
  HallBlock block;
};

// Places shared on equal values: 1, 2, 2, 4.
template <typename Key>
void NumberPlaces(std::vector<HallStandingRow>& rows, Key key) {
  for (size_t i = 0; i < rows.size(); ++i)
    rows[i].place = i > 0 && key(rows[i]) == key(rows[i - 1]) ? rows[i - 1].place : static_cast<int>(i) + 1;
}

HallBlock PouleBlock(MatchBook& book, const PoolOfDisplay& p, const std::vector<Contestant>& contestants) {
  HallBlock b;
  LPoule poule;
  poule.FillFrom(p.row);
  poule.places.assign(contestants.size(), -1);
  // Only a finished pool has places; its rules decide whether the games
  // can break ties.
  if (std::all_of(p.matches.begin(), p.matches.end(), [](const MatchEntry& m) { return m.indexWinner >= 0; })) {
    const MatchSystem& ms = book.MatchSystemOfPool(p.row.id);
    poule.gameCodes = ms.result == kResultPoints || ms.result == kResultAll;
    poule.Standings(contestants, p.matches);
  }
  std::map<int, int> wins;
  for (const MatchEntry& m : p.matches) {
    if (m.indexWinner == 0) ++wins[m.idContestant1];
    if (m.indexWinner == 1) ++wins[m.idContestant2];
  }
  bool finished = !contestants.empty() &&
                  std::all_of(poule.places.begin(), poule.places.end(), [](int v) { return v >= 0; });
  std::vector<size_t> order(contestants.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  // Finished: the places with every tie-break. In play: by wins so far, in
  // pool order, equal wins sharing a place.
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    if (finished) return poule.places[a] < poule.places[b];
    return wins[contestants[a].id] > wins[contestants[b].id];
  });
  for (size_t i : order) {
    HallStandingRow r;
    r.name = contestants[i].name;
    r.club = contestants[i].club;
    r.wins = wins[contestants[i].id];
    r.place = finished ? poule.places[i] + 1 : 0;
    b.rows.push_back(r);
  }
  if (!finished) NumberPlaces(b.rows, [](const HallStandingRow& r) { return r.wins; });
  return b;
}

HallBlock SwissBlock(Database& db, const PoolOfDisplay& p, const std::vector<Contestant>& contestants) {
  HallBlock b;
  LSwiss swiss;
  swiss.FillFrom(p.row);
  swiss.AttachDatabase(&db);
  swiss.Standings(contestants, p.matches);
  if (swiss.maxRound > 0) b.caption = Format("Ronde %d", swiss.maxRound);
  std::vector<size_t> order(contestants.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b2) { return swiss.places[a] < swiss.places[b2]; });
  for (size_t i : order) {
    const Contestant& c = swiss.contestants[i];
    HallStandingRow r;
    r.place = swiss.places[i] + 1;
    r.name = c.name;
    r.club = c.club;
    r.points = swiss.Points(c);
    r.resistance = swiss.Resistance(c);
    r.removed = c.poolPos < 0;
    b.rows.push_back(r);
  }
  return b;
}

HallBlock DropoutBlock(MatchBook& book, const PoolOfDisplay& p) {
  HallBlock b;
  std::unique_ptr<LPool> made = MakePool(p.row);
  auto* dropout = dynamic_cast<LDropout*>(made.get());
  if (!dropout) return b;
  std::vector<BracketMatch> shape = BracketShape(dropout->dimension);
  size_t n = std::min(shape.size(), p.matches.size());
  if (n == 0) return b;
  int lastLevel = shape[n - 1].level;
  // The current round is the first with a match still to decide; once the
  // final is decided it stays on show with its winner.
  int level = lastLevel;
  for (size_t k = 0; k < n; ++k) {
    if (KnockoutWinnerIndex(p.matches, p.matches[k]) < 0) {
      level = shape[k].level;
      break;
    }
  }
  b.caption = KnockoutRoundName(shape.back().level - level);
  const MatchSystem& system = book.MatchSystemOfPool(p.row.id);
  auto name = [&](int side) {
    int s = KnockoutSide(p.matches, side);
    if (s == 0) return std::string("Bye");
    if (s < 0) return book.SideName(side, p.row.id);
    const Contestant* c = book.FindContestant(p.row.id, s);
    return c ? c->name : std::string("???");
  };
  for (size_t k = 0; k < n; ++k) {
    if (shape[k].level != level) continue;
    const MatchEntry& m = p.matches[k];
    HallStandingRow r;
    r.place = shape[k].number;
    r.name = name(m.idContestant1);
    r.name2 = name(m.idContestant2);
    r.winner = KnockoutWinnerIndex(p.matches, m);
    r.bye = KnockoutSide(p.matches, m.idContestant1) == 0 || KnockoutSide(p.matches, m.idContestant2) == 0;
    // As the lists show it, with a walkover's or a retirement's mark; a bye
    // stores no result and shows none.
    r.result = MatchResultText(m, system, false);
    b.rows.push_back(r);
  }
  return b;
}

}  // namespace

struct HallView::Part : PoolOfDisplay {
  std::vector<HallMatchRow> open;
  int played = 0, toPlay = 0;
  bool hasBlock = false;
};

HallView::HallView(Database& db) : db_(db), owned_(std::make_unique<MatchBook>(db)), book_(owned_.get()) {}
HallView::HallView(Database& db, MatchBook& book) : db_(db), book_(&book) {}
HallView::~HallView() = default;

namespace {

bool OpenBefore(const HallMatchRow& a, const HallMatchRow& b) {
  if (a.starttime != b.starttime) return a.starttime < b.starttime;
  if (a.tafel != b.tafel) return a.tafel < b.tafel;
  return a.idMatch < b.idMatch;
}

}  // namespace

void HallView::Build(int idToernooi, const HallOptions& options, bool fillBook) {
  idToernooi_ = idToernooi;
  options_ = options;
  if (fillBook) {
    book_->withClub = options.withClub;
    book_->FillToernooi(idToernooi);
  }
  ReadParts();
}

void HallView::ReadParts() {
  content_ = HallContent{};
  parts_.clear();
  content_.showMatches = options_.show != HallShow::kStandings;
  content_.showStandings = options_.show != HallShow::kMatches;
  if (idToernooi_ <= 0) return;
  TournamentRecord t;
  db_.GetToernooi(t, idToernooi_);
  content_.toernooi = t.name;

  std::map<int, size_t> partIndex;
  std::vector<SystemRecord> classes;
  db_.ListSystems(classes, idToernooi_);
  for (const SystemRecord& cls : classes) {
    if (options_.hiddenClasses.count(cls.id)) continue;
    std::vector<PoolRecord> rows;
    db_.ListPools(cls.id, rows);
    for (const PoolRecord& row : rows) {
      partIndex[row.id] = parts_.size();
      Part part;
      part.row = row;
      part.klasse = cls.name;
      parts_.push_back(std::move(part));
    }
  }
  // The book reads the matches in id order, which within a pool is the order
  // they were created in: the bracket's numbering.
  for (const MatchEntry& m : book_->Matches()) {
    auto it = partIndex.find(m.idPool);
    if (it != partIndex.end()) parts_[it->second].matches.push_back(m);
  }
  for (Part& part : parts_) {
    Compute(part);
    content_.played += part.played;
    content_.toPlay += part.toPlay;
    content_.open.insert(content_.open.end(), part.open.begin(), part.open.end());
    if (part.hasBlock) content_.blocks.push_back(part.block);
  }
  std::stable_sort(content_.open.begin(), content_.open.end(), OpenBefore);
}

void HallView::Compute(Part& part) {
  part.open.clear();
  part.played = part.toPlay = 0;
  part.hasBlock = false;
  part.block = HallBlock{};
  const PoolOfDisplay& p = part;
  MatchBook& book = *book_;
  const bool knockout = p.row.playstyle == kPlaystyleDropout;
  for (const MatchEntry& m : p.matches) {
    if (m.idContestant1 == kNotPlayed || m.idContestant2 == kNotPlayed) continue;
    int side[2] = {m.idContestant1, m.idContestant2};
    if (knockout)
      for (int& s : side) s = KnockoutSide(p.matches, s);
    if (side[0] == 0 || side[1] == 0) continue;  // a bye, decided without playing
    if (m.indexWinner >= 0) {
      ++part.played;
      continue;
    }
    ++part.toPlay;
    bool known = true;
    for (int s : side) {
      const Contestant* c = s > 0 ? book.FindContestant(m.idPool, s) : nullptr;
      known = known && c && c->known;
    }
    if (!known || !content_.showMatches) continue;
    HallMatchRow r;
    r.idMatch = m.id;
    r.idPool = m.idPool;
    r.tafel = m.tafel;
    r.starttime = m.starttime;
    // A later knockout match names its players only through the earlier
    // matches; the book's names already follow them.
    r.name1 = m.name1;
    r.name2 = m.name2;
    r.klasse = p.klasse;
    r.pool = p.row.name;
    part.open.push_back(r);
  }
  std::sort(part.open.begin(), part.open.end(), OpenBefore);

  if (!content_.showStandings || p.matches.empty()) return;
  const std::vector<Contestant>* contestants = book.PoolContestants(p.row.id);
  if (!contestants) return;
  HallBlock b;
  switch (p.row.playstyle) {
    case kPlaystylePoule: b = PouleBlock(book, p, *contestants); break;
    case kPlaystyleSwiss: b = SwissBlock(db_, p, *contestants); break;
    case kPlaystyleDropout: b = DropoutBlock(book, p); break;
    default: return;
  }
  if (b.rows.empty()) return;
  b.idPool = p.row.id;
  b.playstyle = p.row.playstyle;
  b.klasse = p.klasse;
  b.pool = p.row.name;
  part.block = std::move(b);
  part.hasBlock = true;
}

void HallView::Apply(const DataChange& change) {
  MatchBook::Touched touched = book_->Apply(change);
  Follow(touched.all, touched.pools);
}

void HallView::Follow(bool all, const std::set<int>& pools) {
  if (all) {
    ReadParts();
    return;
  }
  size_t blocksBefore = 0;  // blocks of the parts before the current one
  for (Part& part : parts_) {
    const int id = part.row.id;
    if (!pools.count(id)) {
      blocksBefore += part.hasBlock ? 1 : 0;
      continue;
    }
    content_.played -= part.played;
    content_.toPlay -= part.toPlay;
    const bool hadOpen = !part.open.empty();
    if (part.hasBlock) content_.blocks.erase(content_.blocks.begin() + static_cast<long>(blocksBefore));
    part.matches = book_->PoolMatches(id);
    Compute(part);
    content_.played += part.played;
    content_.toPlay += part.toPlay;
    // The open list keeps its order (time, table, match): the pool's old rows
    // leave and its new ones are merged in, in one pass.
    if (hadOpen || !part.open.empty()) {
      std::vector<HallMatchRow> merged;
      merged.reserve(content_.open.size() + part.open.size());
      auto next = part.open.begin();
      for (HallMatchRow& r : content_.open) {
        if (r.idPool == id) continue;
        while (next != part.open.end() && OpenBefore(*next, r)) merged.push_back(*next++);
        merged.push_back(std::move(r));
      }
      merged.insert(merged.end(), next, part.open.end());
      content_.open = std::move(merged);
    }
    if (part.hasBlock) {
      content_.blocks.insert(content_.blocks.begin() + static_cast<long>(blocksBefore), part.block);
      ++blocksBefore;
    }
  }
}

HallContent BuildHallContent(Database& db, int idToernooi, const HallOptions& options) {
  HallView view(db);
  view.Build(idToernooi, options);
  return view.Content();
}

HallContent BuildHallContent(Database& db, MatchBook& book, int idToernooi, const HallOptions& options) {
  HallView view(db, book);
  view.Build(idToernooi, options, false);
  return view.Content();
}

std::vector<HallPage> PaginateHall(const HallContent& content, int lines, int columns) {
  lines = std::max(lines, kHallPieceHead + 1);
  columns = std::max(columns, 1);
  std::vector<HallPage> pages(1);
  int line = 0;
  auto newPage = [&] {
    if (!pages.back().pieces.empty()) pages.emplace_back();
    line = 0;
  };

  if (content.showMatches) {
    const int total = static_cast<int>(content.open.size());
    int first = 0;
    // An empty list still gets its title, with a line saying so.
    do {
      int take = std::min(total - first, lines - line - kHallPieceHead);
      HallPiece piece;
      piece.kind = HallPiece::kMatches;
      piece.first = first;
      piece.count = take;
      piece.line = line;
      piece.continued = first > 0;
      pages.back().pieces.push_back(piece);
      first += take;
      line += kHallPieceHead + std::max(take, 1);
      if (first < total) newPage();
    } while (first < total);
  }

  if (!content.showStandings || content.blocks.empty()) return pages;
  // The standings start below the matches, after a blank line, when the
  // first block fits there; otherwise on a page of their own.
  const int top = line > 0 ? line + 1 : 0;
  const HallBlock& firstBlock = content.blocks.front();
  int firstNeed = kHallPieceHead + std::min<int>(static_cast<int>(firstBlock.rows.size()), lines - kHallPieceHead);
  const bool below = top == 0 || top + firstNeed <= lines;
  if (!below) newPage();
  // Each block goes into the first column with room for it whole, so that a
  // short block fills the space a long one left; only a block taller than a
  // whole column is split.
  std::vector<int> y(static_cast<size_t>(columns), below ? top : 0);
  const int fullColumn = lines - kHallPieceHead;
  auto place = [&](int block, int column, int first, int count) {
    HallPiece piece;
    piece.kind = HallPiece::kBlock;
    piece.block = block;
    piece.first = first;
    piece.count = count;
    piece.column = column;
    piece.line = y[static_cast<size_t>(column)];
    piece.continued = first > 0;
    pages.back().pieces.push_back(piece);
    y[static_cast<size_t>(column)] += kHallPieceHead + count + 1;
  };
  for (size_t b = 0; b < content.blocks.size(); ++b) {
    const int total = static_cast<int>(content.blocks[b].rows.size());
    int first = 0;
    while (first < total) {
      const int rest = total - first;
      int whole = -1, some = -1;
      for (int c = 0; c < columns; ++c) {
        int room = lines - y[static_cast<size_t>(c)] - kHallPieceHead;
        if (whole < 0 && room >= rest) whole = c;
        if (some < 0 && room >= 1) some = c;
      }
      if (whole >= 0) {
        place(static_cast<int>(b), whole, first, rest);
        first = total;
      } else if (rest > fullColumn && some >= 0) {
        int take = lines - y[static_cast<size_t>(some)] - kHallPieceHead;
        place(static_cast<int>(b), some, first, take);
        first += take;
      } else {
        newPage();
        std::fill(y.begin(), y.end(), 0);
      }
    }
  }
  return pages;
}

}  // namespace velgram
