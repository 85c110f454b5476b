#pragma once
// The fiscal number query: the smallest whole conversation with a register.
#include <cstdint>
#include <string>

#include "ecr/link_port.h"

namespace vestok {

inline constexpr std::uint8_t FiscalQueryOk = 0;
inline constexpr std::uint8_t FiscalQueryPortFailed = 3;      // OpenLink failed
inline constexpr std::uint8_t FiscalQueryExchangeFailed = 4;  // a step of the exchange failed

// Opens `link`, selects `logicNo` (each attempt waiting `waitTimeMs` for the
// start of the answer), takes the fiscal number from the answer (up to its
// first ';', or all of it), acknowledges, deselects and closes the link. The
// link must be closed on entry and is closed on return, whatever the result.
// `fiscalNumber` is set only when the result is 0.
std::uint8_t ReadFiscalNumber(TLink& link, const std::string& portName, std::int32_t speed, std::int16_t logicNo,
                              std::int32_t waitTimeMs, std::string& fiscalNumber);

}  // namespace vestok
