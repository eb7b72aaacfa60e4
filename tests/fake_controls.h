// Controls for tests: they keep the state the operations define and record every call.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "window/control_ops.h"

namespace orvane::testing {

class FakeControls : public ControlOps {
 public:
  FakeControls() {
    for (const ControlSpec& s : kControls) {
      if (s.kind == 控件类型::label) captions[s.id] = std::string(s.text);
      if (s.kind == 控件类型::button) disabled[s.id] = s.enabled ? 0 : 1;
    }
  }

  std::string caption(控件 c) const override {
    log.push_back("caption " + name(c));
    return captions.at(c);
  }
  void set_caption(控件 c, const std::string& text) override {
    log.push_back("set_caption " + name(c) + " " + text);
    captions[c] = text;
  }
  void set_disabled(控件 c, int flag) override {
    log.push_back("set_disabled " + name(c) + " " + std::to_string(flag));
    disabled[c] = flag != 0 ? 1 : 0;
  }
  int ticked(控件 c) const override {
    log.push_back("ticked " + name(c));
    return tick;
  }
  void set_maximum(控件 c, int v) override {
    log.push_back("set_maximum " + name(c) + " " + std::to_string(v));
    bar.set_maximum(v);
  }
  void set_position(控件 c, int v) override {
    if (log_positions) log.push_back("set_position " + name(c) + " " + std::to_string(v));
    bar.set_position(v);
  }
  int position(控件 c) const override {
    if (log_positions) log.push_back("position " + name(c));
    return bar.position();
  }
  void clear(控件 c) override {
    log.push_back("clear " + name(c));
    items.clear();
  }
  int add_item(控件, const std::string& text) override {
    items.push_back(text);
    if (on_add) on_add();
    return static_cast<int>(items.size()) - 1;
  }
  int item_count(控件 c) const override {
    log.push_back("item_count " + name(c));
    return static_cast<int>(items.size());
  }
  std::string item_text(控件 c, int index) const override {
    if (log_items) log.push_back("item_text " + name(c) + " " + std::to_string(index));
    if (index < 0 || index >= static_cast<int>(items.size())) return {};
    return items[static_cast<std::size_t>(index)];
  }
  void message_box(const std::string& message) override {
    log.push_back("message_box " + message);
    messages.push_back(message);
  }
  std::string browse_for_folder(const std::string& prompt) override {
    log.push_back("browse " + prompt);
    if (picks.empty()) return {};
    std::string pick = picks.front();
    picks.pop_front();
    return pick;
  }

  static std::string name(控件 c) { return std::string(spec_of(c).name); }

  std::map<控件, std::string> captions;
  std::map<控件, int> disabled;
  int tick = 0;
  ProgressValues bar;
  std::vector<std::string> items;
  std::vector<std::string> messages;
  std::deque<std::string> picks;  // what the folder browser gives, in turn
  std::function<void()> on_add;
  bool log_positions = true;
  bool log_items = true;
  mutable std::vector<std::string> log;
};

}  // namespace orvane::testing
