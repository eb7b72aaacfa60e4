// Names and the extension each must give, written with "/" between folders. The Windows build
// runs the same table, with "\" in place of "/", against the system's own extension call, so
// both builds sort the same names into the same folders.
#pragma once

#include <array>
#include <string_view>

namespace orvane::testing {

struct ExtensionCase {
  std::string_view item;
  std::string_view extension;  // from the dot to the end; empty for none
};

inline constexpr std::array<ExtensionCase, 12> kExtensionCases = {{
    {"/src/README", ""},
    {"/src/archive.tar.gz", ".gz"},
    {"/src/.bashrc", ".bashrc"},
    {"/src/name.", "."},
    {"/src/a.b c", ""},
    {"/src/dir.d/file", ""},
    {"/src/photo.JPG", ".JPG"},
    {"/src/a b.txt", ".txt"},
    {"/src/report.pdf ", ""},
    {"/src/x.d/y.e/z", ""},
    {"/src/\xe6\x96\x87\xe4\xbb\xb6.doc", ".doc"},
    {"noseparator.md", ".md"},
}};

}  // namespace orvane::testing
