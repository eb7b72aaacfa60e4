// The main window 启动窗口 on Qt Widgets, built from the control table, and its control
// operations.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "platform/file_system.h"
#include "window/control_ops.h"

class QApplication;
class QCheckBox;
class QListView;
class QProgressBar;
class QPushButton;

namespace orvane {

class ByteListModel;
class LabelWidget;

// The look every window of the program shares: the classic style (buttons and a progress bar
// drawn in blocks, as on Windows) and a 12-pixel default font.
void prepare_application(QApplication& app);

class 启动窗口 final : public QWidget, public ControlOps {
 public:
  explicit 启动窗口(FileSystem& fs);
  ~启动窗口() override;

  // --- ControlOps -----------------------------------------------------------------------------
  std::string caption(控件 label) const override;
  void set_caption(控件 label, const std::string& text) override;
  void set_disabled(控件 button, int flag) override;
  int ticked(控件 box) const override;
  void set_maximum(控件 bar, int maximum) override;
  void set_position(控件 bar, int position) override;
  int position(控件 bar) const override;
  void clear(控件 list) override;
  int add_item(控件 list, const std::string& text) override;
  int item_count(控件 list) const override;
  std::string item_text(控件 list, int index) const override;
  void message_box(const std::string& message) override;
  std::string browse_for_folder(const std::string& prompt) override;

  // Stand-ins for the two dialogs (tests).
  using Browser = std::function<std::string(const std::string& prompt)>;
  using Messenger = std::function<void(const std::string& message)>;
  void replace_dialogs(Browser browser, Messenger messenger);

  QWidget* widget(控件 id) const { return widgets_[static_cast<std::size_t>(id)]; }
  // The value the progress bar shows (its kept position brought into its range).
  int shown_position() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void build_controls();
  void move_focus(bool forward);
  void fit_outer_size();
  LabelWidget* label(控件 id) const;

  FileSystem& fs_;
  std::array<QWidget*, 10> widgets_{};
  ByteListModel* list_model_ = nullptr;
  ProgressValues progress_;
  int painted_fill_ = -1;
  Browser browser_;
  Messenger messenger_;
};

}  // namespace orvane
