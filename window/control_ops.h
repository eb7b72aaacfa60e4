// The operations through which every handler reaches the window's controls. The Qt window and the
// Win32 window each implement them; tests use a recording fake.
//
// Text is a byte string in the platform's encoding; the empty string is valid everywhere.
#pragma once

#include <string>

#include "window/controls.h"

namespace orvane {

class ControlOps {
 public:
  virtual ~ControlOps() = default;

  // Label: the caption, byte for byte as it was last set.
  virtual std::string caption(控件 label) const = 0;
  virtual void set_caption(控件 label, const std::string& text) = 0;

  // Button: any non-zero flag disables, 0 enables.
  virtual void set_disabled(控件 button, int flag) = 0;

  // Check box: 1 exactly when ticked.
  virtual int ticked(控件 box) const = 0;

  // Progress bar: values are first brought into 0..32767; position() gives the kept position.
  virtual void set_maximum(控件 bar, int maximum) = 0;
  virtual void set_position(控件 bar, int position) = 0;
  virtual int position(控件 bar) const = 0;

  // List box: never sorts. add_item gives the new item's index, or -1 when it is refused.
  virtual void clear(控件 list) = 0;
  virtual int add_item(控件 list, const std::string& text) = 0;
  virtual int item_count(控件 list) const = 0;
  // The empty Text for an index below 0 or at or above the count.
  virtual std::string item_text(控件 list, int index) const = 0;

  // Modal message box titled "信息：" with one OK button and no icon.
  virtual void message_box(const std::string& message) = 0;

  // Modal folder chooser: the full path of the pick, a root with its trailing separator and any
  // other folder without one; the empty Text on cancel.
  virtual std::string browse_for_folder(const std::string& prompt) = 0;
};

// What a progress bar keeps and what it shows, the same on every platform.
class ProgressValues {
 public:
  static constexpr int kLimit = 32767;
  static constexpr int clamp(int v) { return v < 0 ? 0 : (v > kLimit ? kLimit : v); }

  void set_maximum(int v) { maximum_ = clamp(v); }
  void set_position(int v) { position_ = clamp(v); }
  int position() const { return position_; }
  int range_low() const { return minimum_ < maximum_ ? minimum_ : maximum_; }
  int range_high() const { return minimum_ < maximum_ ? maximum_ : minimum_; }
  int shown() const {
    const int lo = range_low(), hi = range_high();
    return position_ < lo ? lo : (position_ > hi ? hi : position_);
  }

 private:
  int minimum_ = 0;
  int maximum_ = 100;
  int position_ = 0;
};

}  // namespace orvane
