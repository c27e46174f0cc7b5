#include "app/printing/print_preview.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "app/dialogs/dlg_common.h"
#include "app/panes/pane.h"
#include "app/shell/fonts.h"
#include "app/printing/print_layout.h"
#include "app/shell/qtext.h"
#include "store/database.h"
#include "support/paths.h"
#include "support/prompt.h"

namespace velgram {

namespace {

constexpr int kMinRowHeight = 10;
constexpr int kMaxRowHeight = 500;
constexpr int kRowHeightStep = 10;

int NumberOf(const std::string& text) { return text.empty() ? 0 : std::atoi(text.c_str()); }

// The page header carries the main window's caption (program and
// tournament), also when the list belongs to a window opened from it, such
// as the club trophy.
QString MainCaption(QWidget* parent) {
  QWidget* owner = parent ? parent->window() : QApplication::activeWindow();
  while (owner && owner->parentWidget()) owner = owner->parentWidget()->window();
  return owner ? owner->windowTitle() : QString();
}

// The title of the list that is printed: that of its pane, or of the
// dialog that shows it (the club trophy).
QString ListTitleOf(QWidget* parent) {
  for (QWidget* w = parent; w; w = w->parentWidget()) {
    if (auto* pane = qobject_cast<LPane*>(w)) {
      const QString title = pane->TitleLabel()->text().trimmed();
      if (!title.isEmpty()) return title;
    }
    if (qobject_cast<QDialog*>(w) && !w->windowTitle().trimmed().isEmpty()) return w->windowTitle().trimmed();
  }
  return QStringLiteral("Velgram");
}

void SetFieldQuietly(QLineEdit* field, const std::string& text) {
  const bool blocked = field->blockSignals(true);
  field->setText(ToQt(text));
  field->blockSignals(blocked);
}

}  // namespace

// ---------------------------------------------------------------------------

PrintSettings PrintSettings::Load(Database& db, const std::string& printKey) {
  PrintSettings s;
  s.contentFont = db.GetSetting("PrintFont" + printKey);
  if (s.contentFont.empty()) s.contentFont = FontSetting(db, "PrintFont");
  s.headerFont = db.GetSetting("PrinterFont" + printKey);
  if (s.headerFont.empty()) s.headerFont = s.contentFont;
  s.extraSpace = db.GetSetting("ExtraSpace" + printKey);
  s.rowHeight = db.GetSetting("RowHeight" + printKey);
  s.delEmptyColumns = db.GetSetting("DelEmptyColumns" + printKey) == "1";
  s.slips = db.GetSetting("SlipLayout" + printKey) == "1";
  return s;
}

GridPrintSetup PrintSettings::Setup() const {
  GridPrintSetup setup;
  setup.contentFont = FontFromText(contentFont);
  setup.headerFont = FontFromText(headerFont);
  setup.extraSpace = std::max(0, NumberOf(extraSpace));
  setup.rowHeight = std::max(0, NumberOf(rowHeight));
  setup.hideEmptyColumns = delEmptyColumns;
  return setup;
}

// ---------------------------------------------------------------------------

LFlyPreviewer::LFlyPreviewer(LDlgPrintPreview& dialog, QWidget* parent) : QWidget(parent), dialog_(dialog) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void LFlyPreviewer::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  dialog_.PaintPage(painter, size());
}

// ---------------------------------------------------------------------------

LDlgPrintPreview::LDlgPrintPreview(Database& db, Prompter& prompter, LGrid& grid, const std::string& printKey,
                                   const QString& subtitle, QWidget* parent, const PageSource* slips)
    : QDialog(parent),
      db_(db),
      prompter_(prompter),
      grid_(grid),
      slips_(slips),
      printKey_(printKey),
      subtitle_(subtitle) {
  setWindowTitle(QStringLiteral("Afdrukken preview"));
  caption_ = MainCaption(parent);
  listTitle_ = ListTitleOf(parent);
  settings_ = PrintSettings::Load(db_, printKey_);
  BuildUi();
  UseDefaultPrinter();

  fieldTimer_.setSingleShot(true);
  fieldTimer_.setInterval(500);
  connect(&fieldTimer_, &QTimer::timeout, this, &LDlgPrintPreview::CommitFields);
  resizeTimer_.setSingleShot(true);
  resizeTimer_.setInterval(200);
  connect(&resizeTimer_, &QTimer::timeout, this, &LDlgPrintPreview::PlacePreview);
  resize(1000, 700);
  Relayout();
}

LDlgPrintPreview::~LDlgPrintPreview() = default;

void LDlgPrintPreview::BuildUi() {
  auto* controls = new QVBoxLayout;
  auto* form = new QGridLayout;
  int row = 0;
  printerButton_ = new QPushButton(this);
  connect(printerButton_, &QPushButton::clicked, this, &LDlgPrintPreview::ChoosePrinter);
  form->addWidget(new QLabel(QStringLiteral("Printer:"), this), row, 0);
  form->addWidget(printerButton_, row++, 1);
  formatLabel_ = new QLabel(this);
  form->addWidget(new QLabel(QStringLiteral("Formaat:"), this), row, 0);
  form->addWidget(formatLabel_, row++, 1);
  contentFontButton_ = new QPushButton(ToQt(settings_.contentFont), this);
  connect(contentFontButton_, &QPushButton::clicked, this, [this] { ChooseFont(true); });
  form->addWidget(new QLabel(QStringLiteral("Lettertype inhoud:"), this), row, 0);
  form->addWidget(contentFontButton_, row++, 1);
  headerFontButton_ = new QPushButton(ToQt(settings_.headerFont), this);
  connect(headerFontButton_, &QPushButton::clicked, this, [this] { ChooseFont(false); });
  form->addWidget(new QLabel(QStringLiteral("Lettertype kop/voet:"), this), row, 0);
  form->addWidget(headerFontButton_, row++, 1);
  controls->addLayout(form);
  controls->addWidget(new QLabel(QStringLiteral("De lettertypes zijn vooral bedoeld voor het soort letter.\n"
                                                "En vet, cursief, e.d. De grootte wordt niet gebruikt."),
                                 this));

  auto* fields = new QGridLayout;
  extraSpace_ = new QLineEdit(ToQt(settings_.extraSpace), this);
  extraSpace_->setValidator(DigitsValidator(4, extraSpace_));
  rowHeight_ = new QLineEdit(ToQt(settings_.rowHeight), this);
  rowHeight_->setValidator(DigitsValidator(3, rowHeight_));
  fields->addWidget(new QLabel(QStringLiteral("Extra ruimte:"), this), 0, 0);
  fields->addWidget(extraSpace_, 0, 1);
  fields->addWidget(new QLabel(QStringLiteral("Rijhoogte:"), this), 1, 0);
  fields->addWidget(rowHeight_, 1, 1);
  controls->addLayout(fields);
  for (QLineEdit* field : {extraSpace_, rowHeight_})
    connect(field, &QLineEdit::textEdited, this, [this] { fieldTimer_.start(); });
  controls->addWidget(new QLabel(QStringLiteral("De 'extra ruimte' betekent extra ruimte aan de rechterkant. "
                                                "B.v. 100.\nDe 'rijhoogte' past de hoogte van iedere rij aan. "
                                                "B.v. 50.\nHierdoor wordt de tekst kleiner geschaald en past er meer."),
                                 this));

  auto* pages = new QGroupBox(QStringLiteral("Aantal pagina's"), this);
  auto* pagesLayout = new QVBoxLayout(pages);
  pageCountLabel_ = new QLabel(pages);
  fewer_ = new QPushButton(QStringLiteral("Minder pagina's"), pages);
  more_ = new QPushButton(QStringLiteral("Meer pagina's"), pages);
  connect(fewer_, &QPushButton::clicked, this, &LDlgPrintPreview::FewerPages);
  connect(more_, &QPushButton::clicked, this, &LDlgPrintPreview::MorePages);
  pagesLayout->addWidget(pageCountLabel_);
  pagesLayout->addWidget(fewer_);
  pagesLayout->addWidget(more_);
  controls->addWidget(pages);

  delEmpty_ = new QCheckBox(QStringLiteral("Geen lege kolommen"), this);
  delEmpty_->setChecked(settings_.delEmptyColumns);
  connect(delEmpty_, &QCheckBox::toggled, this, [this](bool on) {
    settings_.delEmptyColumns = on;
    db_.SetSetting("DelEmptyColumns" + printKey_, on ? "1" : "0");
    Relayout();
  });
  controls->addWidget(delEmpty_);
  if (slips_) {
    slipsBox_ = new QCheckBox(QStringLiteral("Als briefjes om uit te knippen"), this);
    slipsBox_->setChecked(settings_.slips);
    connect(slipsBox_, &QCheckBox::toggled, this, [this](bool on) {
      settings_.slips = on;
      db_.SetSetting("SlipLayout" + printKey_, on ? "1" : "0");
      page_ = 1;
      Relayout();
    });
    controls->addWidget(slipsBox_);
  }

  next_ = new QPushButton(QStringLiteral("Volgende pagina"), this);
  previous_ = new QPushButton(QStringLiteral("Vorige pagina"), this);
  connect(next_, &QPushButton::clicked, this, &LDlgPrintPreview::NextPage);
  connect(previous_, &QPushButton::clicked, this, &LDlgPrintPreview::PreviousPage);
  controls->addWidget(next_);
  controls->addWidget(previous_);

  note_ = new QLabel(this);
  note_->setWordWrap(true);
  note_->hide();
  controls->addWidget(note_);
  controls->addStretch(1);
  print_ = new QPushButton(QStringLiteral("Afdrukken"), this);
  connect(print_, &QPushButton::clicked, this, [this] { PrintNow(); });
  controls->addWidget(print_);
  // Enter in a number field must not print.
  print_->setAutoDefault(false);
  for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);

  area_ = new QWidget(this);
  area_->setMinimumSize(300, 300);
  area_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  previewer_ = new LFlyPreviewer(*this, area_);
  area_->installEventFilter(this);

  auto* main = new QHBoxLayout(this);
  controls_ = new QWidget(this);
  controls_->setLayout(controls);
  for (QLabel* label : controls_->findChildren<QLabel*>()) label->setWordWrap(true);
  FitControls();
  main->addWidget(controls_);
  main->addWidget(area_, 1);
}


void LDlgPrintPreview::FitControls() {
  // The column of controls grows with the dialog's font. Its labels wrap, and
  // a layout does not make a window tall enough for wrapped text by itself.
  const int width = std::max(340, fontMetrics().averageCharWidth() * 44);
  controls_->setFixedWidth(width);
  QLayout* layout = controls_->layout();
  const int wrapped = layout->hasHeightForWidth() ? layout->totalHeightForWidth(width) : 0;
  controls_->setMinimumHeight(std::max(layout->totalMinimumSize().height(), wrapped));
}

bool LDlgPrintPreview::PrintsToPdf() const { return printer_ && printer_->outputFormat() == QPrinter::PdfFormat; }

void LDlgPrintPreview::UseDefaultPrinter() {
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (!info.isNull()) {
    printer_ = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    printer_->setDocName(QStringLiteral("Velgram ") + ToQt(printKey_));
    note_->hide();
    return;
  }
  // No default printer: rather than refuse to print, write a PDF file that
  // the user can print elsewhere or mail.
  printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer_->setOutputFormat(QPrinter::PdfFormat);
  printer_->setPageLayout(
      QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
  note_->setText(
      QStringLiteral("Er is geen standaard printer. \"Afdrukken\" maakt een PDF-bestand, "
                     "dat u daarna kunt afdrukken of versturen."));
  note_->show();
}

void LDlgPrintPreview::SetPdfOutput(const QString& path) {
  if (!PrintsToPdf()) {
    auto pdf = std::make_unique<QPrinter>(QPrinter::HighResolution);
    pdf->setOutputFormat(QPrinter::PdfFormat);
    if (printer_) pdf->setPageLayout(printer_->pageLayout());
    printer_ = std::move(pdf);
  }
  pdfPath_ = path;
  printer_->setOutputFileName(path);
  Relayout();
}

void LDlgPrintPreview::SetPrinter(std::unique_ptr<QPrinter> printer) {
  if (!printer) return;
  printer_ = std::move(printer);
  Relayout();
}

void LDlgPrintPreview::ChoosePrinter() {
  if (!printer_) UseDefaultPrinter();
  QPrintDialog dialog(printer_.get(), this);
  dialog.setWindowTitle(QStringLiteral("Printer"));
  // A cancelled chooser keeps the printer the user had; dropping it would
  // only make the next "Afdrukken" fail.
  if (dialog.exec() == QDialog::Accepted) Relayout();
}

void LDlgPrintPreview::ChooseFont(bool content) {
  std::string& text = content ? settings_.contentFont : settings_.headerFont;
  bool ok = false;
  const QFont font = QFontDialog::getFont(&ok, FontFromText(text), this, QStringLiteral("Lettertype"));
  if (!ok) return;
  text = FontToText(font);
  db_.SetSetting((content ? "PrintFont" : "PrinterFont") + printKey_, text);
  (content ? contentFontButton_ : headerFontButton_)->setText(ToQt(text));
  Relayout();
}

void LDlgPrintPreview::CommitFields() {
  fieldTimer_.stop();
  settings_.extraSpace = FromQt(extraSpace_->text().trimmed());
  settings_.rowHeight = FromQt(rowHeight_->text().trimmed());
  db_.SetSettings({{"ExtraSpace" + printKey_, settings_.extraSpace}, {"RowHeight" + printKey_, settings_.rowHeight}});
  Relayout();
}

GridPrintSetup LDlgPrintPreview::CurrentSetup() const {
  GridPrintSetup setup = settings_.Setup();
  setup.caption = caption_;
  setup.title = QStringLiteral("Velgram");
  setup.subtitle = subtitle_;
  return setup;
}

void LDlgPrintPreview::Relayout() {
  if (!printer_) UseDefaultPrinter();
  if (!PrintsToPdf() && printer_->printerName().isEmpty()) {
    prompter_.Alert("Er is geen printer");
    return;
  }
  printerButton_->setText(PrintsToPdf() ? QStringLiteral("PDF-bestand") : printer_->printerName());
  formatLabel_->setText(printer_->pageLayout().pageSize().name());

  pageCount_ = CountPages(CurrentSetup());
  page_ = std::clamp(page_, 1, pageCount_);
  FitControls();
  PlacePreview();
  UpdateControls();
}

int LDlgPrintPreview::CountPages(const GridPrintSetup& setup) const {
  const QRect area = printer_->pageLayout().paintRectPixels(printer_->resolution());
  return PrintsSlips() ? slips_->PageCount(area.width(), area.height(), printer_->resolution(), setup)
                       : grid_.PageCount(area.width(), area.height(), printer_->resolution(), setup);
}

void LDlgPrintPreview::PlacePreview() {
  if (!printer_) return;
  const QRect paper = printer_->pageLayout().fullRectPixels(printer_->resolution());
  if (paper.width() <= 0 || paper.height() <= 0) return;
  const double ratio = static_cast<double>(paper.height()) / paper.width();
  int w, h;
  if (ratio >= 1) {
    h = area_->height();
    w = static_cast<int>(h / ratio);
    if (w > area_->width()) {
      w = area_->width();
      h = static_cast<int>(w * ratio);
    }
  } else {
    w = area_->width();
    h = static_cast<int>(w * ratio);
    if (h > area_->height()) {
      h = area_->height();
      w = static_cast<int>(h / ratio);
    }
  }
  previewer_->setGeometry(0, 0, std::max(w, 1), std::max(h, 1));
  previewer_->update();
}

void LDlgPrintPreview::UpdateControls() {
  next_->setVisible(page_ < pageCount_);
  previous_->setVisible(page_ > 1);
  fewer_->setVisible(pageCount_ > 1);
  pageCountLabel_->setText(QStringLiteral("Aantal pagina's: %1").arg(pageCount_));
  // Row height, extra space and empty columns shape the list, not the slips.
  const bool list = !PrintsSlips();
  for (QWidget* w : std::initializer_list<QWidget*>{extraSpace_, rowHeight_, delEmpty_, fewer_, more_})
    w->setEnabled(list);
}

void LDlgPrintPreview::PaintPage(QPainter& painter, const QSize& size) {
  painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
  if (!printer_) return;
  const int resolution = printer_->resolution();
  const QRect paper = printer_->pageLayout().fullRectPixels(resolution);
  const QRect area = printer_->pageLayout().paintRectPixels(resolution);
  if (paper.width() <= 0) return;
  painter.setPen(Qt::gray);
  painter.drawRect(QRect(QPoint(0, 0), size).adjusted(0, 0, -1, -1));
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(static_cast<double>(size.width()) / paper.width(), static_cast<double>(size.width()) / paper.width());
  painter.translate(area.topLeft());
  GridPageInfo info;
  if (PrintsSlips()) {
    slips_->PaintPage(painter, area.width(), area.height(), resolution, page_, CurrentSetup());
    info.pageCount = slips_->PageCount(area.width(), area.height(), resolution, CurrentSetup());
  } else {
    info = grid_.RenderPage(painter, area.width(), area.height(), resolution, page_, CurrentSetup());
  }
  if (info.pageCount != pageCount_) {
    // The layout changed under the preview (a new printer or font): follow it.
    pageCount_ = info.pageCount;
    QTimer::singleShot(0, this, &LDlgPrintPreview::UpdateControls);
  }
}

bool LDlgPrintPreview::eventFilter(QObject* watched, QEvent* event) {
  // The page follows the preview area 200 ms after the last change of its
  // size, not at every step of a drag.
  if (watched == area_ && event->type() == QEvent::Resize) resizeTimer_.start();
  return QDialog::eventFilter(watched, event);
}

void LDlgPrintPreview::NextPage() {
  if (page_ < pageCount_) ++page_;
  previewer_->update();
  UpdateControls();
}

void LDlgPrintPreview::PreviousPage() {
  if (page_ > 1) --page_;
  previewer_->update();
  UpdateControls();
}

void LDlgPrintPreview::MorePages() { SearchRowHeight(+1); }
void LDlgPrintPreview::FewerPages() { SearchRowHeight(-1); }

int LDlgPrintPreview::EffectiveRowHeight() const {
  const int stored = NumberOf(settings_.rowHeight);
  if (stored > 0) return stored;
  // No height chosen yet: step from the height the font gives the rows.
  const QRect area = printer_->pageLayout().paintRectPixels(printer_->resolution());
  const GridPrintLayout layout =
      LayoutGridPages(grid_, area.width(), area.height(), printer_->resolution(), CurrentSetup());
  return static_cast<int>(layout.rowHeight);
}

void LDlgPrintPreview::SearchRowHeight(int direction) {
  if (!printer_ || PrintsSlips()) return;
  fieldTimer_.stop();
  const int target = pageCount_ + direction;
  const QRect area = printer_->pageLayout().paintRectPixels(printer_->resolution());
  int height = EffectiveRowHeight();
  for (;;) {
    GridPrintSetup setup = CurrentSetup();
    setup.rowHeight = height;
    const int count = grid_.PageCount(area.width(), area.height(), printer_->resolution(), setup);
    if (direction > 0 ? count >= target : count <= target) break;
    const int next = height + direction * kRowHeightStep;
    if (next > kMaxRowHeight || next < kMinRowHeight) break;
    height = next;
  }
  settings_.rowHeight = std::to_string(height);
  db_.SetSetting("RowHeight" + printKey_, settings_.rowHeight);
  SetFieldQuietly(rowHeight_, settings_.rowHeight);
  Relayout();
}

bool LDlgPrintPreview::PrintNow() {
  if (!printer_) {
    prompter_.Alert("Geen printer geselecteerd");
    return false;
  }
  if (fieldTimer_.isActive()) CommitFields();
  if (PrintsToPdf() && printer_->outputFileName().isEmpty()) {
    const QString suggested = SuggestedPdfPath(QFile::decodeName(QByteArray::fromStdString(DocumentsFolder())),
                                               listTitle_, QDate::currentDate());
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Afdrukken naar PDF-bestand"), suggested,
                                                      QStringLiteral("PDF-bestanden (*.pdf)"));
    if (path.isEmpty()) return false;
    printer_->setOutputFileName(path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) ? path : path + ".pdf");
  }
  const bool printed =
      PrintsSlips() ? PrintPages(*slips_, *printer_, CurrentSetup()) : PrintGrid(grid_, *printer_, CurrentSetup());
  if (!printed) {
    prompter_.Alert(PrintsToPdf() ? "Kan het PDF-bestand " + FromQt(printer_->outputFileName()) + " niet schrijven."
                                  : std::string("Afdrukken is mislukt."));
    // A file name that failed is asked again next time.
    if (PrintsToPdf() && pdfPath_.isEmpty()) printer_->setOutputFileName(QString());
    return false;
  }
  // A file appears nowhere on screen: the director must learn where it went.
  if (PrintsToPdf())
    prompter_.Alert("De lijst is opgeslagen in het PDF-bestand:\r\n" +
                    FromQt(QDir::toNativeSeparators(printer_->outputFileName())));
  accept();
  return true;
}

QString LDlgPrintPreview::SuggestedPdfPath(const QString& folder, const QString& listTitle, const QDate& date) {
  QString name;
  for (QChar c : listTitle.trimmed())
    name += QStringLiteral("/\\:*?\"<>|").contains(c) || c.unicode() < 32 ? QChar('-') : c;
  if (name.isEmpty()) name = QStringLiteral("Velgram");
  return folder + QLatin1Char('/') + name + QLatin1Char(' ') + date.toString(QStringLiteral("yyyy-MM-dd")) +
         QStringLiteral(".pdf");
}

bool RunPrintPreview(Database& db, Prompter& prompter, LGrid& grid, const std::string& printKey,
                     const QString& subtitle, QWidget* parent, const PageSource* slips) {
  LDlgPrintPreview dialog(db, prompter, grid, printKey, subtitle, parent, slips);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace velgram
