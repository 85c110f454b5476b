#include <windows.h>

#include <string>

#include "files/app_paths.h"
#include "win/utf16.h"

namespace vestok {
namespace {

std::wstring Environment(const wchar_t* name) {
  std::wstring value(256, L'\0');
  for (;;) {
    const DWORD n = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) return {};
    if (n < value.size()) {
      value.resize(n);
      return value;
    }
    value.resize(n);  // n is the size needed, its terminating zero included
  }
}

}  // namespace

std::string ExecutableFolder() {
  // Paths may be longer than MAX_PATH: grow until the name fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return "./";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() >= 32768) return "./";
    path.resize(path.size() * 2);
  }
  const auto sep = path.find_last_of(L"\\/");
  if (sep == std::wstring::npos) return "./";
  return win::Utf8(path.substr(0, sep + 1));
}

std::string ExchangeCopiesFolder() {
  std::wstring base = Environment(L"LOCALAPPDATA");
  if (base.empty()) {
    const std::wstring profile = Environment(L"USERPROFILE");
    if (profile.empty()) return {};
    base = profile + L"\\AppData\\Local";
  }
  while (!base.empty() && (base.back() == L'\\' || base.back() == L'/')) base.pop_back();
  return win::Utf8(base) + "\\vestok";
}

}  // namespace vestok
