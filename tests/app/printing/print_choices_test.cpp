// What the print preview leaves out and where a PDF file goes.
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTest>

#include "app/panes/pane_participants.h"
#include "app/printing/print_layout.h"
#include "app/printing/print_preview.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

TEST(PrintLayout, AColumnOfColouredCellsIsNotEmpty) {
  // The tables chart: a time slot, then one column per table whose cells
  // only carry the colour of a busy or a late table.
  LGrid chart;
  chart.SetColumns({{"Tijdvak"}, {"1"}, {"2"}, {"3"}});
  chart.SetColors(Qt::black, QColor(254, 255, 255));
  for (int r = 0; r < 3; ++r) chart.AddRow({QString("%1:00").arg(9 + r)});
  chart.SetCellColors(1, 1, QColor(), QColor(0, 160, 0));
  chart.SetCellColors(2, 3, QColor(), QColor(254, 255, 255));  // the list's own background is no mark
  GridPrintSetup setup;
  setup.hideEmptyColumns = true;
  std::vector<int> sources;
  for (const auto& c : LayoutGridPages(chart, 794, 1123, 96, setup).columns) sources.push_back(c.source);
  EXPECT_EQ(sources, (std::vector<int>{0, 1}));
}

TEST(PrintPdf, TheOfferedFileIsNamedAfterTheListAndTheDay) {
  EXPECT_EQ(LDlgPrintPreview::SuggestedPdfPath("/home/jan/Documenten", "Deelnemers", QDate(2024, 3, 9)),
            "/home/jan/Documenten/Deelnemers 2024-03-09.pdf");
  EXPECT_EQ(LDlgPrintPreview::SuggestedPdfPath("/d", "Poule A/B: finale?", QDate(2024, 11, 30)),
            "/d/Poule A-B- finale- 2024-11-30.pdf");
}

class PrintPdfTest : public ShellTest {
 protected:
  void SetUp() override {
    home = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(dir.Path()));
    QDir(QString::fromStdString(dir.Path())).mkpath("Documents");
  }
  void TearDown() override { qputenv("HOME", home); }
  QByteArray home;
};

TEST_F(PrintPdfTest, APrintToPdfOffersTheListsNameInTheDocumentsAndSaysWhereItWent) {
  if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "this system has a default printer";
  OpenTournament();
  AddPlayer("Jan Jansen", 1500, "TTV De Batjes", "A");
  LPanePlayers pane(*app);
  pane.Refresh();
  LDlgPrintPreview dialog(db(), prompter, *pane.Grid(), "PanePlayers", "", &pane);
  ASSERT_TRUE(dialog.PrintsToPdf());
  const QString expected = QString::fromStdString(dir.Path()) + "/Documents/Deelnemers " +
                           QDate::currentDate().toString("yyyy-MM-dd") + ".pdf";
  QString offered;
  OnModal<QFileDialog>([&](QFileDialog* files) {
    offered = files->selectedFiles().value(0);
    static_cast<QDialog*>(files)->accept();  // public there
  });
  QTest::mouseClick(dialog.PrintButton(), Qt::LeftButton);
  EXPECT_EQ(offered, expected);
  EXPECT_TRUE(QFile::exists(expected));
  EXPECT_EQ(prompter.alerts,
            std::vector<std::string>{"De lijst is opgeslagen in het PDF-bestand:\r\n" + expected.toStdString()});
}

}  // namespace
}  // namespace velgram::testing
