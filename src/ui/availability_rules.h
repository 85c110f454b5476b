#pragma once
// Which of the nine rule-driven actions are enabled for the page shown and the
// protocol variant chosen in the toolbar: the core's variant rules.
#include "engine/variant_rules.h"
