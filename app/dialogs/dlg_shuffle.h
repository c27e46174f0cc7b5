#pragma once
// "Bereken Zwitserse ronde": the proposed pairing of a Swiss round beside the
// best one a random search has found so far. The search runs in the core's
// ShuffleEngine on its own thread; this window only reads its snapshots, once
// a second.
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <memory>
#include <vector>

#include "competition/improve.h"

namespace velgram {

class LGrid;

class LDlgShuffle : public QDialog {
  Q_OBJECT
 public:
  LDlgShuffle(const std::vector<LCard>& cards, const std::vector<MatchEntry>& matches, QWidget* parent = nullptr);
  ~LDlgShuffle() override;

  // After OK: the cards with the partners of the best pairing; empty after
  // Cancel or when the search found nothing better than a cost of 0.
  const std::vector<LCard>& ResultCards() const { return resultCards_; }
  const ShuffleEngine& Engine() const { return *engine_; }

  void Start();
  void Stop();
  void accept() override;
  void reject() override;

  // Reads the engine's snapshot into the figures and the right matrix.
  void RefreshFigures();

  QPushButton* startButton;
  QPushButton* okButton;
  QPushButton* cancelButton;
  LGrid* proposal;  // the proposed pairing
  LGrid* best;      // the best pairing found
  QLabel* shuffles;
  QLabel* evaluations;
  QLabel* initialValue;
  QLabel* bestValue;
  QLabel* sinceChange;
  QLabel* speed;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void FillMatrix(LGrid* grid, const Pairing& pairing);

  std::vector<MatchEntry> matches_;  // for the green and red cells
  std::unique_ptr<ShuffleEngine> engine_;
  std::vector<LCard> resultCards_;
  QTimer refresh_;
  bool initialShown_ = false;
};

// The improvement dialog as the round calculation's reviewer.
class LShuffleReviewer : public PairingReviewer {
 public:
  explicit LShuffleReviewer(QWidget* parent) : parent_(parent) {}
  std::vector<LCard> Review(const std::vector<LCard>& cards, const std::vector<MatchEntry>& matches) override;

 private:
  QWidget* parent_;
};

}  // namespace velgram
