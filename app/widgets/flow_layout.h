#pragma once
// A row of controls that wraps onto a further row when the width runs out,
// so that on a narrow window every button stays whole and on screen instead
// of being cut off at the right edge.
#include <QLayout>
#include <QList>

namespace velgram {

class FlowLayout : public QLayout {
 public:
  explicit FlowLayout(QWidget* parent = nullptr, int spacing = 6);
  ~FlowLayout() override;

  void addItem(QLayoutItem* item) override;
  int count() const override { return static_cast<int>(items_.size()); }
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  Qt::Orientations expandingDirections() const override { return {}; }
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override { return Arrange(QRect(0, 0, width, 0), false); }
  void setGeometry(const QRect& rect) override;
  // One row: the width all controls need side by side.
  QSize sizeHint() const override;
  // The widest single control.
  QSize minimumSize() const override;

 private:
  int Arrange(const QRect& rect, bool place) const;
  QList<QLayoutItem*> items_;
};

}  // namespace velgram
