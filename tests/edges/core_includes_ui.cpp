// Must not compile: the core cannot see the window's headers.
#include "ui/main_window.h"
