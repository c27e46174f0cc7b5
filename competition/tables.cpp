#include "competition/tables.h"

#include <algorithm>
#include <cctype>

#include "competition/match_rules.h"
#include "competition/pool.h"
#include "store/database.h"
#include "support/prompt.h"
#include "support/text.h"

namespace velgram {

namespace {

// Reads an integer the lenient way (leading blanks, optional sign, digits,
// rest ignored; no digits reads as 0). Saturates far outside the table range
// instead of overflowing.
long long ReadLenient(const std::string& s, size_t pos) {
  while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) ++pos;
  bool negative = false;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
    negative = s[pos] == '-';
    ++pos;
  }
  long long value = 0;
  while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos]))) {
    if (value < 100000000000LL) value = value * 10 + (s[pos] - '0');
    ++pos;
  }
  return negative ? -value : value;
}

}  // namespace

std::vector<int> ParseTables(const std::string& text) {
  // A presence map over the allowed numbers keeps the list duplicate-free and
  // sorted, and bounds the work whatever range is typed.
  std::vector<bool> present(kMaxTableNumber + 1, false);
  bool any = false;
  size_t begin = 0;
  while (begin <= text.size()) {
    size_t comma = text.find(',', begin);
    if (comma == std::string::npos) comma = text.size();
    std::string token = text.substr(begin, comma - begin);
    begin = comma + 1;
    if (token.empty()) continue;
    size_t dash = token.find('-');
    long long low, high;
    if (dash != std::string::npos && dash > 0) {
      low = ReadLenient(token, 0);
      high = ReadLenient(token, dash + 1);
    } else {
      low = high = ReadLenient(token, 0);
    }
    low = std::max<long long>(low, 1);
    high = std::min<long long>(high, kMaxTableNumber);
    for (long long t = low; t <= high; ++t) {
      present[t] = true;
      any = true;
    }
  }
  std::vector<int> tables;
  if (!any) return tables;
  for (int t = 1; t <= kMaxTableNumber; ++t)
    if (present[t]) tables.push_back(t);
  return tables;
}

std::string FormatTables(const std::vector<int>& t) {
  if (t.empty()) return "";
  std::string text = Format("%d", t[0]);
  int current = t[0];
  bool inRun = false;
  for (size_t i = 1; i < t.size(); ++i) {
    if (t[i] == current + 1) {
      inRun = true;
    } else {
      text += inRun ? Format("-%d,%d", current, t[i]) : Format(",%d", t[i]);
      inRun = false;
    }
    current = t[i];
  }
  if (inRun) text += Format("-%d", t.back());
  return text;
}

int AddMinutes(int hhmm, int minutes) {
  int m = hhmm % 100 + minutes;
  int h = hhmm / 100;
  if (m >= 60) {
    h += m / 60;
    m %= 60;
  }
  return h * 100 + m;
}

std::string FormatTime(int hhmm) { return Format("%d:%02d", hhmm / 100, hhmm % 100); }

bool ParseTimeOfDay(const std::string& text, int& hhmm) {
  size_t b = text.find_first_not_of(" \t");
  size_t e = text.find_last_not_of(" \t");
  if (b == std::string::npos) return false;
  std::string t = text.substr(b, e - b + 1);
  std::string hours, minutes;
  size_t sep = t.find_first_of(":.");
  if (sep != std::string::npos) {
    hours = t.substr(0, sep);
    minutes = t.substr(sep + 1);
    if (minutes.size() != 2) return false;
  } else if (t.size() <= 2) {
    hours = t;
    minutes = "00";
  } else if (t.size() <= 4) {
    // The last two digits are the minutes: "930" and "0930" are both 9:30.
    hours = t.substr(0, t.size() - 2);
    minutes = t.substr(t.size() - 2);
  } else {
    return false;
  }
  auto digits = [](const std::string& s) {
    return !s.empty() && s.size() <= 2 &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (!digits(hours) || !digits(minutes)) return false;
  int h = std::stoi(hours), m = std::stoi(minutes);
  if (h > 23 || m > 59) return false;
  hhmm = h * 100 + m;
  return true;
}

std::vector<TableTime> RoundRobinWaves(const std::vector<int>& tables, int start, int nrPlayers, int nrMatches) {
  std::vector<TableTime> out;
  const int nrTables = static_cast<int>(tables.size());
  const int perWave = nrPlayers / 2;
  int time = start;
  int k = 0;
  for (int i = 0; i < nrMatches; ++i) {
    out.push_back({nrTables > 0 ? tables[k] : 0, time});
    ++k;
    // Without tables or players every match gets its own wave rather than
    // running off the end of the list.
    if (k >= nrTables || k >= perWave) {
      time = AddMinutes(time, kMatchMinutes);
      k = 0;
    }
  }
  return out;
}

std::vector<TableTime> KnockoutWaves(const std::vector<int>& tables, int start, const std::vector<int>& levels) {
  std::vector<TableTime> out;
  const int nrTables = static_cast<int>(tables.size());
  int time = start;
  int k = 0;
  for (size_t i = 0; i < levels.size(); ++i) {
    if (i > 0 && levels[i] != levels[i - 1]) {
      time = AddMinutes(time, kKnockoutWaveMinutes);
      k = 0;
    }
    out.push_back({nrTables > 0 ? tables[k] : 0, time});
    ++k;
    if (k >= nrTables) {
      time = AddMinutes(time, kKnockoutWaveMinutes);
      k = 0;
    }
  }
  return out;
}

bool ChangeTableTime(Database& db, Prompter& prompter, int idMatch, const std::string& tableText, int hour,
                     int minute) {
  if (!MatchExists(db, idMatch)) {
    prompter.Alert(kMatchGoneMessage);
    return false;
  }
  // Only a plain number counts: "3a" is a typo, not table 3.
  size_t b = tableText.find_first_not_of(" \t");
  size_t e = tableText.find_last_not_of(" \t");
  std::string digits = b == std::string::npos ? "" : tableText.substr(b, e - b + 1);
  long long table = 0;
  bool valid = !digits.empty() && digits.size() <= 9;
  for (char ch : digits) {
    if (!std::isdigit(static_cast<unsigned char>(ch))) valid = false;
  }
  if (valid) table = std::stoll(digits);
  if (!valid || table <= 0 || table > kMaxTableNumber) {
    prompter.Alert("Vul de tafel in");
    return false;
  }
  MatchRecord match;
  if (!db.GetMatch(match, idMatch)) return false;
  match.tafel = static_cast<int>(table);
  match.starttime = std::clamp(hour, 0, 23) * 100 + std::clamp(minute, 0, 59);
  db.UpdateMatch(match);
  return true;
}

std::vector<MatchRecord> MatchesInSlot(Database& db, int idToernooi, int tafel, int start, int end) {
  std::vector<MatchRecord> all, found;
  db.ListMatchesOfToernooi(idToernooi, all);
  for (const MatchRecord& m : all) {
    if (m.tafel != tafel || m.idContestant1 == kNotPlayed || m.idContestant2 == kNotPlayed) continue;
    if (m.starttime < end && AddMinutes(m.starttime, kMatchMinutes) > start) found.push_back(m);
  }
  return found;
}

std::vector<Booking> CollectBookings(Database& db, int idToernooi) {
  std::vector<Booking> bookings;
  std::vector<SystemRecord> classes;
  db.ListSystems(classes, idToernooi);
  for (const SystemRecord& cls : classes) {
    std::vector<PoolRecord> pools;
    db.ListPools(cls.id, pools);
    for (const PoolRecord& pool : pools) {
      std::vector<MatchRecord> matches;
      db.ListMatches(pool.id, matches);
      if (matches.empty()) {
        for (int t : ParseTables(pool.tables)) bookings.push_back({t, pool.starttime, pool.endtime, cls.name, pool.name});
        continue;
      }
      for (const MatchRecord& m : matches) {
        if (m.idContestant1 == kNotPlayed || m.idContestant2 == kNotPlayed) continue;
        bookings.push_back({m.tafel, m.starttime, AddMinutes(m.starttime, kMatchMinutes), cls.name, pool.name});
      }
    }
  }
  return bookings;
}

TablesChart BuildTablesChart(std::vector<Booking> bookings) {
  TablesChart chart;
  // The chart covers one day: what lies past its end is cut off, and a booking
  // without time (ending before it starts) has nothing to show. Both would
  // otherwise keep the slot walk from ever consuming them.
  std::vector<Booking> kept;
  for (Booking& b : bookings) {
    b.end = std::min(b.end, kEndOfDay);
    if (b.start < 0 || b.start >= b.end) continue;
    kept.push_back(std::move(b));
  }
  bookings = std::move(kept);
  if (bookings.empty()) return chart;

  std::stable_sort(bookings.begin(), bookings.end(), [](const Booking& a, const Booking& b) {
    if (a.tafel != b.tafel) return a.tafel < b.tafel;
    return a.start < b.start;
  });
  for (size_t i = bookings.size() - 1; i > 0; --i) {
    Booking& prev = bookings[i - 1];
    const Booking& cur = bookings[i];
    if (cur.tafel == prev.tafel && cur.start == prev.end && cur.className == prev.className &&
        cur.poolName == prev.poolName) {
      prev.end = cur.end;
      bookings.erase(bookings.begin() + i);
    }
  }
  for (const Booking& b : bookings)
    if (chart.tables.empty() || chart.tables.back() != b.tafel) chart.tables.push_back(b.tafel);

  while (!bookings.empty()) {
    int s = kEndOfDay;
    for (const Booking& b : bookings) s = std::min(s, b.start);
    int e = kEndOfDay;
    for (const Booking& b : bookings) {
      e = std::min(e, b.end);
      if (b.start > s) e = std::min(e, b.start);
    }
    ChartRow row;
    row.start = s;
    row.end = e;
    row.slot = FormatTime(s) + " - " + FormatTime(e);
    row.cells.resize(chart.tables.size());
    for (size_t col = 0; col < chart.tables.size(); ++col) {
      int count = 0;
      ChartCell& cell = row.cells[col];
      for (const Booking& b : bookings) {
        if (b.tafel != chart.tables[col]) continue;
        bool covers = (s >= b.start && s < b.end) || (e - 1 >= b.start && e - 1 < b.end);
        if (!covers) continue;
        if (count > 0) cell.tooltip += "\r\n";
        cell.tooltip += b.className + " / " + b.poolName;
        ++count;
      }
      cell.colour = count == 0 ? CellColour::kNone : count == 1 ? CellColour::kBusy : CellColour::kDouble;
    }
    chart.rows.push_back(std::move(row));
    std::vector<Booking> rest;
    for (Booking& b : bookings) {
      if (b.start < e) {
        if (b.end <= e) continue;
        b.start = e;
      }
      rest.push_back(std::move(b));
    }
    bookings = std::move(rest);
  }
  return chart;
}

}  // namespace velgram
