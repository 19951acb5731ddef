// The display settings and run flags, apart from the entry routine so that tools and tests can link
// the window code without the program's scene table.
#include "shell/app.h"

DisplayConfig displayConfig = {800, 600, 32, 1, "ZELMO"};
AppFlags appFlags = {0, 0};
