#pragma once
// The exchange primitives of the register link and the two shapes every
// conversation is built from: the selection handshake and the command step.
// They act on the link they are given, which must be open, read its settings
// at the moment a value is needed, and never show or log anything.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ecr/link_port.h"

namespace vestok {

// Every send first discards what has come in since the last read: a reply
// that arrived late, or twice, belongs to an earlier frame and must not be
// taken for the answer to this one.
//
// Sends the deselection frame, then discards the port's queues. False when the
// port was not idle (nothing is sent then).
bool DeselectAll(TLink& link);
// Sends the selection frame of logical number n. False when the port was not idle.
bool SelectEcr(TLink& link, std::int16_t logicNo);
// Sends the command frame of the text. False when the port was not idle.
bool SendCommand(TLink& link, const std::string& text);
// Sends the bytes unchanged (the single AckChar). False when the port was not idle.
bool SendRaw(TLink& link, const std::string& bytes);

// The most bytes a reply may take up to its CR. The longest record a register
// sends is a few hundred bytes; a line that streams bytes without a CR (noise,
// a register stuck sending filler) would otherwise hold the reader for ever,
// since only byte time-outs end it.
inline constexpr std::size_t MaxReplyLength = 4096;

// The longest reply a register sends for one record, with room to spare; it
// enters only the time bound of a reply below.
inline constexpr int LongestRecordBytes = 512;
// What a reply may take beyond its byte time-outs and its time on the line.
inline constexpr int ReplyTimeMarginMs = 1000;

// The time bound of one reply: all its RetryByte byte time-outs
// (RetryByte x CableTimeout), plus the time LongestRecordBytes take at the
// line speed (ten bit times a byte), plus ReplyTimeMarginMs. A register that
// trickles one byte just inside the byte time-out would otherwise hold the
// reader for MaxReplyLength byte time-outs.
int ReplyTimeBoundMs(const TLinkSettings& settings, std::int32_t lineSpeed);

// Reads one reply: bytes up to the first CR and two check bytes. Every failed
// read (a time-out, a line error, a port that has gone away) puts 0x00 into
// the buffer and counts toward RetryByte; at that count the reply is given up,
// and so it is when MaxReplyLength bytes have come without a CR or when the
// reply has taken longer than ReplyTimeBoundMs.
// On true, payload holds the reply's payload; on false it is left unchanged.
bool ReceiveReply(TLink& link, std::string& payload);

// How many times a step of an exchange is tried: RetryCmd, at least once.
int AttemptLimit(const TLink& link);

// Tries `attempt` (returning bool) up to AttemptLimit(link) times and stops at
// the first success.
template <typename Attempt>
bool WithAttempts(const TLink& link, Attempt&& attempt) {
  const int limit = AttemptLimit(link);
  for (int i = 0; i < limit; ++i)
    if (attempt()) return true;
  return false;
}

enum class HandshakeResult {
  Ready,           // selected, answered and acknowledged
  DeselectFailed,  // the port never took the deselection frame
  NoAnswer,        // no selection attempt saw the start of an answer
  BadAnswer,       // the answer did not arrive whole or failed its check
  AckFailed,       // the port never took the acknowledgement
};

// Deselect, select `logicNo` waiting `waitMs` for the start of the answer, read
// the answer (into `answer` when given) and acknowledge it; each step with
// attempts. The port's queues are not discarded afterwards (see CommandStep).
HandshakeResult SelectionHandshake(TLink& link, std::int16_t logicNo, int waitMs, std::string* answer = nullptr);

enum class CommandResult {
  NotSent,  // the port was not idle; nothing went out
  NoReply,  // sent, but no valid reply came back
  Replied,  // payload holds the reply
};

// Sends the command, waits up to RetryCmd times CableTimeout for the start of
// the reply, then reads the reply in any case (a late reply is still read,
// with 0x00 bytes in front). Jobs that repeat a command call this again.
CommandResult SendAndReceive(TLink& link, const std::string& text, std::string& payload);

// The command step after a handshake: discards the port's queues once, then
// SendAndReceive.
CommandResult CommandStep(TLink& link, const std::string& text, std::string& payload);

}  // namespace vestok
