#include "platform/path_rules.h"

namespace orvane {

std::size_t last_dot_extension(std::string_view item, char separator,
                               bool (*is_lead_byte)(unsigned char)) {
  std::size_t dot = std::string_view::npos;
  std::size_t i = 0;
  while (i < item.size()) {
    const auto b = static_cast<unsigned char>(item[i]);
    if (is_lead_byte(b) && i + 1 < item.size()) {
      i += 2;
      continue;
    }
    if (item[i] == separator || item[i] == ' ') {
      dot = std::string_view::npos;
    } else if (item[i] == '.') {
      dot = i;
    }
    ++i;
  }
  return dot == std::string_view::npos ? item.size() : dot;
}

}  // namespace orvane
