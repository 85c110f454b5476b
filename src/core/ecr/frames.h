#pragma once
// The bytes of the register link: control characters, filler, the three frames
// the program sends, the 16-bit check, and the unpacking of a reply. Pure byte
// work, no input or output.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vestok {

inline constexpr char SelectChar = '\x11';    // DC1, twice at the start of a selection frame
inline constexpr char DeselectChar = '\x13';  // DC3, three times in a deselection frame
inline constexpr char FrameStart = '\x0A';    // LF, first byte of a command frame
inline constexpr char FrameEnd = '\x0D';      // CR, ends a command text and a reply text
inline constexpr char AckChar = '\x06';       // ACK, sent alone after a good reply
inline constexpr char FillerChar = '\xFF';

inline constexpr int SelectFillerBefore = 10;   // also before a deselection frame
inline constexpr int CommandFillerBefore = 5;
inline constexpr int FillerAfter = 5;           // after each of the three frames

// Lead byte, payload of two bytes, CR and the two check bytes.
inline constexpr std::size_t MinReplyLength = 6;

namespace detail {
constexpr std::array<std::uint16_t, 256> MakeCrc16Table() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    std::uint16_t reg = static_cast<std::uint16_t>(i << 8);
    for (int bit = 0; bit < 8; ++bit)
      reg = (reg & 0x8000) ? static_cast<std::uint16_t>((reg << 1) ^ 0x8001) : static_cast<std::uint16_t>(reg << 1);
    table[i] = reg;
  }
  return table;
}
inline constexpr std::array<std::uint16_t, 256> Crc16Table = MakeCrc16Table();
}  // namespace detail

// Polynomial 0x8001, start 0, most significant bit first, no reflection, no
// final XOR. Because it starts from 0, NUL bytes in front of a message leave
// the result unchanged, and a message followed by its own check gives 0.
constexpr std::uint16_t Crc16(std::string_view bytes) {
  std::uint16_t reg = 0;
  for (char c : bytes) {
    const auto index = static_cast<std::uint8_t>((reg >> 8) ^ static_cast<std::uint8_t>(c));
    reg = static_cast<std::uint16_t>((reg << 8) ^ detail::Crc16Table[index]);
  }
  return reg;
}

// Crc16 of the text, high byte first.
std::string CheckBytes(std::string_view text);

std::string PrependFiller(std::string_view text, int count);
std::string AppendFiller(std::string_view text, int count);

std::string BuildDeselectFrame();
// n as decimal digits, with a leading 0 when it has only one; nothing is cut.
std::string BuildSelectFrame(int logicNo);
// Upper-cases the ASCII letters of the text; nothing is escaped.
std::string BuildCommandFrame(std::string_view text);

// Which bytes a reply's check covers. Registers differ: most compute it over
// the payload and CR, so the Crc16 over everything after the lead byte, check
// bytes included, is 0 (FromFirstByte). Others leave a leading LF of the
// payload out, as the program does in its own command frames
// (AfterLeadingLF): the payload begins with LF and the Crc16 over the bytes
// after that LF is 0. NUL bytes in front of that LF are byte time-outs of a
// reply that began late and are passed over too.
enum class ReplyCoverage { None, FromFirstByte, AfterLeadingLF };

// `reply` with its lead byte, as CheckReply takes it. None for a reply
// shorter than MinReplyLength or one that is wrong under both coverages.
ReplyCoverage CheckReplyCoverage(std::string_view reply);

// A received reply, lead byte included: sound under either coverage. With
// `verify` false ("CheckReply=0" in the configuration file) every reply of
// MinReplyLength bytes or more is taken. Shorter than MinReplyLength is never
// valid.
bool CheckReply(std::string_view reply, bool verify = true);

// All bytes but the lead byte and the last three (CR and the check bytes);
// empty for a reply shorter than four bytes.
std::string ReplyPayload(std::string_view reply);

}  // namespace vestok
