// SPDX-License-Identifier: MIT
// The display settings and run flags, as every run starts with them.
#include "shell/config.h"

DisplayConfig displayConfig = {800, 600, 32, 1, "ZELMO"};
AppFlags appFlags = {0, 0};
