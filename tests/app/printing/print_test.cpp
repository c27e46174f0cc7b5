// The print layout of a list, the preview dialog and where a PDF goes.
#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QTest>
#include <numeric>

#include "app/panes/pane_participants.h"
#include "app/printing/print_layout.h"
#include "app/printing/print_preview.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

// Pages of a PDF as Qt writes it: a "/Type /Page" object each, besides "/Type /Pages".
int PdfPageCount(const std::string& path) {
  return static_cast<int>(QString::fromLatin1(ReadFileBytes(path)).count(QRegularExpression("/Type\\s*/Page(?![s\\w])")));
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
double TableWidth(const GridPrintLayout& l) {
  return l.gridScale * std::accumulate(l.columns.begin(), l.columns.end(), 0.0, [](double w, const auto& c) { return w + c.width; });
}

// A4 portrait at 96 dots per inch, printable from edge to edge.
constexpr int kPageW = 794, kPageH = 1123;

GridPrintLayout Layout(const LGrid& grid, const GridPrintSetup& setup) {
  return LayoutGridPages(grid, kPageW, kPageH, 96, setup);
}

// The vertical rules drawn on a line through the top of the first data row,
// where no text reaches.
int VerticalRules(const LGrid& grid, const GridPrintSetup& setup) {
  QImage image(kPageW, kPageH, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    grid.RenderPage(painter, kPageW, kPageH, 96, 1, setup);
  }
  const GridPrintLayout layout = Layout(grid, setup);
  const int y = static_cast<int>(layout.headerHeight + (layout.titleRowHeight + 2) * layout.gridScale);
  int rules = 0;
  bool inRule = false;
  for (int x = 0; x < kPageW; ++x) {
    const bool ink = image.pixelColor(x, y) != QColor(Qt::white);
    rules += ink && !inRule;
    inRule = ink;
  }
  return rules;
}

// The printed columns are the shown ones, without the empty ones when asked,
// with an extra empty column when asked; the drawing follows.
TEST(PrintLayout, ColumnsFollowTheScreenTheEmptyColumnRuleAndTheExtraSpace) {
  LGrid grid;
  FillParticipants(grid, 10);
  for (auto [hideEmpty, extra, sources] : {std::tuple{false, 0, std::vector<int>{0, 1, 2, 3, 4, 6}},
                                          {false, 100, {0, 1, 2, 3, 4, 6, -1}}, {true, 100, {0, 1, 2, 3, 6, -1}}}) {
    SCOPED_TRACE(sources.size() * 10 + hideEmpty);
    GridPrintSetup setup;
    setup.hideEmptyColumns = hideEmpty;
    setup.extraSpace = extra;
    const GridPrintLayout layout = Layout(grid, setup);
    EXPECT_EQ(Sources(layout), sources);
    EXPECT_EQ(VerticalRules(grid, setup), static_cast<int>(sources.size()) + 1);
  }
  EXPECT_TRUE(!grid.isColumnHidden(4) && grid.isColumnHidden(5));  // the list on screen stays as it was
  // A list without rows keeps its columns: there is nothing to judge them by.
  GridPrintSetup setup;
  setup.hideEmptyColumns = true;
  LGrid empty;
  empty.SetColumns({{"Naam"}, {"Tafel"}});
  EXPECT_EQ(std::pair(Layout(empty, setup).columns.size(), Layout(empty, setup).PageCount()), std::pair(size_t{2}, 1));
  // In the tables chart a column of coloured cells is not empty, unless the
  // colour is the list's own background.
  LGrid chart;
  chart.SetColumns({{"Tijdvak"}, {"1"}, {"2"}, {"3"}});
  chart.SetColors(Qt::black, QColor(254, 255, 255));
  for (int r = 0; r < 3; ++r) chart.AddRow({QString("%1:00").arg(9 + r)});
  chart.SetCellColors(1, 1, QColor(), QColor(0, 160, 0));
  chart.SetCellColors(2, 3, QColor(), QColor(254, 255, 255));
  EXPECT_EQ(Sources(Layout(chart, setup)), (std::vector<int>{0, 1}));
}

// Rows fit the page height, every row on one page; the list is scaled to the
// page width, extra space makes it smaller, a small list grows.
TEST(PrintLayout, RowsAndWidthFitThePage) {
  LGrid grid;
  FillParticipants(grid, 120);
  GridPrintSetup setup;
  const GridPrintLayout natural = Layout(grid, setup);
  setup.rowHeight = 50;
  const GridPrintLayout tall = Layout(grid, setup);
  setup.rowHeight = 10;
  const GridPrintLayout low = Layout(grid, setup);
  EXPECT_TRUE(tall.PageCount() > natural.PageCount() && low.PageCount() < natural.PageCount());
  EXPECT_TRUE(low.textScale < 1.0 && natural.textScale == 1.0);
  for (const GridPrintLayout* l : {&natural, &tall, &low}) {
    const double used =
        l->headerHeight + (l->titleRowHeight + l->rowsPerPage * l->rowHeight) * l->gridScale + l->footerHeight;
    EXPECT_LE(used, kPageH + 0.5);
    EXPECT_GT(used + l->rowHeight * l->gridScale, kPageH);  // one more row would not fit
    EXPECT_LT(l->FirstRow(l->PageCount()), 120);
    EXPECT_GE(l->FirstRow(l->PageCount()) + l->rowsPerPage, 120);
  }
  FillParticipants(grid, 5);
  setup = {};
  const GridPrintLayout narrow = Layout(grid, setup);
  EXPECT_GT(narrow.gridScale, 1.0);
  EXPECT_LE(TableWidth(narrow), kPageW - 1 + 0.01);
  setup.extraSpace = 100;
  const GridPrintLayout spaced = Layout(grid, setup);
  EXPECT_LT(spaced.gridScale, narrow.gridScale);
  EXPECT_NEAR(TableWidth(spaced), kPageW - 1, 0.01);
  grid.SetCell(0, 1, QString(300, QChar('W')));
  setup.extraSpace = 0;
  const GridPrintLayout wide = Layout(grid, setup);
  EXPECT_LT(wide.gridScale, 1.0);
  EXPECT_NEAR(TableWidth(wide), kPageW - 1, 0.01);
  // The same list on a 600 dpi printer has the same shape in device units.
  const GridPrintLayout fine = LayoutGridPages(grid, kPageW * 600 / 96, kPageH * 600 / 96, 600, setup);
  EXPECT_NEAR(fine.gridScale, wide.gridScale, 1e-3);
  EXPECT_EQ(fine.rowsPerPage, wide.rowsPerPage);
  // The size of the chosen font does not count, its face and weight do.
  setup.contentFont = QFont("Arial", 30, QFont::Bold);
  EXPECT_EQ(std::pair(Layout(grid, setup).contentFont.pixelSize(), Layout(grid, setup).contentFont.bold()),
            std::pair(wide.contentFont.pixelSize(), true));
}

TEST(PrintLayout, MeasuredWidthsHoldTheShapedTextAndBarelyMoreAndPdfNames) {
  for (const QFont& font :
       {PrintPixelFont(QFont("Arial", 10)), PrintPixelFont(QFont("Courier New", 12, QFont::Bold))}) {
    TextMeasurer measurer(font);
    const QFontMetricsF shaped(font);
    for (const QString& text : {QString("Speler 1234"), QString("AVAVAV Wij, 't Fortuin"),
                                QString::fromUtf8("Zürich café"), QString::fromUtf8("Łódź – Ελλάδα"), QString()}) {
      SCOPED_TRACE(text.toStdString());
      const double w = measurer.Width(text);
      EXPECT_GE(w + 0.5, shaped.horizontalAdvance(text));
      EXPECT_LE(w, shaped.horizontalAdvance(text) * 1.1 + 1);
      EXPECT_DOUBLE_EQ(measurer.Width(text), w);  // the cached advances give the same
    }
  }
  // The offered PDF is named after the list and the day.
  EXPECT_EQ(LDlgPrintPreview::SuggestedPdfPath("/d", "Poule A/B: finale?", QDate(2024, 11, 30)),
            "/d/Poule A-B- finale- 2024-11-30.pdf");
}

class PrintPreviewTest : public ShellTest {
 protected:
  std::unique_ptr<LDlgPrintPreview> Preview(int rows, const std::string& key, const char* pdf = "x.pdf") {
    FillParticipants(grid, rows);
    auto d = std::make_unique<LDlgPrintPreview>(db(), prompter, grid, key, "Alle deelnemers");
    d->SetPdfOutput(QString::fromStdString(dir.File(pdf)));
    return d;
  }
  int PagesAt(LDlgPrintPreview& d, const GridPrintSetup& setup) {
    const QRect area = d.Printer()->pageLayout().paintRectPixels(d.Printer()->resolution());
    return LayoutGridPages(grid, area.width(), area.height(), d.Printer()->resolution(), setup).PageCount();
  }
  LGrid grid;
};

// The choices kept under the list's key make the layout, and the pages of
// that layout land in the PDF; a PDF that cannot be written is told.
TEST_F(PrintPreviewTest, ChoicesAreKeptPerListAndMakeThePagesOfThePdf) {
  for (auto [key, value] : {std::pair{"ExtraSpacePanePlayers", "100"}, {"RowHeightPanePlayers", "50"},
                            {"DelEmptyColumnsPanePlayers", "1"}, {"RowHeightPaneMatches", "200"}})
    db().SetSetting(key, value);
  auto dialog = Preview(120, "PanePlayers");
  EXPECT_EQ(std::tuple(dialog->ExtraSpaceField()->text(), dialog->RowHeightField()->text(),
                       dialog->EmptyColumnsBox()->isChecked()), std::tuple("100", "50", true));
  const GridPrintSetup setup = dialog->CurrentSetup();
  EXPECT_EQ(std::tuple(setup.rowHeight, setup.extraSpace, setup.hideEmptyColumns, setup.subtitle),
            std::tuple(50, 100, true, QString("Alle deelnemers")));
  const int pages = PagesAt(*dialog, setup);
  EXPECT_GT(pages, 2);
  EXPECT_EQ(std::pair(dialog->PageCount(), dialog->PageCountLabel()->text()),
            std::pair(pages, QString("Aantal pagina's: %1").arg(pages)));
  QTest::mouseClick(dialog->PrintButton(), Qt::LeftButton);
  EXPECT_EQ(std::pair(dialog->result(), PdfPageCount(dir.File("x.pdf"))), std::pair(int(QDialog::Accepted), pages));
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{"De lijst is opgeslagen in het PDF-bestand:\r\n" + dir.File("x.pdf")});
  EXPECT_FALSE(grid.isColumnHidden(4));  // "Tafel" is back on screen
  auto failing = Preview(10, "PanePlayers", "geen/map/x.pdf");
  EXPECT_FALSE(failing->PrintNow() || failing->result() == QDialog::Accepted);
  EXPECT_EQ(prompter.alerts.back(), "Kan het PDF-bestand " + dir.File("geen/map/x.pdf") + " niet schrijven.");
  // Typed fields are kept after a pause in typing, the box at once.
  auto tables = Preview(40, "PaneTables");
  const int before = tables->PageCount();
  QTest::keyClicks(tables->RowHeightField(), "90");
  QTest::keyClicks(tables->ExtraSpaceField(), "120");
  EXPECT_TRUE(db().GetSetting("RowHeightPaneTables").empty());
  QTest::qWait(700);
  EXPECT_EQ(db().GetSetting("RowHeightPaneTables") + "|" + db().GetSetting("ExtraSpacePaneTables"), "90|120");
  EXPECT_GT(tables->PageCount(), before);
  for (bool on : {true, false}) {
    tables->EmptyColumnsBox()->setChecked(on);
    EXPECT_EQ(db().GetSetting("DelEmptyColumnsPaneTables"), on ? "1" : "0");
  }
  // The fonts: the global print font unless the key has its own.
  for (auto [key, font] : {std::pair{"PrintFont", "Courier New,12,700,1,49,0"}, {"PrinterFontPaneTables", "Arial,8,400,1,34,1"}})
    db().SetSetting(key, font);
  const PrintSettings fonts = PrintSettings::Load(db(), "PaneTables");
  EXPECT_EQ(fonts.contentFont + "|" + fonts.headerFont, "Courier New,12,700,1,49,0|Arial,8,400,1,34,1");
  EXPECT_TRUE(fonts.Setup().headerFont.italic());
  EXPECT_EQ(PrintSettings::Load(db(), "PaneX").headerFont, "Courier New,12,700,1,49,0");
}

// Page buttons only where there is a page to go to. "Meer pagina's" raises the
// row height by tens to another page, "Minder" lowers it by ten; up to 500.
TEST_F(PrintPreviewTest, PageButtonsAndMoreAndFewerPages) {
  auto dialog = Preview(200, "PanePlayers");
  ASSERT_GT(dialog->PageCount(), 2);
  EXPECT_EQ(dialog->CurrentPage(), 1);
  EXPECT_TRUE(dialog->PreviousButton()->isHidden() && !dialog->NextButton()->isHidden());
  EXPECT_FALSE(dialog->FewerPagesButton()->isHidden());
  while (!dialog->NextButton()->isHidden()) QTest::mouseClick(dialog->NextButton(), Qt::LeftButton);
  EXPECT_EQ(dialog->CurrentPage(), dialog->PageCount());
  EXPECT_FALSE(dialog->PreviousButton()->isHidden());
  QTest::mouseClick(dialog->PreviousButton(), Qt::LeftButton);
  EXPECT_EQ(dialog->CurrentPage(), dialog->PageCount() - 1);
  dialog->RowHeightField()->setText("10");  // fewer pages than the current one: back to the last
  dialog->CommitFields();
  EXPECT_EQ(dialog->CurrentPage(), dialog->PageCount());
  dialog.reset();
  auto tables = Preview(20, "PaneTables");
  ASSERT_TRUE(tables->PageCount() == 1 && tables->FewerPagesButton()->isHidden());
  QTest::mouseClick(tables->MorePagesButton(), Qt::LeftButton);
  const int raised = db().GetSettingInt("RowHeightPaneTables");
  EXPECT_EQ(std::pair(tables->PageCount(), tables->RowHeightField()->text().toInt()), std::pair(2, raised));
  GridPrintSetup setup = tables->CurrentSetup();
  setup.rowHeight = raised - 10;
  EXPECT_EQ(PagesAt(*tables, setup), 1);
  QTest::mouseClick(tables->FewerPagesButton(), Qt::LeftButton);
  EXPECT_EQ(std::pair(tables->PageCount(), db().GetSettingInt("RowHeightPaneTables")), std::pair(1, raised - 10));
  tables.reset();
  auto one = Preview(1, "PaneOne", "y.pdf");
  one->MorePages();
  EXPECT_EQ(one->PageCount(), 1);
  EXPECT_TRUE(db().GetSettingInt("RowHeightPaneOne") > 490 && db().GetSettingInt("RowHeightPaneOne") <= 500);
}

// Without a printer: a PDF named after the list in the documents folder.
TEST_F(PrintPreviewTest, WithoutAnyPrinterItOffersAPdfFileInTheDocuments) {
  if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "this system has a default printer";
  const QByteArray home = qgetenv("HOME");
  qputenv("HOME", QByteArray::fromStdString(dir.Path()));
  QDir().mkpath(QString::fromStdString(dir.File("Documents")));
  OpenTournament();
  AddPlayer("Jan Jansen", 1500, "TTV De Batjes", "A");
  LPanePlayers pane(*app);
  pane.Refresh();
  LDlgPrintPreview dialog(db(), prompter, *pane.Grid(), "PanePlayers", "", &pane);
  ASSERT_TRUE(dialog.PrintsToPdf());
  EXPECT_TRUE(!dialog.NoteLabel()->isHidden() && dialog.NoteLabel()->text().contains("PDF"));
  const QString expected = QString::fromStdString(dir.Path()) + "/Documents/Deelnemers " +
                           QDate::currentDate().toString("yyyy-MM-dd") + ".pdf";
  QString offered;
  OnModal<QFileDialog>([&](QFileDialog* files) {
    offered = files->selectedFiles().value(0);
    static_cast<QDialog*>(files)->accept();  // public there
  });
  QTest::mouseClick(dialog.PrintButton(), Qt::LeftButton);
  qputenv("HOME", home);
  EXPECT_EQ(offered, expected);
  EXPECT_EQ(prompter.alerts,
            std::vector<std::string>{"De lijst is opgeslagen in het PDF-bestand:\r\n" + expected.toStdString()});
  EXPECT_TRUE(QFile::exists(expected));
}

}  // namespace
}  // namespace velgram::testing
