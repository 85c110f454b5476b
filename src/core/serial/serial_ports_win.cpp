// The machine's serial ports on Windows: the values of the registry key
// HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM, whose data are the port
// names ("COM1", "COM3", ...). The key is opened for reading only: opened
// with full access it would not open for anyone but an administrator, and
// the list would never be filled.
#include <windows.h>

#include <iterator>
#include <string>

#include "serial/serial_ports.h"
#include "win/utf16.h"

namespace vestok {
namespace {

class TKey {
 public:
  TKey(HKEY parent, const wchar_t* name) {
    if (parent == nullptr || RegOpenKeyExW(parent, name, 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~TKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  TKey(const TKey&) = delete;
  TKey& operator=(const TKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

void ListSerialPorts(std::vector<std::string>& list) {
  // Each of the three keys must open; a missing one leaves the list alone.
  const TKey hardware(HKEY_LOCAL_MACHINE, L"HARDWARE");
  const TKey devicemap(hardware.get(), L"DEVICEMAP");
  const TKey serialcomm(devicemap.get(), L"SERIALCOMM");
  if (serialcomm.get() == nullptr) return;
  list.clear();
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD nameLen = static_cast<DWORD>(std::size(name));
    DWORD type = 0;
    BYTE data[1024];
    DWORD dataLen = sizeof data - sizeof(wchar_t);
    const LONG r = RegEnumValueW(serialcomm.get(), i, name, &nameLen, nullptr, &type, data, &dataLen);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) continue;
    std::wstring port(reinterpret_cast<const wchar_t*>(data), dataLen / sizeof(wchar_t));
    while (!port.empty() && port.back() == L'\0') port.pop_back();
    list.push_back(win::Utf8(port));
  }
}

}  // namespace vestok
