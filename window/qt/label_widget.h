// A label that paints its own caption: one line, left, vertically centred, cut at its edge, "&"
// drawn as a mnemonic prefix. It never takes the focus.
#pragma once

#include <QColor>
#include <QWidget>
#include <functional>
#include <string>

namespace orvane {

class LabelWidget final : public QWidget {
 public:
  LabelWidget(QWidget* parent, QColor colour);

  const std::string& caption() const { return caption_; }
  void set_caption(const std::string& bytes);
  // What a left press on the label does.
  void on_press(std::function<void()> action) { on_press_ = std::move(action); }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  std::string caption_;  // exactly the bytes set
  QString shown_;
  QColor colour_;
  std::function<void()> on_press_;
};

}  // namespace orvane
