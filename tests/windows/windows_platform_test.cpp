// The Windows platform files under wine: names in UTF-8 reaching the file
// system as UTF-16, files written in binary, a save over an existing file,
// the program's folders, the serial port's refusals, and a network port
// through Winsock.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "files/app_paths.h"
#include "files/rename_over.h"
#include "files/safe_file_write.h"
#include "monitor/port_failure.h"
#include "serial/block_serial.h"
#include "serial/port_name.h"
#include "serial/serial_ports.h"
#include "startup/config_path.h"
#include "tables/table_file.h"
#include "win/utf16.h"

namespace vestok {
namespace {

std::string TempFolder() {
  wchar_t buf[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, buf);
  std::wstring dir(buf, n);
  dir += L"vestok-win-test-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(dir.c_str(), nullptr);
  return win::Utf8(dir) + "\\";
}

std::string ReadWhole(const std::string& utf8Path) {
  HANDLE h = CreateFileW(win::Utf16(utf8Path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string out;
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
  CloseHandle(h);
  return out;
}

TEST(WindowsFiles, NonAsciiNamesAndExactBytesSurviveSavesOverExistingFiles) {
  // "Vânzări țară.csv": the UTF-8 name must reach Windows as the same
  // letters, not as its bytes in the ANSI code page.
  const std::string dir = TempFolder();
  const std::string path = dir + "V\xC3\xA2nz\xC4\x83ri \xC8\x9B" "ar\xC4\x83.csv";
  const std::string first = "a\nb\r\nc\x1A" "d";  // LF, CR LF and Ctrl+Z kept as they are
  ASSERT_TRUE(SafeWriteFile(path, first, 0644));
  EXPECT_EQ(ReadWhole(path), first);
  const std::wstring wide = win::Utf16(path);
  EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(wide.find(L"\u021Bar\u0103.csv"), std::wstring::npos);

  // Saving again replaces the existing file whole (rename alone would refuse).
  ASSERT_TRUE(SafeWriteFile(path, "second", 0644));
  EXPECT_EQ(ReadWhole(path), "second");
  const std::string other = dir + "other.csv";
  ASSERT_TRUE(SafeWriteFile(other, "third", 0644));
  EXPECT_TRUE(RenameOver(other, path));
  EXPECT_EQ(ReadWhole(path), "third");
  EXPECT_EQ(ReadWhole(other), "<missing>");

  // A table file saved and read back through the same name, in binary: the
  // CR LF line ends and the Windows-1250 bytes are those of Linux.
  DocumentTable table(TableDefinition(tkItems));
  table.Open();
  table.Append();
  table.SetInteger("PLUCode", 7);
  table.SetText("ItemName", "Paine \xE2" "alb\xE3");  // Windows-1250 letters
  table.Post();
  SaveTableFile(table, path);
  const std::string bytes = ReadWhole(path);
  EXPECT_EQ(bytes, TableFileBytes(table));
  EXPECT_NE(bytes.find(",\r\n"), std::string::npos);
  EXPECT_EQ(bytes.find("\r\r\n"), std::string::npos);
  DocumentTable back(TableDefinition(tkItems));
  back.Open();
  LoadTableFile(back, path);
  ASSERT_EQ(back.RowCount(), 1u);
  EXPECT_EQ(TableFileBytes(back), bytes);
}

TEST(WindowsPaths, SettingsBesideTheExecutableAndCopiesUnderLocalAppData) {
  wchar_t module[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::wstring exe(module, n);
  const std::string folder = ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  EXPECT_EQ(win::Utf16(folder), exe.substr(0, exe.find_last_of(L'\\') + 1));
  EXPECT_EQ(ConfigFilePath(), folder + "Vestok.ini");

  SetEnvironmentVariableW(L"LOCALAPPDATA", L"C:\\Users\\T\u0103nase\\AppData\\Local\\");
  EXPECT_EQ(ExchangeCopiesFolder(), "C:\\Users\\T\xC4\x83nase\\AppData\\Local\\vestok");
  SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
  SetEnvironmentVariableW(L"USERPROFILE", L"C:\\Users\\ion");
  EXPECT_EQ(ExchangeCopiesFolder(), "C:\\Users\\ion\\AppData\\Local\\vestok");
}

TEST(WindowsSerial, PortNamesOpenTheirDevicesAndFailuresLeaveThePortClosed) {
  // Port n is \\.\COMn, so that ports above 9 open too.
  EXPECT_EQ(DevicePathFromName("com12"), "\\\\.\\COM12");
  EXPECT_EQ(DevicePathFromName("/dev/ttyS2"), "\\\\.\\COM3");
  EXPECT_EQ(DevicePathFromName("COMX"), "COMX");

  TBlockSerial port;
  port.OpenPort("COM199");
  EXPECT_FALSE(port.IsOpen);
  EXPECT_NE(port.LastErrorCode, 0);
  EXPECT_EQ(port.DeviceName, "\\\\.\\COM199");
  EXPECT_NE(port.LastErrorText, "OK");
  EXPECT_EQ(PortFailureReason(port.LastErrorCode), "portul nu exista (dispozitivul lipseste sau nu este conectat)");
  EXPECT_EQ(port.ReceiveByte(0), 0);
  EXPECT_EQ(port.LastErrorCode, ErrPortNotOpen);
  // On Windows a port held by another program answers "access denied".
  EXPECT_EQ(PortFailureReason(ERROR_ACCESS_DENIED), "portul este ocupat de alt program");

  // A plain file is not a serial port, and is left as it was.
  const std::string file = TempFolder() + "not-a-port";
  ASSERT_TRUE(SafeWriteFile(file, "x", 0644));
  port.OpenPort(file);
  EXPECT_FALSE(port.IsOpen);
  EXPECT_EQ(PortFailureReason(port.LastErrorCode), "dispozitivul nu este un port serial") << port.LastErrorCode;
  EXPECT_EQ(ReadWhole(file), "x");

  // The registry's list replaces the dialog's entries, or leaves them.
  std::vector<std::string> ports{"COM1", "COM2"};
  ListSerialPorts(ports);
  for (const std::string& p : ports) EXPECT_EQ(p.rfind("COM", 0), 0u) << p;
}

// A raw network port against a server of the test's own on the loopback:
// bytes both ways through the same operations as a COM port, the server's
// close seen as the device gone, and a closed port refused with Winsock's
// own code (whose text the system has).
TEST(WindowsSerial, NetworkPortCarriesBytesAndReportsTheServerGoneAndRefusals) {
  WSADATA data{};
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  ASSERT_NE(listener, INVALID_SOCKET);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof a;
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(listen(listener, 1), 0);
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len), 0);
  const std::string name = "tcp://127.0.0.1:" + std::to_string(ntohs(a.sin_port));

  TBlockSerial port;
  port.OpenPort(name);  // the connect completes in the listener's backlog
  ASSERT_TRUE(port.IsOpen) << port.LastErrorText;
  const SOCKET server = accept(listener, nullptr, nullptr);
  ASSERT_NE(server, INVALID_SOCKET);
  const std::string reply("\x0a\xff\x00z", 4);
  ASSERT_EQ(send(server, reply.data(), 4, 0), 4);
  std::string got;
  for (int i = 0; i < 4; ++i) got += static_cast<char>(port.ReceiveByte(2000));
  EXPECT_EQ(port.LastErrorCode, 0) << port.LastErrorText;
  EXPECT_EQ(got, reply);
  EXPECT_EQ(port.SendBytes("frame"), 5);
  EXPECT_EQ(port.LastErrorCode, 0) << port.LastErrorText;
  char buf[8] = {};
  int n = 0;
  for (int r = 0; n < 5 && (r = recv(server, buf + n, 5 - n, 0)) > 0;) n += r;
  EXPECT_EQ(std::string(buf, n), "frame");
  // Nothing came: a time-out, the port still there.
  port.ReceiveByte(50);
  EXPECT_EQ(port.LastErrorCode, ErrTimeout);
  EXPECT_FALSE(port.DeviceGone());

  closesocket(server);
  port.ReceiveByte(2000);
  EXPECT_NE(port.LastErrorCode, 0);
  EXPECT_TRUE(port.DeviceGone());
  EXPECT_EQ(PortFailureReason(port.LastErrorCode, port.DeviceGone()),
            "dispozitivul a disparut in timpul lucrului (cablu sau adaptor scos)");
  port.ClosePort();

  closesocket(listener);
  port.OpenPort(name);
  EXPECT_FALSE(port.IsOpen);
  EXPECT_EQ(port.LastErrorCode, WSAECONNREFUSED) << port.LastErrorText;
  EXPECT_FALSE(port.LastErrorText.empty());
  WSACleanup();
}

}  // namespace
}  // namespace vestok
