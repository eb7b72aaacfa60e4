// The program's own user-facing texts, written here in UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

inline constexpr std::string_view kPromptSource = "选择您要处理文件的目录";
inline constexpr std::string_view kPromptDestination = "请选择您要分类保存的目的文件夹";
inline constexpr std::string_view kMessageNoFiles = "该目录下没有任何文件！";
inline constexpr std::string_view kMessageDone = "恭喜您，分类完成";
inline constexpr std::string_view kMessageTitle = "信息：";

// A UTF-8 text of the program in the encoding the controls take on this platform (UTF-8 on
// Linux, the ANSI code page on Windows).
std::string native_text(std::string_view utf8);

}  // namespace orvane
