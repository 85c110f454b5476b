#include "ecr/link_port.h"

namespace vestok {

bool OpenLink(TLink& link, const std::string& portName, std::int32_t speed) {
  // A link left open by an earlier user is released first, so that its port
  // is not held for the rest of the run.
  CloseLink(link);
  auto port = std::make_unique<TBlockSerial>();
  port->SetObserver(link.Observer);
  link.LastOpenError = 0;
  const auto failed = [&] {
    link.LastOpenError = port->LastErrorCode;
    return false;
  };
  port->OpenPort(portName);
  if (port->LastErrorCode != 0) return failed();

  port->ReadLineSettings();
  if (port->LastErrorCode != 0) return failed();
  TLineSettings& s = port->LineSettings;
  s.Speed = speed;
  s.DtrOn = true;
  s.RtsFlowControl = false;
  s.CtsFlowControl = false;
  s.XonXoff = false;
  s.ParityOn = false;
  s.DataBits = TBlockSerial::DataBits;
  // The stop bits keep the port's current setting.
  port->WriteLineSettings();
  if (port->LastErrorCode != 0) return failed();  // the port closes as it is released

  link.Port = std::move(port);
  return true;
}

void CloseLink(TLink& link) {
  if (!link) return;
  link->ClosePort();
  link.Port.reset();
}

void PurgeLink(TLink& link) {
  if (link) link->DiscardQueues();
}

bool WaitForData(TLink& link, int timeoutMs) { return link && link->WaitReadable(timeoutMs); }

std::uint8_t ReadLinkByte(TLink& link, int timeoutMs) { return link ? link->ReceiveByte(timeoutMs) : 0; }

bool LinkLost(const TLink& link) { return link && link->DeviceGone(); }

}  // namespace vestok
