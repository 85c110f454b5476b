#pragma once
// Line speeds in bits per second and the terminal's rate constants.
#include <termios.h>

#include <cstdint>

namespace vestok {

// The terminal rate for a speed; false for a speed the terminal has no rate
// for (0 included: B0 would hang up the line, it is not a speed).
bool TerminalRateForSpeed(std::int32_t speed, speed_t& rate);

// The speed of a terminal rate; 0 for B0 or a rate this table does not know.
std::int32_t SpeedForTerminalRate(speed_t rate);

}  // namespace vestok
