// SPDX-License-Identifier: MIT
// Sanitizer builds only: keeps dlopen'ed libraries (Mesa's driver) mapped until exit, so that
// LeakSanitizer can name their frames and the suppressions for system libraries apply.
extern "C" int dlclose(void*) { return 0; }
