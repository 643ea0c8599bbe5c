#include "core/host_arguments.h"

#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include "core/win32_host.h"

namespace agat {

std::vector<std::string> program_arguments(int, char**) {
  std::vector<std::string> words;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return words;
  for (int i = 1; i < count; ++i) words.push_back(utf8_of_wide(wide[i]));
  LocalFree(wide);
  return words;
}

}  // namespace agat
