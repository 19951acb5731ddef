// SPDX-License-Identifier: MIT
// The one door to OpenGL 1.1 and GLU: every file that draws includes this header and no other GL one.
//
// Natively the calls are Mesa's libGL and libGLU as they are. In the browser build this header also
// brings platform/web/gl_layer.h, whose macros send every GL and GLU call the drawing code makes to
// the page's own GL 1.1, drawn with WebGL; a file's GL calls read the same either way.
#pragma once
#include <GL/gl.h>
#include <GL/glu.h>

#ifdef __EMSCRIPTEN__
#include "platform/web/gl_layer.h"
#endif
