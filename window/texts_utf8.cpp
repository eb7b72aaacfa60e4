#include "window/texts.h"

namespace orvane {

std::string native_text(std::string_view utf8) {
  return std::string(utf8);
}

}  // namespace orvane
