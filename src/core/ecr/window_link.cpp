#include "ecr/window_link.h"

namespace vestok {

TLinkSettings LinkSettings;
TLink LinkPort{LinkSettings};

}  // namespace vestok
