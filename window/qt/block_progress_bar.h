// A horizontal progress bar drawn in blocks inside a thin sunken edge, without text.
#pragma once

#include <QProgressBar>

namespace orvane {

class BlockProgressBar final : public QProgressBar {
 public:
  explicit BlockProgressBar(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent*) override;
};

}  // namespace orvane
