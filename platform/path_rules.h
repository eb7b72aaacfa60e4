// Pure text rules on paths, shared by the file-system layers, the sorting code and the tests.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane {

// Where the extension of the last path component starts: its last dot, unless a space or a
// separator follows that dot; item.size() when there is none. Characters are stepped with
// `is_lead_byte` so that a trail byte is never taken for a dot, a space or a separator. This is
// how the Windows shell finds an extension, and the POSIX layer uses it with "/".
std::size_t last_dot_extension(std::string_view item, char separator,
                               bool (*is_lead_byte)(unsigned char));

// The bytes after the last separator that is a character by itself; the whole item when there
// is none. Characters are stepped with `is_lead_byte` (a lead byte and the byte after it form one
// character).
template <typename LeadByte>
std::string file_name_of(std::string_view item, char separator, LeadByte is_lead_byte) {
  std::size_t cut = 0;  // first byte of the file name
  for (std::size_t i = 0; i < item.size();) {
    const auto b = static_cast<unsigned char>(item[i]);
    if (is_lead_byte(b) && i + 1 < item.size()) {
      i += 2;
      continue;
    }
    if (item[i] == separator) cut = i + 1;
    ++i;
  }
  return std::string(item.substr(cut));
}

inline bool no_lead_bytes(unsigned char) {
  return false;
}

}  // namespace orvane

namespace orvane {

// How Windows holds a picked source folder: a drive root "C:\" (exactly three bytes) becomes its
// first two bytes, so that joins give "C:\name".
inline std::string drive_root_source_form(const std::string& picked) {
  return picked.size() == 3 ? picked.substr(0, 2) : picked;
}

}  // namespace orvane
