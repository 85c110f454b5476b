#include "jobs/operation_log.h"

namespace vestok {

std::unique_ptr<TOperationLog> OperationLog;

}  // namespace vestok
