// Compiles: the same set-up reaches the core's own headers, so the two
// failures beside it are about the include roots, not about the set-up.
#include "jobs/transfer_job.h"
#include "program_version.h"
