#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include "app/widgets/grid.h"
#include "app/printing/print_layout.h"
#include "app/printing/print_preview.h"
#include "common/fakes.h"
#include "store/database.h"

namespace velgram {
namespace {

using testing::FakePrompter;
using testing::TempDir;

// Pages of a PDF file as Qt writes it: one "/Type /Page" object per page
// besides the one "/Type /Pages" tree.
int PdfPageCount(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  const QByteArray bytes = file.readAll();
  return static_cast<int>(QString::fromLatin1(bytes).count(QRegularExpression("/Type\\s*/Page(?![s\\w])")));
}

// A participants list: the "Tafel" column is never filled, "Id" is hidden on
// screen as the panes hide their helper columns.
void FillParticipants(LGrid& grid, int rows) {
  grid.SetColumns(
      {{"Naam"}, {"Vereniging"}, {"Speelsterkte", SortKind::Number}, {"Klasse"}, {"Tafel"}, {"Id"}, {"E-mailadres"}});
  grid.BeginUpdate();
  for (int i = 0; i < rows; ++i)
    grid.AddRow({QString("Speler %1").arg(i), QString("TTV De Batjes %1").arg(i % 7), QString::number(1000 + i),
                 QString(QChar('A' + i % 4)), "", QString::number(i), QString("speler%1@voorbeeld.nl").arg(i)},
                i + 1);
  grid.EndUpdate();
  grid.SetColumnHidden(5, true);
  grid.AutoSize();
}

std::vector<int> Sources(const GridPrintLayout& layout) {
  std::vector<int> s;
  for (const auto& c : layout.columns) s.push_back(c.source);
  return s;
}

// A4 portrait at 96 dots per inch, printable from edge to edge.
constexpr int kPageW = 794, kPageH = 1123;

TEST(PrintLayout, ColumnsFollowTheScreenTheEmptyColumnRuleAndTheExtraSpace) {
  LGrid grid;
  FillParticipants(grid, 30);
  GridPrintSetup setup;
  EXPECT_EQ(Sources(LayoutGridPages(grid, kPageW, kPageH, 96, setup)), (std::vector<int>{0, 1, 2, 3, 4, 6}));

  setup.hideEmptyColumns = true;
  setup.extraSpace = 100;
  const GridPrintLayout layout = LayoutGridPages(grid, kPageW, kPageH, 96, setup);
  EXPECT_EQ(Sources(layout), (std::vector<int>{0, 1, 2, 3, 6, -1}));
  EXPECT_DOUBLE_EQ(layout.columns.back().width, 100);
  // The print leaves the list on screen as it was.
  EXPECT_FALSE(grid.isColumnHidden(4));
  EXPECT_TRUE(grid.isColumnHidden(5));

  // A list without rows keeps its columns: there is nothing to judge them by.
  LGrid empty;
  empty.SetColumns({{"Naam"}, {"Tafel"}});
  EXPECT_EQ(LayoutGridPages(empty, kPageW, kPageH, 96, setup).columns.size(), 3u);
  EXPECT_EQ(LayoutGridPages(empty, kPageW, kPageH, 96, setup).PageCount(), 1);
}

TEST(PrintLayout, RowHeightDecidesHowManyRowsFitAndEveryRowLandsOnOnePage) {
  LGrid grid;
  FillParticipants(grid, 120);
  GridPrintSetup setup;
  const GridPrintLayout natural = LayoutGridPages(grid, kPageW, kPageH, 96, setup);
  setup.rowHeight = 50;
  const GridPrintLayout tall = LayoutGridPages(grid, kPageW, kPageH, 96, setup);
  setup.rowHeight = 10;
  const GridPrintLayout low = LayoutGridPages(grid, kPageW, kPageH, 96, setup);

  EXPECT_GT(tall.PageCount(), natural.PageCount());
  EXPECT_LT(low.PageCount(), natural.PageCount());
  EXPECT_LT(low.textScale, 1.0);  // the text shrinks into the low rows
  EXPECT_DOUBLE_EQ(natural.textScale, 1.0);
  for (const GridPrintLayout* l : {&natural, &tall, &low}) {
    // The rows of a page fit between the header and the footer ...
    const double used =
        l->headerHeight + (l->titleRowHeight + l->rowsPerPage * l->rowHeight) * l->gridScale + l->footerHeight;
    EXPECT_LE(used, kPageH + 0.5);
    // ... one more would not, and the last page holds what is left.
    EXPECT_GT(used + l->rowHeight * l->gridScale, kPageH);
    EXPECT_LT(l->FirstRow(l->PageCount()), 120);
    EXPECT_GE(l->FirstRow(l->PageCount()) + l->rowsPerPage, 120);
  }
}

TEST(PrintLayout, TheListIsScaledToThePageWidthAndExtraSpaceMakesItSmaller) {
  auto tableWidth = [](const GridPrintLayout& l) {
    double w = 0;
    for (const auto& c : l.columns) w += c.width;
    return w * l.gridScale;
  };
  LGrid grid;
  FillParticipants(grid, 5);
  GridPrintSetup setup;
  const GridPrintLayout narrow = LayoutGridPages(grid, kPageW, kPageH, 96, setup);
  EXPECT_GT(narrow.gridScale, 1.0);
  EXPECT_LE(tableWidth(narrow), kPageW - 1 + 0.01);
  setup.extraSpace = 100;
  const GridPrintLayout spaced = LayoutGridPages(grid, kPageW, kPageH, 96, setup);
  EXPECT_LT(spaced.gridScale, narrow.gridScale);
  EXPECT_NEAR(tableWidth(spaced), kPageW - 1, 0.01);
  // A smaller scale fits more rows on a page.
  EXPECT_GT(spaced.rowsPerPage, narrow.rowsPerPage);

  grid.SetCell(0, 1, QString(300, QChar('W')));
  setup.extraSpace = 0;
  const GridPrintLayout wide = LayoutGridPages(grid, kPageW, kPageH, 96, setup);
  EXPECT_LT(wide.gridScale, 1.0);
  EXPECT_NEAR(tableWidth(wide), kPageW - 1, 0.01);

  // Two short columns are enlarged no more than the limit.
  LGrid tiny;
  tiny.SetColumns({{"Nr"}, {"Tafel"}});
  tiny.AddRow({"1", "2"});
  const GridPrintLayout small = LayoutGridPages(tiny, kPageW, kPageH, 96, setup);
  EXPECT_DOUBLE_EQ(small.gridScale, kMaxPrintMagnification);
  EXPECT_LT(tableWidth(small), kPageW / 2);

  // The same list on a 600 dpi printer has the same shape in device units.
  const GridPrintLayout fine = LayoutGridPages(grid, kPageW * 600 / 96, kPageH * 600 / 96, 600, setup);
  EXPECT_NEAR(fine.gridScale, wide.gridScale, 1e-3);
  EXPECT_EQ(fine.rowsPerPage, wide.rowsPerPage);

  // The size of the chosen font does not count, its face and weight do.
  setup.contentFont = QFont("Arial", 30);
  EXPECT_EQ(LayoutGridPages(grid, kPageW, kPageH, 96, setup).contentFont.pixelSize(), wide.contentFont.pixelSize());
  setup.contentFont.setBold(true);
  EXPECT_TRUE(LayoutGridPages(grid, kPageW, kPageH, 96, setup).contentFont.bold());
}

TEST(PrintLayout, MeasuredWidthsHoldTheShapedTextAndBarelyMore) {
  for (const QFont& font :
       {PrintPixelFont(QFont("Arial", 10)), PrintPixelFont(QFont("Courier New", 12, QFont::Bold))}) {
    TextMeasurer measurer(font);
    const QFontMetricsF shaped(font);
    for (const QString& text : {QString("Speler 1234"), QString("AVAVAV Wij, 't Fortuin"),
                                QString::fromUtf8("Zürich café"), QString::fromUtf8("Łódź – Ελλάδα"), QString()}) {
      const double w = measurer.Width(text);
      EXPECT_GE(w + 0.5, shaped.horizontalAdvance(text)) << text.toStdString();
      EXPECT_LE(w, shaped.horizontalAdvance(text) * 1.1 + 1) << text.toStdString();
    }
    // Cached advances give the same answer the second time.
    EXPECT_DOUBLE_EQ(measurer.Width("Speler 1234"), measurer.Width("Speler 1234"));
  }
}

// The vertical rules of the table, counted on a line through the top of the
// first data row, where no text reaches.
int VerticalRules(const LGrid& grid, const GridPrintSetup& setup) {
  QImage image(kPageW, kPageH, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  const GridPageInfo info = grid.RenderPage(painter, kPageW, kPageH, 96, 1, setup);
  painter.end();
  EXPECT_GE(info.pageCount, 1);
  const GridPrintLayout layout = LayoutGridPages(grid, kPageW, kPageH, 96, setup);
  const int y = static_cast<int>(layout.headerHeight + (layout.titleRowHeight + 2) * layout.gridScale);
  int rules = 0;
  bool inRule = false;
  for (int x = 0; x < kPageW; ++x) {
    const bool ink = image.pixelColor(x, y) != QColor(Qt::white);
    if (ink && !inRule) ++rules;
    inRule = ink;
  }
  return rules;
}

TEST(PrintLayout, TheExtraColumnIsDrawnAndEmptyColumnsAreNot) {
  LGrid grid;
  FillParticipants(grid, 10);
  GridPrintSetup setup;
  EXPECT_EQ(VerticalRules(grid, setup), 7);  // six columns
  setup.extraSpace = 100;
  EXPECT_EQ(VerticalRules(grid, setup), 8);
  setup.hideEmptyColumns = true;
  EXPECT_EQ(VerticalRules(grid, setup), 7);  // without "Tafel"
}

// --- the preview dialog ------------------------------------------------------

class PrintPreviewTest : public ::testing::Test {
 protected:
  TempDir dir;
  Database db{dir.File("Velgram.db")};
  FakePrompter prompter;
  LGrid grid;
};

TEST_F(PrintPreviewTest, PrintsTheParticipantsWithItsChoicesIntoAPdf) {
  FillParticipants(grid, 120);
  db.SetSetting("ExtraSpacePanePlayers", "100");
  db.SetSetting("RowHeightPanePlayers", "50");
  db.SetSetting("DelEmptyColumnsPanePlayers", "1");
  db.SetSetting("RowHeightPaneMatches", "200");  // another list's choice

  LDlgPrintPreview dialog(db, prompter, grid, "PanePlayers", "Alle deelnemers");
  const QString path = QString::fromStdString(dir.File("PanePlayers.pdf"));
  dialog.SetPdfOutput(path);
  EXPECT_EQ(dialog.ExtraSpaceField()->text(), "100");
  EXPECT_EQ(dialog.RowHeightField()->text(), "50");
  EXPECT_TRUE(dialog.EmptyColumnsBox()->isChecked());
  const GridPrintSetup setup = dialog.CurrentSetup();
  EXPECT_EQ(setup.rowHeight, 50);
  EXPECT_EQ(setup.extraSpace, 100);
  EXPECT_TRUE(setup.hideEmptyColumns);
  EXPECT_EQ(setup.subtitle, "Alle deelnemers");

  const QRect area = dialog.Printer()->pageLayout().paintRectPixels(dialog.Printer()->resolution());
  const GridPrintLayout layout =
      LayoutGridPages(grid, area.width(), area.height(), dialog.Printer()->resolution(), setup);
  EXPECT_EQ(Sources(layout), (std::vector<int>{0, 1, 2, 3, 6, -1}));
  const int pages = dialog.PageCount();
  EXPECT_EQ(pages, layout.PageCount());
  EXPECT_GT(pages, 2);
  EXPECT_EQ(dialog.PageCountLabel()->text(), QString("Aantal pagina's: %1").arg(pages));

  QTest::mouseClick(dialog.PrintButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(PdfPageCount(path), pages);
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{"De lijst is opgeslagen in het PDF-bestand:\r\n" +
                                                      path.toStdString()});
  EXPECT_FALSE(grid.isColumnHidden(4));  // "Tafel" is back on screen
  EXPECT_EQ(grid.ColumnCount(), 7);
}

TEST_F(PrintPreviewTest, APdfThatCannotBeWrittenIsReportedAndTheDialogStays) {
  FillParticipants(grid, 10);
  LDlgPrintPreview dialog(db, prompter, grid, "PanePlayers", "");
  const std::string path = dir.File("geen/map/x.pdf");
  dialog.SetPdfOutput(QString::fromStdString(path));
  EXPECT_FALSE(dialog.PrintNow());
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{"Kan het PDF-bestand " + path + " niet schrijven."});
}

TEST_F(PrintPreviewTest, WithoutAnyPrinterItOffersAPdfFileInsteadOfClosing) {
  if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "this system has a default printer";
  FillParticipants(grid, 10);
  LDlgPrintPreview dialog(db, prompter, grid, "PanePlayers", "");
  EXPECT_TRUE(dialog.PrintsToPdf());
  EXPECT_FALSE(dialog.NoteLabel()->isHidden());
  EXPECT_TRUE(dialog.NoteLabel()->text().contains("PDF"));
  EXPECT_EQ(dialog.PageCount(), 1);
  EXPECT_TRUE(prompter.alerts.empty());  // no "Geen standaard printer"
  EXPECT_FALSE(dialog.PrintButton()->isHidden());
}

TEST_F(PrintPreviewTest, PageButtonsShowOnlyWhereThereIsAPageToGoTo) {
  FillParticipants(grid, 200);
  LDlgPrintPreview dialog(db, prompter, grid, "PanePlayers", "");
  dialog.SetPdfOutput(QString::fromStdString(dir.File("x.pdf")));
  ASSERT_GT(dialog.PageCount(), 2);
  EXPECT_EQ(dialog.CurrentPage(), 1);
  EXPECT_TRUE(dialog.PreviousButton()->isHidden());
  EXPECT_FALSE(dialog.NextButton()->isHidden());
  EXPECT_FALSE(dialog.FewerPagesButton()->isHidden());

  QTest::mouseClick(dialog.NextButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.CurrentPage(), 2);
  EXPECT_FALSE(dialog.PreviousButton()->isHidden());
  while (!dialog.NextButton()->isHidden()) QTest::mouseClick(dialog.NextButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.CurrentPage(), dialog.PageCount());
  dialog.NextPage();  // never past the last page
  EXPECT_EQ(dialog.CurrentPage(), dialog.PageCount());

  // Fewer rows on the page than the current page needs: back to the last one.
  db.SetSetting("RowHeightPanePlayers", "10");
  dialog.RowHeightField()->setText("10");
  dialog.CommitFields();
  EXPECT_EQ(dialog.CurrentPage(), dialog.PageCount());
  for (int i = 0; i < 10; ++i) dialog.PreviousPage();
  EXPECT_EQ(dialog.CurrentPage(), 1);
  EXPECT_TRUE(dialog.PreviousButton()->isHidden());
}

TEST_F(PrintPreviewTest, MoreAndFewerPagesStepTheRowHeightByTenWithinBounds) {
  FillParticipants(grid, 20);
  LDlgPrintPreview dialog(db, prompter, grid, "PaneTables", "");
  dialog.SetPdfOutput(QString::fromStdString(dir.File("x.pdf")));
  ASSERT_EQ(dialog.PageCount(), 1);
  EXPECT_TRUE(dialog.FewerPagesButton()->isHidden());

  QTest::mouseClick(dialog.MorePagesButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.PageCount(), 2);
  const int raised = std::stoi(db.GetSetting("RowHeightPaneTables"));
  EXPECT_EQ(dialog.RowHeightField()->text().toInt(), raised);
  // The smallest step that gives a second page: ten less would not.
  GridPrintSetup setup = dialog.CurrentSetup();
  setup.rowHeight = raised - 10;
  const QRect area = dialog.Printer()->pageLayout().paintRectPixels(dialog.Printer()->resolution());
  EXPECT_EQ(grid.PageCount(area.width(), area.height(), dialog.Printer()->resolution(), setup), 1);
  EXPECT_TRUE(db.GetSetting("RowHeightPaneMatches").empty());

  QTest::mouseClick(dialog.FewerPagesButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.PageCount(), 1);
  EXPECT_EQ(std::stoi(db.GetSetting("RowHeightPaneTables")), raised - 10);

  // One row never needs a second page: the search ends below 500.
  LGrid single;
  FillParticipants(single, 1);
  LDlgPrintPreview one(db, prompter, single, "PaneOne", "");
  one.SetPdfOutput(QString::fromStdString(dir.File("y.pdf")));
  one.MorePages();
  EXPECT_EQ(one.PageCount(), 1);
  const int top = std::stoi(db.GetSetting("RowHeightPaneOne"));
  EXPECT_LE(top, 500);
  EXPECT_GT(top, 490);
}

TEST_F(PrintPreviewTest, TypedFieldsAndTheCheckBoxAreSavedPerPrintKey) {
  FillParticipants(grid, 40);
  LDlgPrintPreview dialog(db, prompter, grid, "PaneMatches", "");
  dialog.SetPdfOutput(QString::fromStdString(dir.File("x.pdf")));
  const int before = dialog.PageCount();
  QTest::keyClicks(dialog.RowHeightField(), "90");
  QTest::keyClicks(dialog.ExtraSpaceField(), "120");
  EXPECT_TRUE(db.GetSetting("RowHeightPaneMatches").empty());  // not before the pause
  QTest::qWait(700);
  EXPECT_EQ(db.GetSetting("RowHeightPaneMatches"), "90");
  EXPECT_EQ(db.GetSetting("ExtraSpacePaneMatches"), "120");
  EXPECT_GT(dialog.PageCount(), before);

  dialog.EmptyColumnsBox()->setChecked(true);
  EXPECT_EQ(db.GetSetting("DelEmptyColumnsPaneMatches"), "1");
  dialog.EmptyColumnsBox()->setChecked(false);
  EXPECT_EQ(db.GetSetting("DelEmptyColumnsPaneMatches"), "0");

  // The fonts: the global print font unless the key has its own.
  db.SetSetting("PrintFont", "Courier New,12,700,1,49,0");
  EXPECT_EQ(PrintSettings::Load(db, "PaneTables").contentFont, "Courier New,12,700,1,49,0");
  EXPECT_EQ(PrintSettings::Load(db, "PaneTables").headerFont, "Courier New,12,700,1,49,0");
  db.SetSetting("PrinterFontPaneTables", "Arial,8,400,1,34,1");
  EXPECT_EQ(PrintSettings::Load(db, "PaneTables").headerFont, "Arial,8,400,1,34,1");
  EXPECT_TRUE(PrintSettings::Load(db, "PaneTables").Setup().headerFont.italic());
  EXPECT_EQ(PrintSettings::Load(db, "PaneX").contentFont, "Courier New,12,700,1,49,0");
}

}  // namespace
}  // namespace velgram
