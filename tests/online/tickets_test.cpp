// Request text escaping and the reading and showing of ticket records.
#include <gtest/gtest.h>

#include "online/tickets.h"

#include <tuple>
#include "online/webapi.h"
#include "support/ljson.h"
#include "support/text.h"

namespace velgram {
namespace {

std::string Stamp(const DateTime& t) {
  return Format("%04d%02d%02d %02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

// Every character but the line break (sent as a marker) comes back as sent.
TEST(BuildRequest, NoCharacterBreaksTheRequestOrAddsMembers) {
  EXPECT_EQ(EscapeJsonText("1\r\n2\n3\r"), "1[LINEBREAK]2[LINEBREAK]3\\r");
  for (int c = 1; c < 256; ++c) {
    if (c == '\n') continue;
    WebApiArgs a;
    a.email = "a@b.nl";
    a.subject = std::string("s") + static_cast<char>(c);
    a.question = std::string("x") + static_cast<char>(c) + "\", \"action\":\"Drop";
    Ljson json(BuildRequest(kPutTicket, a));
    std::string action, question, subject;
    ASSERT_TRUE(json.GetString("action", action)) << c;
    EXPECT_EQ(action, "PutTicket");
    ASSERT_TRUE(json.GetString("question", question));
    EXPECT_EQ(question, a.question) << c;
    ASSERT_TRUE(json.GetString("subject", subject));
    EXPECT_EQ(subject, a.subject) << c;
  }
}

TEST(BuildRequest, UsesTheTemplatesOfTheFourActions) {
  WebApiArgs a{"a@b.nl", "Onderwerp", "Vraag", 12};
  EXPECT_EQ(BuildRequest(kGetTickets, a), "{ \"action\":\"GetTickets\", \"email\":\"a@b.nl\" }");
  EXPECT_EQ(BuildRequest(kGetTicketHistory, a), "{ \"action\":\"GetTicketHistory\", \"idTicket\":\"12\" }");
  EXPECT_EQ(BuildRequest(kPutTicket, a),
            "{ \"action\":\"PutTicket\", \"email\":\"a@b.nl\", \"subject\":\"Onderwerp\", \"question\":\"Vraag\" }");
  EXPECT_EQ(BuildRequest(kReplyTicket, a), "{ \"action\":\"ReplyTicket\", \"idTicket\":12, \"question\":\"Vraag\" }");
  EXPECT_EQ(BuildRequest(3, a), "");
}

TEST(ReadTickets, AMissingMemberStopsTheRecordWithTheStandInTime) {
  Ljson json(
      "{ \"errorcode\":0, \"tickets\":[ "
      "{\"id\":4,\"dateReceived\":20260314,\"timeReceived\":93005,\"idCustomer\":7,\"customer\":\"Jan\","
      "\"subject\":\"Poule[LINEBREAK]indeling\",\"status\":1}, "
      "{\"id\":5,\"dateReceived\":20260315,\"timeReceived\":101010,\"idCustomer\":7,\"customer\":\"Jan\","
      "\"status\":2} ] }");
  std::vector<Ticket> list = ReadTickets(json);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(Stamp(list[0].received), "20260314 093005");
  EXPECT_EQ(FromLineBreakMarkers(list[0].subject), "Poule\nindeling");
  EXPECT_TRUE(list[0].Answered());
  // The second lacks "subject": its texts go, the status is never reached.
  const Ticket& t = list[1];
  EXPECT_EQ(std::make_tuple(t.id, t.customer + t.subject, t.status, Stamp(t.received)),
            std::make_tuple(5, "", 0, "20000101 120000"));

  Ljson history("{\"ticketMessages\":[{\"id\":1,\"dateReceived\":20260315,\"timeReceived\":80000,"
                "\"message\":\"a[LINEBREAK]b\",\"agent\":0},{\"id\":2,\"dateReceived\":20260315}]}");
  std::vector<TicketMessage> messages = ReadTicketMessages(history);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(std::make_tuple(messages[0].FromUser(), Stamp(messages[0].received), messages[1].message,
                            Stamp(messages[1].received)),
            std::make_tuple(true, "20260315 080000", "", "20000101 120000"));
  EXPECT_TRUE(ReadTickets(Ljson("{\"tickets\":[]}")).empty());
  EXPECT_TRUE(ReadTickets(Ljson("{}")).empty());
}

TEST(TimeDisplay, TimeOfDayBelowTwentyFourHoursElseTheDate) {
  const struct {
    int date, time;
    long long hours;
    int nowFraction = 0;  // of the second, in 100 ns
  } cases[] = {
      {20260314, 120100, 23},  // 23 h 59 min
      {20260314, 120000, 24},
      {20260314, 120001, 23},  // 23:59:59 and the half second stay below the hour
      {20260314, 120001, 24, 6000000},  // 23:59:59.6 and the half second make the day
      {20260314, 120001, 23, 4000000},
      {20260315, 113000, 0},
      {20260316, 120000, -24},  // a clock ahead of ours: still today's time
      {20250315, 120000, 365 * 24},
  };
  for (const auto& c : cases) {
    DateTime now = ReceivedFrom(20260315, 120000), r = ReceivedFrom(c.date, c.time);
    now.fraction = c.nowFraction;
    EXPECT_EQ(AgeHours(now, r), c.hours) << c.date << " " << c.time << "." << c.nowFraction;
    EXPECT_EQ(ShowsTimeOfDay(now, r), c.hours < 24) << c.date << " " << c.time;
  }
  EXPECT_EQ(AgeHours(ReceivedFrom(20260101, 3000), ReceivedFrom(20251231, 230000)), 1);
  EXPECT_EQ(TimeOfDayText(ReceivedFrom(20260314, 90705)), "09:07");
}

TEST(AnsweredAfter, TheLatestMessageDecidesElseTheTicket) {
  auto message = [](int time, int agent) {
    TicketMessage m;
    m.received = ReceivedFrom(20260315, time);
    m.agent = agent;
    return m;
  };
  const struct {
    int ticketStatus;
    std::vector<TicketMessage> history;
    bool answered;
  } cases[] = {
      {1, {}, true},
      {2, {}, false},
      {1, {message(90000, 1), message(100000, 0)}, false},  // the user wrote after the answer
      {0, {message(90000, 0), message(100000, 3)}, true},
      {0, {message(100000, 1), message(90000, 0)}, true},  // by time, not by place
      {1, {message(100000, 1), message(100000, 0)}, false},
  };
  for (const auto& c : cases) {
    Ticket t;
    t.status = c.ticketStatus;
    EXPECT_EQ(AnsweredAfter(t, c.history), c.answered) << c.ticketStatus << " " << c.history.size();
  }
}

TEST(CheckSupportSettings, WantsAnAddressAndAnHttpsServer) {
  const std::string desk = "https://desk.example.nl/api";
  EXPECT_EQ(CheckSupportSettings("j@club.nl", desk), "");
  for (const auto& [mail, server] : {std::pair<std::string, std::string>{"", desk}, {"jan.club.nl", desk}, {"@club.nl", desk},
                                     {"jan@club.nl", ""}, {"jan@club.nl", "http://desk.example.nl/api"}})
    EXPECT_NE(CheckSupportSettings(mail, server), "") << mail << " " << server;
}

}  // namespace
}  // namespace velgram
