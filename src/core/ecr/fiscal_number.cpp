#include "ecr/fiscal_number.h"

#include "ecr/exchange.h"
#include "ecr/link_port.h"

namespace vestok {

std::uint8_t ReadFiscalNumber(TLink& link, const std::string& portName, std::int32_t speed, std::int16_t logicNo,
                              std::int32_t waitTimeMs, std::string& fiscalNumber) {
  if (!OpenLink(link, portName, speed)) return FiscalQueryPortFailed;
  std::string answer;
  if (SelectionHandshake(link, logicNo, waitTimeMs, &answer) != HandshakeResult::Ready) {
    // No acknowledgement and no deselection for a register that failed: only
    // the port is closed.
    CloseLink(link);
    return FiscalQueryExchangeFailed;
  }
  fiscalNumber = answer.substr(0, answer.find(';'));
  DeselectAll(link);  // leaves the register; its result does not matter
  CloseLink(link);
  return FiscalQueryOk;
}

}  // namespace vestok
