#include "app/widgets/flow_layout.h"

#include <QWidget>
#include <algorithm>
#include <vector>

namespace velgram {

FlowLayout::FlowLayout(QWidget* parent, int spacing) : QLayout(parent) {
  setContentsMargins(0, 0, 0, 0);
  setSpacing(spacing);
}

FlowLayout::~FlowLayout() {
  while (QLayoutItem* item = takeAt(0)) delete item;
}

void FlowLayout::addItem(QLayoutItem* item) { items_.append(item); }

QLayoutItem* FlowLayout::itemAt(int index) const {
  return index >= 0 && index < items_.size() ? items_[index] : nullptr;
}

QLayoutItem* FlowLayout::takeAt(int index) {
  return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

void FlowLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  Arrange(rect, true);
}

QSize FlowLayout::sizeHint() const {
  int width = 0, height = 0;
  bool first = true;
  for (QLayoutItem* item : items_) {
    if (item->isEmpty()) continue;  // hidden controls take no room
    QSize s = item->sizeHint();
    width += (first ? 0 : spacing()) + s.width();
    height = std::max(height, s.height());
    first = false;
  }
  return {width, height};
}

QSize FlowLayout::minimumSize() const {
  QSize size;
  for (QLayoutItem* item : items_)
    if (!item->isEmpty()) size = size.expandedTo(item->sizeHint());
  return size;
}

int FlowLayout::Arrange(const QRect& rect, bool place) const {
  // Every control keeps its own width: a row is full when the next one would
  // pass the right edge, and that one starts the next row. Within a row the
  // controls are centred on its height (check boxes beside buttons).
  struct Row {
    std::vector<QLayoutItem*> items;
    int height = 0;
  };
  std::vector<Row> rows(1);
  int x = rect.x();
  for (QLayoutItem* item : items_) {
    if (item->isEmpty()) continue;  // hidden controls take no room
    QSize s = item->sizeHint();
    if (!rows.back().items.empty() && x + s.width() > rect.right() + 1) {
      rows.emplace_back();
      x = rect.x();
    }
    rows.back().items.push_back(item);
    rows.back().height = std::max(rows.back().height, s.height());
    x += s.width() + spacing();
  }
  int y = rect.y();
  for (const Row& row : rows) {
    if (place) {
      int left = rect.x();
      for (QLayoutItem* item : row.items) {
        QSize s = item->sizeHint();
        item->setGeometry(QRect(QPoint(left, y + (row.height - s.height()) / 2), s));
        left += s.width() + spacing();
      }
    }
    y += row.height + spacing();
  }
  return std::max(0, y - spacing() - rect.y());
}

}  // namespace velgram
