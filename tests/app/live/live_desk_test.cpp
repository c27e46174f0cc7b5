// "Live in de zaal" at the desk: the dialog starts and stops the server and
// keeps the choices per tournament, the server follows the tournament's
// setting from the program's start and the desk's results, and the poster
// carries the code and the address.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QTest>

#include "app/live/dlg_live.h"
#include "app/live/live_desk.h"
#include "app/shell/mainwindow.h"
#include "competition/poule.h"
#include "tests/app/live/live_client.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

class LiveDeskTest : public ShellTest {
 protected:
  void SetUp() override {
    idToernooi = OpenTournament("Open Zaalkampioenschap");
    db().SetSetting("PouleActivateWarning", "No");
    pool = AddPool(AddClass("Heren A"), "Poule 1");
    for (int i = 1; i <= 4; ++i) Seat(pool, AddPlayer("Speler " + std::to_string(i), 1500, "TTV Hal"));
    ASSERT_EQ(StartPoule(db(), prompter, pool), StartOutcome::kStarted);
    window = std::make_unique<CVelgramDlg>(*app);
    window->StartTimer().stop();
  }
  // Plays the user in the dialog of the menu entry.
  void InDialog(std::function<void(LDlgLive*)> act) {
    OnModal<LDlgLive>([act](LDlgLive* d) {
      act(d);
      d->accept();
    });
    window->findChild<QAction*>(QStringLiteral("Live in de zaal"))->trigger();
  }

  int idToernooi = -1, pool = -1;
  std::unique_ptr<CVelgramDlg> window;
};

TEST_F(LiveDeskTest, DialogStartsAndStopsTheServerAndKeepsTheChoices) {
  InDialog([this](LDlgLive* d) {
    d->port->setValue(18120);
    d->localOnly->setChecked(true);
    d->start->click();
    EXPECT_TRUE(window->Live().Running());
    EXPECT_EQ(d->address->text(), QStringLiteral("http://127.0.0.1:18120/"));
    EXPECT_FALSE(d->qr->pixmap().isNull());
    EXPECT_EQ(LiveClient(18120).Get("/data/nu").status, 200);
    EXPECT_TRUE(LiveSettings::Read(db(), idToernooi).on);
    d->stop->click();
    EXPECT_FALSE(window->Live().Running());
    EXPECT_TRUE(d->qr->pixmap().isNull());
  });
  const LiveSettings kept = LiveSettings::Read(db(), idToernooi);
  EXPECT_EQ(std::tuple(kept.on, kept.port, kept.localOnly), std::tuple(false, 18120, true));
  InDialog([](LDlgLive* d) {  // the dialog opens on the kept choices
    EXPECT_EQ(std::pair(d->port->value(), d->localOnly->isChecked()), std::pair(18120, true));
  });
}

TEST_F(LiveDeskTest, APortInUseIsToldAndTheServerStaysOff) {
  QTcpServer taken;
  ASSERT_TRUE(taken.listen(QHostAddress::Any, 18121));
  InDialog([](LDlgLive* d) {
    d->port->setValue(18121);
    d->start->click();
  });
  ASSERT_EQ(prompter.alerts.size(), 1u);
  EXPECT_NE(prompter.alerts[0].find("18121"), std::string::npos);
  EXPECT_FALSE(window->Live().Running());
  EXPECT_FALSE(LiveSettings::Read(db(), idToernooi).on);
}

TEST_F(LiveDeskTest, ServerRunsFromTheStartWhenOnAndFollowsTheDesksResults) {
  LiveSettings{true, 18122, true}.Write(db(), idToernooi);
  app->DropToernooi();
  db().SetSettingInt("ToernooiID", idToernooi);
  window->OpenStartTournament();
  ASSERT_TRUE(window->Live().Running());
  LiveClient page(18122);
  const LiveAnswer before = page.Get("/data/nu");
  ASSERT_EQ(before.status, 200);

  std::vector<MatchRecord> matches;
  db().ListMatches(pool, matches);
  const int publishes = window->Live().Publishes();
  db().RecordResult(matches[0].id, 0, {}, false);
  window->NotifyDataChanged(DataChange::Result(matches[0].id, pool));
  window->NotifyDataChanged(DataChange::Result(matches[0].id, pool));
  QTest::qWait(20);
  EXPECT_EQ(window->Live().Publishes(), publishes + 1);  // one turn, one publish
  const LiveAnswer after = page.Get("/data/nu", "If-None-Match: " + before.Header("ETag") + "\r\n");
  EXPECT_EQ(after.status, 200);
  EXPECT_NE(after.body, before.body);

  window->close();
  EXPECT_EQ(std::pair(window->Live().Running(), page.Closed(500)), std::pair(false, true));
}

TEST_F(LiveDeskTest, PosterCarriesTheNameTheCodeAndTheAddress) {
  // The three finder squares of a QR code, inside the quiet zone.
  const QImage code = LiveQrImage(QStringLiteral("http://192.168.1.20:8080/"));
  ASSERT_FALSE(code.isNull());
  const int w = code.width();
  for (auto [ox, oy] : {std::pair{4, 4}, {w - 11, 4}, {4, w - 11}})
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 7; ++x)
        ASSERT_EQ(code.pixelIndex(ox + x, oy + y), std::max(std::abs(x - 3), std::abs(y - 3)) != 2 ? 1 : 0)
            << ox << "," << oy << " module " << x << "," << y;
  EXPECT_EQ(code.pixelIndex(3, 3), 0);

  const QString pdf = QString::fromStdString(dir.File("poster.pdf"));
  InDialog([&](LDlgLive* d) {
    d->port->setValue(18123);
    d->localOnly->setChecked(true);
    d->start->click();
    d->SetPdfOutput(pdf);
    d->print->click();
    d->stop->click();
  });
  QProcess text;
  text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
  ASSERT_TRUE(text.waitForFinished(10000));
  const QString printed = QString::fromUtf8(text.readAllStandardOutput());
  EXPECT_TRUE(printed.contains(QStringLiteral("Open Zaalkampioenschap")) &&
              printed.contains(QStringLiteral("http://127.0.0.1:18123/")))
      << printed.toStdString();
}

}  // namespace
}  // namespace velgram::testing
