// Stand-ins for a window's folder browser and message box: the browser gives the queued picks in
// turn (then the empty Text, as a cancel does), the message box records what it was asked to show.
#pragma once

#include <string>
#include <vector>

namespace orvane::testing {

struct DialogDoubles {
  std::vector<std::string> picks, messages;

  template <typename Window>
  void install(Window& window) {
    window.replace_dialogs(
        [this](const std::string&) {
          if (picks.empty()) return std::string();
          std::string pick = picks.front();
          picks.erase(picks.begin());
          return pick;
        },
        [this](const std::string& message) { messages.push_back(message); });
  }
};

}  // namespace orvane::testing
