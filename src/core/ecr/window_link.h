#pragma once
// The window's link: the one link and the one settings record of the window
// (and of its batch run). Only the window, its dialogs and start-up use them,
// and they hand LinkPort to every routine they call; the rest of the core works
// on the link it is given.
#include "config/link_settings.h"
#include "ecr/link_port.h"

namespace vestok {

extern TLinkSettings LinkSettings;
extern TLink LinkPort;  // runs with LinkSettings

}  // namespace vestok
