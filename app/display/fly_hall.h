#pragma once
// "Zaalscherm": a window of its own for a beamer or a television in the hall.
// It shows which matches can be played now and how the pools stand, in type
// large enough to read from across the hall, and pages through what does not
// fit. It follows the main window's change notice and otherwise reads the
// database once per page cycle at most.
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "competition/hall_display.h"

namespace velgram {

class CVelgramApp;
class Clock;

class LFlyHallDisplay : public QWidget {
  Q_OBJECT
 public:
  // The clock decides the page cycle and the time in the header.
  LFlyHallDisplay(CVelgramApp& app, Clock& clock, QWidget* parent = nullptr);

  // Full screen on the remembered screen (the second one the first time)
  // when there is more than one; a normal window otherwise.
  void Present();

  // Reads the tournament anew and lays it out; the page stays where it was.
  void Reload();
  // The one-second beat: the clock, and the next page when its time is up.
  // Back at the first page the content is read again.
  void Tick();
  void ToggleFullScreen();
  // The settings dialog of the right click; reloads after OK.
  void OpenSettings();

  const HallContent& Content() const { return view_.Content(); }
  // A change notice: the matches and standings it touched follow at once; a
  // change of the structure is read with the next reload.
  void Follow(const DataChange& change);
  const std::vector<HallPage>& Pages() const { return pages_; }
  int CurrentPage() const { return page_; }
  int PageCount() const { return static_cast<int>(pages_.size()); }
  // "2/5"; empty while everything fits one page.
  QString PageIndicator() const;
  // The ids of the open matches drawn on the current page.
  std::vector<int> MatchesOnPage() const;
  int Reloads() const { return reloads_; }
  // Collects the change notices of the main window into one reload.
  QTimer& RefreshTimer() { return refresh_; }

  // Lines of content a page holds and the columns of the standings, from the
  // window's size.
  int LinesPerPage() const { return kContentLines; }
  int Columns() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  static constexpr int kHeaderLines = 2;
  static constexpr int kContentLines = 20;
  static constexpr int kTotalLines = kHeaderLines + kContentLines + 2;  // a gap and the footer

  double LineHeight() const;
  void Repaginate();
  void RememberScreen();
  void ShowPage(int page);

  CVelgramApp& app_;
  Clock& clock_;
  HallView view_;
  int idToernooi_ = -1;  // what view_ was built for
  HallOptions options_;
  std::vector<HallPage> pages_;
  int page_ = 0;
  long long pageSince_ = 0;
  int reloads_ = 0;
  QString clockText_;
  QTimer beat_;
  QTimer refresh_;
};

// "Zaalscherm": opens the display for the main window, or brings the one that
// is open to the front. The display closes with the main window.
LFlyHallDisplay* OpenHallDisplay(CVelgramApp& app, QWidget* mainWindow);

}  // namespace velgram
