// A rectangle outline drawn over the board picture: a 3-pixel yellow pen inside the
// widget's bounds and no fill, so the part underneath stays visible.
#pragma once

#include <QWidget>

namespace pinwright {

class TOutline : public QWidget {
 public:
  explicit TOutline(QWidget* parent);

  static constexpr int kPenWidth = 3;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace pinwright
