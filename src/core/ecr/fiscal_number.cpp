#include "ecr/fiscal_number.h"

#include "ecr/exchange.h"
#include "ecr/link_port.h"

namespace vestok {

std::uint8_t ReadFiscalNumber(const std::string& portName, std::int32_t speed, std::int16_t logicNo,
                              std::int32_t waitTimeMs, std::string& fiscalNumber) {
  if (!OpenLink(portName, speed)) return FiscalQueryPortFailed;
  std::string answer;
  if (SelectionHandshake(logicNo, waitTimeMs, &answer) != HandshakeResult::Ready) {
    // No acknowledgement and no deselection for a register that failed: only
    // the port is closed.
    CloseLink();
    return FiscalQueryExchangeFailed;
  }
  fiscalNumber = answer.substr(0, answer.find(';'));
  DeselectAll();  // leaves the register; its result does not matter
  CloseLink();
  return FiscalQueryOk;
}

}  // namespace vestok
