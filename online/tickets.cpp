#include "online/tickets.h"

#include "support/text.h"

namespace velgram {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  long long era = (y >= 0 ? y : y - 399) / 400;
  long long yoe = y - era * 400;
  long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

long long Seconds(const DateTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600LL + t.minute * 60LL + t.second;
}

// Reads the members of one record in their order; false at the first one
// that is missing.
class RecordReader {
 public:
  RecordReader(const Ljson& json, std::string prefix) : json_(json), prefix_(std::move(prefix)) {}
  bool Int(const char* name, int& out) { return ok_ = ok_ && json_.GetInt(prefix_ + name, out); }
  bool Text(const char* name, std::string& out) { return ok_ = ok_ && json_.GetString(prefix_ + name, out); }
  bool Ok() const { return ok_; }

 private:
  const Ljson& json_;
  std::string prefix_;
  bool ok_ = true;
};

}  // namespace

DateTime UnknownReceived() {
  DateTime t;
  t.year = 2000;
  t.month = 1;
  t.day = 1;
  t.hour = 12;
  return t;
}

DateTime ReceivedFrom(int yyyymmdd, int hhmmss) {
  DateTime t;
  t.year = yyyymmdd / 10000;
  t.month = yyyymmdd / 100 % 100;
  t.day = yyyymmdd % 100;
  t.hour = hhmmss / 10000;
  t.minute = hhmmss / 100 % 100;
  t.second = hhmmss % 100;
  return t;
}

std::vector<Ticket> ReadTickets(const Ljson& answer) {
  std::vector<Ticket> list;
  int count = 0;
  if (!answer.GetCount("tickets", count)) return list;
  for (int k = 0; k < count; ++k) {
    Ticket t;
    int date = 0, time = 0;
    RecordReader r(answer, Format("tickets|%d|", k));
    r.Int("id", t.id) && r.Int("dateReceived", date) && r.Int("timeReceived", time) &&
        r.Int("idCustomer", t.idCustomer) && r.Text("customer", t.customer) && r.Text("subject", t.subject) &&
        r.Int("status", t.status);
    if (r.Ok()) {
      t.received = ReceivedFrom(date, time);
    } else {
      t.received = UnknownReceived();
      t.customer.clear();
      t.subject.clear();
    }
    list.push_back(std::move(t));
  }
  return list;
}

std::vector<TicketMessage> ReadTicketMessages(const Ljson& answer) {
  std::vector<TicketMessage> list;
  int count = 0;
  if (!answer.GetCount("ticketMessages", count)) return list;
  for (int k = 0; k < count; ++k) {
    TicketMessage m;
    int date = 0, time = 0;
    RecordReader r(answer, Format("ticketMessages|%d|", k));
    r.Int("id", m.id) && r.Int("dateReceived", date) && r.Int("timeReceived", time) &&
        r.Text("message", m.message) && r.Int("agent", m.agent);
    if (r.Ok()) {
      m.received = ReceivedFrom(date, time);
    } else {
      m.received = UnknownReceived();
      m.message.clear();
    }
    list.push_back(std::move(m));
  }
  return list;
}

bool AnsweredAfter(const Ticket& ticket, const std::vector<TicketMessage>& history) {
  const TicketMessage* latest = nullptr;
  for (const TicketMessage& m : history)
    if (!latest || Seconds(m.received) >= Seconds(latest->received)) latest = &m;
  return latest ? !latest->FromUser() : ticket.Answered();
}

std::string FromLineBreakMarkers(const std::string& text) {
  static const std::string kMarker = "[LINEBREAK]";
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  for (size_t hit; (hit = text.find(kMarker, pos)) != std::string::npos; pos = hit + kMarker.size()) {
    out.append(text, pos, hit - pos);
    out += '\n';
  }
  out.append(text, pos, std::string::npos);
  return out;
}

long long AgeHours(const DateTime& nowLocal, const DateTime& received) {
  // Counted exactly in 100 ns units, the parts of the seconds included: a
  // question 23:59:59.6 old is a day old once the half second is added.
  constexpr long long kUnitsPerSecond = 10000000, kHalfSecond = kUnitsPerSecond / 2;
  long long units = (Seconds(nowLocal) - Seconds(received)) * kUnitsPerSecond + (nowLocal.fraction - received.fraction);
  units += units < 0 ? -kHalfSecond : kHalfSecond;
  return units / (3600 * kUnitsPerSecond);  // integer division cuts toward zero
}

bool ShowsTimeOfDay(const DateTime& nowLocal, const DateTime& received) {
  return AgeHours(nowLocal, received) < 24;
}

std::string TimeOfDayText(const DateTime& received) { return Format("%02d:%02d", received.hour, received.minute); }

std::string CheckSupportSettings(const std::string& email, const std::string& server) {
  size_t at = email.find('@');
  if (email.empty() || at == 0 || at == std::string::npos || email.find('.', at) == std::string::npos ||
      email.find_first_of(" \t\r\n\"\\") != std::string::npos)
    return "Vul aub een geldig e-mailadres in.";
  if (server.rfind("https://", 0) != 0 || server.size() <= 8)
    return "Vul aub een serveradres in dat met https:// begint.";
  return {};
}

}  // namespace velgram
