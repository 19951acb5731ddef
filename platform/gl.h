// SPDX-License-Identifier: MIT
// The one door to OpenGL 1.1 and GLU: every file that draws includes this header and no other GL one.
//
// Natively the calls are Mesa's libGL and libGLU as they are. In the browser build this header also
// brings platform/web/gl_compat.h, which routes the calls the browser's GL emulation lacks (display
// lists, attribute stacks, colour-index uploads, gluScaleImage and a few older enums) to a layer of
// ours that supplies them on top of the calls it has; a file's GL calls read the same either way.
#pragma once
#include <GL/gl.h>
#include <GL/glu.h>

#ifdef __EMSCRIPTEN__
#include "platform/web/gl_compat.h"
#endif
