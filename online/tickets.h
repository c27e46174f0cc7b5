#pragma once
// Support questions as the web API returns them, and the rules for showing
// them: line-break markers and the age-dependent time display.
#include <string>
#include <vector>

#include "support/clock.h"
#include "support/ljson.h"

namespace velgram {

struct Ticket {
  int id = 0;
  DateTime received;
  int idCustomer = 0;
  std::string customer;
  std::string subject;
  int status = 0;  // 1 answered, anything else open
  bool Answered() const { return status == 1; }
};

struct TicketMessage {
  int id = 0;
  DateTime received;
  std::string message;
  int agent = 0;  // 0 the user, otherwise the support desk
  bool FromUser() const { return agent == 0; }
};

// The stand-in of a record that could not be read whole.
DateTime UnknownReceived();  // 1 January 2000 12:00:00

// "dateReceived" YYYYMMDD and "timeReceived" HHMMSS as one date-time.
DateTime ReceivedFrom(int yyyymmdd, int hhmmss);

// The "tickets" and "ticketMessages" arrays of an answer. A record's members
// are read in order; the first that is missing stops it, and the record keeps
// the numbers read so far with empty texts and UnknownReceived().
std::vector<Ticket> ReadTickets(const Ljson& answer);
std::vector<TicketMessage> ReadTicketMessages(const Ljson& answer);

// Whether the question stands answered after this history: the desk wrote
// the latest message (of equal times the last in the list). The history is
// newer than the list the ticket came from; without messages the ticket's
// own status stands.
bool AnsweredAfter(const Ticket& ticket, const std::vector<TicketMessage>& history);

// The marker "[LINEBREAK]" back to "\n".
std::string FromLineBreakMarkers(const std::string& text);

// Whole hours from received to now (both local), half a second rounded away
// from zero before the cut.
long long AgeHours(const DateTime& nowLocal, const DateTime& received);
// Below 24 hours a record shows its time of day, otherwise its date.
bool ShowsTimeOfDay(const DateTime& nowLocal, const DateTime& received);
std::string TimeOfDayText(const DateTime& received);  // "%02d:%02d"

// The settings the support desk needs, checked before they are stored: a
// Dutch message, or empty when both are usable.
std::string CheckSupportSettings(const std::string& email, const std::string& server);

}  // namespace velgram
