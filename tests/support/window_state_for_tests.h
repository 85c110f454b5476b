#pragma once
// The link and log names the tests share. A test that links the window uses
// the window's own (ui/window_state.h); a test of the core alone has the same
// names of its own here, since the core itself keeps no such state.
#if __has_include("ui/window_state.h")
#include "ui/window_state.h"
#else
#include <memory>

#include "config/link_settings.h"
#include "ecr/link_port.h"
#include "jobs/operation_log.h"

namespace vestok {
inline TLinkSettings LinkSettings;
inline TLink LinkPort{LinkSettings};
inline std::unique_ptr<TOperationLog> OperationLog;
}  // namespace vestok
#endif
