// Must not compile: the core cannot see the simulated register's headers.
#include "sim/ecr_simulator.h"
