#include "win/utf16.h"

#include <windows.h>

#include "text/number_text.h"

namespace vestok::win {

std::wstring Utf16(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Utf8(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::string ErrorMessage(unsigned long code) {
  wchar_t* text = nullptr;
  DWORD n = 0;
  // English like the layer's own texts; the system's language where English is missing.
  for (const DWORD language : {DWORD(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)), DWORD(0)}) {
    n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, language, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (n > 0) break;
  }
  std::wstring message = n > 0 && text != nullptr ? std::wstring(text, n) : std::wstring();
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' '))
    message.pop_back();
  if (message.empty()) return "Error " + IntToText(static_cast<long long>(code));
  return Utf8(message);
}

}  // namespace vestok::win
