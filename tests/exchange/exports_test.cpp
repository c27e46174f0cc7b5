#include "exchange/exports.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "exchange_fixture.h"

namespace velgram {
namespace {

using Texts = std::vector<std::string>;

class ExportTest : public testing::TournamentTest {
 protected:
  void SetUp() override {
    TournamentTest::SetUp();
    out = dir.File("export");
    std::filesystem::create_directory(out);
    singles = Class("A");
    pool = Pool(singles, "1");
    jan = Player("Jan", "TTV Bal", "111");
    piet = Player("Piet", "", "222");
    klaas = Player("Klaas", "Smash", "333");
    cJan = Position(pool, jan);
    cPiet = Position(pool, piet);
    cKlaas = Position(pool, klaas);
  }

  // Writes the file and returns it.
  std::string Rated() {
    EXPECT_EQ(ExportRatingFile(*db, idT, ui, out), ExportResult::kWritten);
    return testing::ReadFileBytes(out + "/VelgramNTTB.txt");
  }
  std::string Listed() {
    EXPECT_EQ(ExportMatchList(*db, idT, ui, out), ExportResult::kWritten);
    return testing::ReadFileBytes(out + "/VelgramExport.txt");
  }

  std::string out;
  testing::FakePrompter ui;
  int singles = 0, pool = 0, jan = 0, piet = 0, klaas = 0, cJan = 0, cPiet = 0, cKlaas = 0;
};

// Quotes, tabs and line breaks keep both files readable. Names are kept
// unique when players are added, but older files may hold twins: the second
// Piet is written with the first one's number and club.
TEST_F(ExportTest, ResultsAreWrittenInTheOrderEnteredAndOnlyPlayedOnesRated) {
  db->Exec(nullptr, "UPDATE PlayersMain SET name='Jan \"de Snelle\"' WHERE id=%d", jan);
  db->Exec(nullptr, "UPDATE Systems SET name='A\"1' WHERE id=%d", singles);
  db->Exec(nullptr, "UPDATE PlayersMain SET idClub=%d WHERE id=%d", db->GetOrAddClub("TTV\tNoord\r\n"), piet);
  int twin = Player("Piet2", "Smash", "999");
  db->Exec(nullptr, "UPDATE PlayersMain SET name='Piet' WHERE id=%d", twin);
  int pool2 = Pool(singles, "2");
  Result(db->AddMatch(pool2, Position(pool2, twin), Position(pool2, klaas), 2, 900), 0, 9, 1);
  int m1 = db->AddMatch(pool, cJan, cPiet, 1, 900);
  int m2 = db->AddMatch(pool, cPiet, cKlaas, 2, 900);
  db->AddMatch(pool, cJan, cKlaas, 3, 930);  // never played
  int m4 = db->AddMatch(pool, cKlaas, cJan, 4, 1000);
  int m5 = db->AddMatch(pool, cJan, kNotPlayed, 1, 1000);
  Result(m1, 0, 10, 30, 15);
  Result(m2, 1, 9, 5);
  Result(m4, 1, 11, 0, 0, 900);
  Result(m5, 0, 11, 0, 0, 100);  // the same second, a moment earlier
  // The federation rates played matches only: a walkover stays out of the
  // rating file; a retirement was played and goes in. The match list has
  // both, marked.
  clock.SetLocal(2023, 3, 4, 12, 0, 0);
  db->RecordResult(db->AddMatch(pool, cJan, cPiet, 5, 900), 1, {}, true, kDecisionWalkover);
  clock.SetLocal(2023, 3, 4, 12, 5, 0);
  db->RecordResult(db->AddMatch(pool, cKlaas, cJan, 6, 900), 0, {}, true, kDecisionRetired);
  // Only singles matches with known sides are exported; duos need no
  // federation number, as they are not rated.
  int duoPool = Pool(Class("Dubbel", 2), "D1");
  int duo = Duo(Player("An", "", ""), Player("Bo", "", ""));
  int d1 = Position(duoPool, duo, kLinkDuo), d2 = Position(duoPool, duo, kLinkDuo);
  Result(db->AddMatch(duoPool, d1, d2, 7, 900), 0, 9, 0);
  Result(db->AddMatch(pool, cJan, 424242, 8, 900), 0, 9, 10);  // a position that is gone

  EXPECT_EQ(Rated(),
            "\"2023-3-4 09:01\",\"A\"\"1/2\",\"Piet\",\"222\",\"1\",\"Klaas\",\"333\",\"0\"\r\n"
            "\"2023-3-4 09:05\",\"A\"\"1/1\",\"Piet\",\"222\",\"0\",\"Klaas\",\"333\",\"1\"\r\n"
            "\"2023-3-4 10:30\",\"A\"\"1/1\",\"Jan \"\"de Snelle\"\"\",\"111\",\"1\",\"Piet\",\"222\",\"0\"\r\n"
            "\"2023-3-4 11:00\",\"A\"\"1/1\",\"Jan \"\"de Snelle\"\"\",\"111\",\"1\","
            "\"Niet gespeeld\",\"onbekend\",\"0\"\r\n"
            "\"2023-3-4 11:00\",\"A\"\"1/1\",\"Klaas\",\"333\",\"0\",\"Jan \"\"de Snelle\"\"\",\"111\",\"1\"\r\n"
            "\"2023-3-4 12:05\",\"A\"\"1/1\",\"Klaas\",\"333\",\"1\",\"Jan \"\"de Snelle\"\"\",\"111\",\"0\"\r\n");
  EXPECT_EQ(ui.alerts, Texts{out + "/VelgramNTTB.txt"});

  EXPECT_EQ(Listed(),
            "Tafel\tTijd\tSpeler 1\tSpeler 2\tResultaat\tKlasse\tPoule\r\n"
            "2\t09:01\tPiet (TTV Noord  )\tKlaas (Smash)\t1 - 0\tA\"1\t2\r\n"
            "2\t09:05\tPiet (TTV Noord  )\tKlaas (Smash)\t0 - 1\tA\"1\t1\r\n"
            "1\t10:30\tJan \"de Snelle\" (TTV Bal)\tPiet (TTV Noord  )\t1 - 0\tA\"1\t1\r\n"
            "1\t11:00\tJan \"de Snelle\" (TTV Bal)\tNiet gespeeld\t1 - 0\tA\"1\t1\r\n"
            "4\t11:00\tKlaas (Smash)\tJan \"de Snelle\" (TTV Bal)\t0 - 1\tA\"1\t1\r\n"
            "5\t12:00\tJan \"de Snelle\" (TTV Bal)\tPiet (TTV Noord  )\t0 - 1 w.o.\tA\"1\t1\r\n"
            "6\t12:05\tKlaas (Smash)\tJan \"de Snelle\" (TTV Bal)\t1 - 0 opg.\tA\"1\t1\r\n");
  EXPECT_EQ(ui.alerts.back(), out + "/VelgramExport.txt");
}

// No tournament, a folder that cannot be written and a result without a date
// stop both exports; players without a federation number stop only the rating
// file. Each is told, and nothing is written.
TEST_F(ExportTest, RefusalsAreToldAndWriteNothing) {
  EXPECT_EQ(ExportRatingFile(*db, 0, ui, out), ExportResult::kNoTournament);
  EXPECT_EQ(ExportMatchList(*db, -1, ui, out), ExportResult::kNoTournament);
  Result(db->AddMatch(pool, cJan, cPiet, 1, 900), 0, 9, 0);
  EXPECT_EQ(ExportRatingFile(*db, idT, ui, out + "/missing"), ExportResult::kCannotWrite);
  EXPECT_EQ(ExportMatchList(*db, idT, ui, out + "/missing"), ExportResult::kCannotWrite);
  const int undated = db->AddMatch(pool, cPiet, cKlaas, 1, 900);
  db->Exec(nullptr, "INSERT INTO ResultWinner (idMatch,indexWinner,isodate,isotime,isofraction) VALUES (%d,1,0,0,0)",
           undated);
  EXPECT_EQ(ExportRatingFile(*db, idT, ui, out), ExportResult::kRefused);
  EXPECT_EQ(ExportMatchList(*db, idT, ui, out), ExportResult::kRefused);
  db->ClearResult(undated);
  const int kim = Player("Kim", "", "");
  Position(pool, kim);
  EXPECT_EQ(ExportRatingFile(*db, idT, ui, out), ExportResult::kRefused);
  const int pool2 = Pool(singles, "2");
  Position(pool2, Player("Lot", "", ""));
  Position(pool2, Player("Max", "", ""));
  Position(pool2, kim);  // counted once
  EXPECT_EQ(ExportRatingFile(*db, idT, ui, out), ExportResult::kRefused);
  const char* undatedText = "De wedstrijd tussen Piet en Klaas in A/1 heeft geen timestamp";
  EXPECT_EQ(ui.alerts, (Texts{"Selecteer eerst een toernooi.", "Selecteer eerst een toernooi.",
                              "Kan het bestand niet opnenen.", "Kan het bestand niet opnenen.", undatedText,
                              undatedText, "Kim heeft geen bondsnummer", "Kim en 2 anderen hebben geen bondsnummer"}));
  EXPECT_TRUE(std::filesystem::is_empty(out));
  EXPECT_NE(Listed().find("Jan (TTV Bal)\tPiet\t1 - 0"), std::string::npos);
}

}  // namespace
}  // namespace velgram
