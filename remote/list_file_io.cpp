#include "remote/list_file_io.h"

#include <limits>

#include "remote/core/list_file_keeper.h"
#include "remote/win_list_file_system.h"

std::string Utf16ToAnsiCodePage(const std::u16string& wide) {
  if (wide.empty() || wide.size() > static_cast<std::size_t>(std::numeric_limits<int>::max() / 2)) return {};
  const auto* source = reinterpret_cast<const wchar_t*>(wide.data());
  const int length = static_cast<int>(wide.size());
  const int needed = ::WideCharToMultiByte(CP_ACP, 0, source, length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string text(static_cast<std::size_t>(needed), '\0');
  const int converted = ::WideCharToMultiByte(CP_ACP, 0, source, length, &text[0], needed, nullptr, nullptr);
  text.resize(converted > 0 ? static_cast<std::size_t>(converted) : 0);
  return text;
}

bool LoadListFile(const std::string& path, ComputerRows& rows) {
  WinListFileSystem files;
  ComputerListKeeper keeper(files, &Utf16ToAnsiCodePage);
  return keeper.Load(path, rows).state != ListLoadState::kIncomplete;
}

bool SaveListFile(const std::string& path, ComputerRows& rows) {
  WinListFileSystem files;
  ComputerListKeeper keeper(files, &Utf16ToAnsiCodePage);
  return keeper.Save(path, rows).error == 0;
}
