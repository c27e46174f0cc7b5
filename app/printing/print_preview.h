#pragma once
// The print preview of a list: the pages as they will come out, the printer,
// two fonts, extra space at the right, a fixed row height and leaving out
// empty columns, remembered per kind of list (the print key), and printing.
//
// Without any printer on the system (common on Linux) the dialog prints into
// a PDF file instead, and says so.
#include <QDate>
#include <QDialog>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>

#include "app/widgets/grid.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;

namespace velgram {

class Database;
class Prompter;

// The five choices of one print key, as stored in the settings.
struct PrintSettings {
  std::string contentFont;  // font text
  std::string headerFont;   // font text
  std::string extraSpace;   // as typed: "" or a number
  std::string rowHeight;
  bool delEmptyColumns = false;
  bool slips = false;  // "SlipLayout": the match slips instead of the list, where offered

  static PrintSettings Load(Database& db, const std::string& printKey);
  // The grid print setup these choices give (fonts, space, height, columns).
  GridPrintSetup Setup() const;
};

class LDlgPrintPreview;
class PageSource;

// The page image over the preview area, drawn by the grid itself.
class LFlyPreviewer : public QWidget {
  Q_OBJECT
 public:
  explicit LFlyPreviewer(LDlgPrintPreview& dialog, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  LDlgPrintPreview& dialog_;
};

class LDlgPrintPreview : public QDialog {
  Q_OBJECT
 public:
  // slips, when given, is offered as a second way to print the list (the
  // match slips); it must outlive the dialog.
  LDlgPrintPreview(Database& db, Prompter& prompter, LGrid& grid, const std::string& printKey, const QString& subtitle,
                   QWidget* parent = nullptr, const PageSource* slips = nullptr);
  ~LDlgPrintPreview() override;

  // Redoes the page layout now: page count, buttons, preview.
  void Relayout();

  int CurrentPage() const { return page_; }
  int PageCount() const { return pageCount_; }
  bool HasNextPage() const { return page_ < pageCount_; }
  bool PrintsToPdf() const;
  const PrintSettings& Settings() const { return settings_; }
  GridPrintSetup CurrentSetup() const;

  // The file name a print to PDF offers: the list's title and the date, in
  // the documents folder ("Deelnemers 2024-03-09.pdf").
  static QString SuggestedPdfPath(const QString& folder, const QString& listTitle, const QDate& date);
  const QString& ListTitle() const { return listTitle_; }

  // Prints into this PDF file instead of on a printer, without asking.
  void SetPdfOutput(const QString& path);
  // Takes an already set-up printer (the printer chooser's result).
  void SetPrinter(std::unique_ptr<QPrinter> printer);
  QPrinter* Printer() const { return printer_.get(); }

  // Controls, for the screens' tests.
  QPushButton* NextButton() const { return next_; }
  QPushButton* PreviousButton() const { return previous_; }
  QPushButton* MorePagesButton() const { return more_; }
  QPushButton* FewerPagesButton() const { return fewer_; }
  QPushButton* PrintButton() const { return print_; }
  QLineEdit* ExtraSpaceField() const { return extraSpace_; }
  QLineEdit* RowHeightField() const { return rowHeight_; }
  QCheckBox* EmptyColumnsBox() const { return delEmpty_; }
  QCheckBox* SlipsBox() const { return slipsBox_; }  // null unless slips are offered
  bool PrintsSlips() const { return slips_ && settings_.slips; }
  QLabel* PageCountLabel() const { return pageCountLabel_; }
  QLabel* NoteLabel() const { return note_; }

  void NextPage();
  void PreviousPage();
  void MorePages();
  void FewerPages();
  // Saves the typed extra space and row height now (normally 500 ms after
  // the last keystroke).
  void CommitFields();
  // "Afdrukken": true when printed.
  bool PrintNow();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class LFlyPreviewer;
  void BuildUi();
  void ChoosePrinter();
  void ChooseFont(bool content);
  void PlacePreview();
  void FitControls();
  void UpdateControls();
  void UseDefaultPrinter();
  void SearchRowHeight(int direction);
  int EffectiveRowHeight() const;
  void PaintPage(QPainter& painter, const QSize& size);
  int CountPages(const GridPrintSetup& setup) const;

  Database& db_;
  Prompter& prompter_;
  LGrid& grid_;
  const PageSource* slips_;
  std::string printKey_;
  QString subtitle_;
  QString caption_;
  QString listTitle_;  // the title of the pane that prints, for file names
  PrintSettings settings_;
  std::unique_ptr<QPrinter> printer_;
  QString pdfPath_;

  int page_ = 1;
  int pageCount_ = 1;

  QPushButton* printerButton_ = nullptr;
  QLabel* formatLabel_ = nullptr;
  QPushButton* contentFontButton_ = nullptr;
  QPushButton* headerFontButton_ = nullptr;
  QLineEdit* extraSpace_ = nullptr;
  QLineEdit* rowHeight_ = nullptr;
  QLabel* pageCountLabel_ = nullptr;
  QPushButton* fewer_ = nullptr;
  QPushButton* more_ = nullptr;
  QCheckBox* delEmpty_ = nullptr;
  QCheckBox* slipsBox_ = nullptr;
  QPushButton* next_ = nullptr;
  QPushButton* previous_ = nullptr;
  QPushButton* print_ = nullptr;
  QLabel* note_ = nullptr;
  QWidget* controls_ = nullptr;  // the column left of the preview
  QWidget* area_ = nullptr;
  LFlyPreviewer* previewer_ = nullptr;
  QTimer fieldTimer_;
  QTimer resizeTimer_;
};

// A pane's "Afdrukken": runs the preview for grid under printKey; true when
// the list was printed. The grid is left as it was.
bool RunPrintPreview(Database& db, Prompter& prompter, LGrid& grid, const std::string& printKey,
                     const QString& subtitle, QWidget* parent, const PageSource* slips = nullptr);

}  // namespace velgram
