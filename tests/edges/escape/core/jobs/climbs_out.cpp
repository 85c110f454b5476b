// Must be refused by the include scan: it climbs out of its core folder.
#include "../../ui/job_tag.h"
