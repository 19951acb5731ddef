// SPDX-License-Identifier: MIT
// The page's OpenGL 1.1: the part of GL 1.1 and GLU the drawing code calls, drawn with OpenGL ES 2.0.
//
// In the browser build platform/gl.h brings this header to every file that draws, and its macros
// send the drawing code's GL calls (glBegin, glTexImage2D, ...) to the functions below under their
// own names (zglBegin, ...): the code above platform/ reads the same as natively. WebGL 1 is ES 2.0,
// so the layer also builds natively against Mesa's ES 2 and runs there beside Mesa's own GL 1.1 in
// the tests. One context at a time: the one current when zglStart ran.
//
// How it draws. All GL state lives here, on the CPU: the three matrix stacks, the current colour
// and texture coordinate, the enables, the texture environment, blending, alpha test, fog, depth,
// scissor, viewport, display lists, the attribute stacks; the state queries answer from it, so no
// query waits on the GPU. glVertex transforms its vertex by the projection and modelview matrices
// here and keeps it with its colour, texture coordinate and eye distance; glEnd makes triangles or
// lines of the primitive and adds them to a list of draws, each with the state it needs; a draw
// with the same state as the one before it joins it. The list is drawn (one upload of the frame's
// vertices, then one ES draw for each run of equal state, by one small shader source covering
// texturing and its environment, GL_CLAMP, alpha test and fog, built for just the features each
// draw needs) by zglFlush, and first by every call that changes what a waiting draw reads (a
// texture's pixels or parameters, its deletion) or reads what it draws (glReadPixels, glFinish,
// glFlush).
//
// What it does and does not do, where GL would do more:
//   primitives  glBegin/glEnd of GL_QUADS, GL_QUAD_STRIP, GL_TRIANGLES, GL_TRIANGLE_STRIP,
//               GL_TRIANGLE_FAN, GL_POLYGON, GL_LINES, GL_LINE_STRIP and GL_LINE_LOOP, smooth-shaded;
//               a quad is split along its 1-3 diagonal, as Mesa splits it. Up to 16384 vertices a
//               primitive. Lines are 1 pixel wide where the browser draws no wider; smoothing is not
//               drawn. No points, lighting or flat shading (said on the console when asked for).
//   textures    2D, level 0 only, unsigned bytes in GL_ALPHA, GL_LUMINANCE, GL_LUMINANCE_ALPHA,
//               GL_RGB, GL_RGBA or GL_COLOR_INDEX (through the index shift, offset and I_TO_R/G/B/A
//               maps), converted to the internal format's base format as GL converts them; names up
//               to 4095. GL_CLAMP blends with the (transparent black) border as GL does. A texture
//               with a mipmapping filter has no complete set of levels, so texturing is off while it
//               is bound, as in GL. The environment modes GL_MODULATE, GL_REPLACE, GL_DECAL, GL_BLEND
//               and GL_ADD (environment colour: its initial black).
//   lists       glNewList records the calls GL compiles that take numbers (not glOrtho, gluOrtho2D,
//               glTexImage2D, glTexParameteri, glPixelTransferi, glPixelMapfv, glFogfv, glCopyPixels:
//               those run at once and say so). Up to 1024 list names and 16384 recorded calls in all
//               (GL_OUT_OF_MEMORY past them); lists nest 64 deep.
//   stacks      modelview and projection 32 deep, texture 10, attributes 16 (Mesa's depths).
//               glPopAttrib restores the state kept here by its groups (current, enable, colour
//               buffer, depth buffer, fog, line, scissor, viewport, texture: binding and environment,
//               transform, list, hint, lighting, polygon, pixel mode); glPopClientAttrib the pixel store.
//   pixels      glPixelStorei: the alignments; the other names only at their initial values.
//               glReadPixels: GL_RGBA and GL_RGB. glCopyPixels copies nothing (said on the console).
//   queries     glGetIntegerv, glGetFloatv, glGetBooleanv, glIsEnabled, glGetTexEnviv, glGetString
//               and glGetError, converted between types as GL converts them.
// A call, name or value outside this (a capability, a parameter, a format) is said once a context
// on the console (standard error: "zelmo GL: ..."), and sets GL's error where GL would set one.
//
// Ownership: nothing here allocates for its caller. Failures are GL's errors, read by glGetError.
#pragma once
#include <GL/gl.h>
#include <GL/glu.h>
#include <stdint.h>

extern "C" {
// The context current now becomes the layer's, at GL's initial state with a viewport and scissor
// box of width x height (the drawable's pixels); what an earlier context held here is forgotten.
void zglStart(int32_t width, int32_t height);
// Draws what waits to be drawn; the page calls it before it shows the frame.
void zglFlush(void);
// Primitives ended by glEnd (not into a list) and ES draw calls made, since the start of the process.
uint32_t zglPrimitivesDrawn(void);
uint32_t zglDrawCalls(void);
// Lines the layer has said on the console since zglStart (each once).
uint32_t zglReports(void);
// Called before each texture upload when set: a font's glyphs and a game's pictures are long runs of
// uploads, and the page gives itself its turn between them.
extern void (*zglBeforeUpload)(void);

void zglMatrixMode(GLenum mode);
void zglLoadIdentity(void);
void zglPushMatrix(void);
void zglPopMatrix(void);
void zglTranslatef(GLfloat x, GLfloat y, GLfloat z);
void zglScalef(GLfloat x, GLfloat y, GLfloat z);
void zglOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar);
void zgluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top);
void zglViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void zglScissor(GLint x, GLint y, GLsizei width, GLsizei height);

void zglBegin(GLenum mode);
void zglEnd(void);
void zglVertex2i(GLint x, GLint y);
void zglVertex2f(GLfloat x, GLfloat y);
void zglVertex3f(GLfloat x, GLfloat y, GLfloat z);
void zglTexCoord2f(GLfloat s, GLfloat t);
void zglColor4ub(GLubyte red, GLubyte green, GLubyte blue, GLubyte alpha);
void zglColor4ubv(const GLubyte* color);

GLuint zglGenLists(GLsizei range);
void zglDeleteLists(GLuint list, GLsizei range);
GLboolean zglIsList(GLuint list);
void zglNewList(GLuint list, GLenum mode);
void zglEndList(void);
void zglCallList(GLuint list);
void zglCallLists(GLsizei count, GLenum type, const GLvoid* lists);
void zglListBase(GLuint base);

void zglEnable(GLenum cap);
void zglDisable(GLenum cap);
GLboolean zglIsEnabled(GLenum cap);
void zglBlendFunc(GLenum source, GLenum destination);
void zglAlphaFunc(GLenum func, GLclampf ref);
void zglDepthFunc(GLenum func);
void zglDepthMask(GLboolean flag);
void zglClearDepth(GLclampd depth);
void zglClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
void zglClear(GLbitfield mask);
void zglLineWidth(GLfloat width);
void zglShadeModel(GLenum mode);
void zglHint(GLenum target, GLenum mode);
void zglFogi(GLenum name, GLint value);
void zglFogf(GLenum name, GLfloat value);
void zglFogfv(GLenum name, const GLfloat* values);
void zglTexEnvi(GLenum target, GLenum name, GLint value);
void zglPushAttrib(GLbitfield mask);
void zglPopAttrib(void);
void zglPushClientAttrib(GLbitfield mask);
void zglPopClientAttrib(void);

void zglGenTextures(GLsizei count, GLuint* names);
void zglDeleteTextures(GLsizei count, const GLuint* names);
void zglBindTexture(GLenum target, GLuint name);
void zglTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                   GLenum format, GLenum type, const GLvoid* pixels);
void zglTexParameteri(GLenum target, GLenum name, GLint value);
void zglPixelStorei(GLenum name, GLint value);
void zglPixelTransferi(GLenum name, GLint value);
void zglPixelMapfv(GLenum map, GLsizei size, const GLfloat* values);
// Returns 0, GLU_INVALID_VALUE for a negative size or null buffers, GLU_INVALID_ENUM for a format
// or type it does not take (unsigned bytes of 1 to 4 components are taken), GLU_OUT_OF_MEMORY.
GLint zgluScaleImage(GLenum format, GLint widthIn, GLint heightIn, GLenum typeIn, const void* dataIn, GLint widthOut,
                     GLint heightOut, GLenum typeOut, GLvoid* dataOut);

void zglGetIntegerv(GLenum name, GLint* values);
void zglGetFloatv(GLenum name, GLfloat* values);
void zglGetBooleanv(GLenum name, GLboolean* values);
void zglGetTexEnviv(GLenum target, GLenum name, GLint* values);
GLenum zglGetError(void);
// GL_VERSION "1.1", GL_VENDOR "zelmo", GL_RENDERER the ES context's, GL_EXTENSIONS "": static
// strings. Null before zglStart (no context, as GL answers) and for another name (GL_INVALID_ENUM).
const GLubyte* zglGetString(GLenum name);

void zglReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid* pixels);
void zglCopyPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum type);
void zglFinish(void);
}

// The layer itself and its tests define ZELMO_GL_LAYER_DIRECT to keep GL's names for GL.
#ifndef ZELMO_GL_LAYER_DIRECT
#define glMatrixMode zglMatrixMode
#define glLoadIdentity zglLoadIdentity
#define glPushMatrix zglPushMatrix
#define glPopMatrix zglPopMatrix
#define glTranslatef zglTranslatef
#define glScalef zglScalef
#define glOrtho zglOrtho
#define gluOrtho2D zgluOrtho2D
#define glViewport zglViewport
#define glScissor zglScissor
#define glBegin zglBegin
#define glEnd zglEnd
#define glVertex2i zglVertex2i
#define glVertex2f zglVertex2f
#define glVertex3f zglVertex3f
#define glTexCoord2f zglTexCoord2f
#define glColor4ub zglColor4ub
#define glColor4ubv zglColor4ubv
#define glGenLists zglGenLists
#define glDeleteLists zglDeleteLists
#define glIsList zglIsList
#define glNewList zglNewList
#define glEndList zglEndList
#define glCallList zglCallList
#define glCallLists zglCallLists
#define glListBase zglListBase
#define glEnable zglEnable
#define glDisable zglDisable
#define glIsEnabled zglIsEnabled
#define glBlendFunc zglBlendFunc
#define glAlphaFunc zglAlphaFunc
#define glDepthFunc zglDepthFunc
#define glDepthMask zglDepthMask
#define glClearDepth zglClearDepth
#define glClearColor zglClearColor
#define glClear zglClear
#define glLineWidth zglLineWidth
#define glShadeModel zglShadeModel
#define glHint zglHint
#define glFogi zglFogi
#define glFogf zglFogf
#define glFogfv zglFogfv
#define glTexEnvi zglTexEnvi
#define glPushAttrib zglPushAttrib
#define glPopAttrib zglPopAttrib
#define glPushClientAttrib zglPushClientAttrib
#define glPopClientAttrib zglPopClientAttrib
#define glGenTextures zglGenTextures
#define glDeleteTextures zglDeleteTextures
#define glBindTexture zglBindTexture
#define glTexImage2D zglTexImage2D
#define glTexParameteri zglTexParameteri
#define glPixelStorei zglPixelStorei
#define glPixelTransferi zglPixelTransferi
#define glPixelMapfv zglPixelMapfv
#define gluScaleImage zgluScaleImage
#define glGetIntegerv zglGetIntegerv
#define glGetFloatv zglGetFloatv
#define glGetBooleanv zglGetBooleanv
#define glGetTexEnviv zglGetTexEnviv
#define glGetError zglGetError
#define glGetString zglGetString
#define glReadPixels zglReadPixels
#define glCopyPixels zglCopyPixels
#define glFinish zglFinish
#define glFlush zglFlush
// GL 1.1 calls the layer lacks whose names WebGL also has: reaching WebGL's under GL's name would
// draw beside the layer's state, so using one stops the build. (GL's other calls the layer lacks
// are not in WebGL, and stop the link.)
#pragma GCC poison glColorMask glCullFace glFrontFace glPolygonOffset glStencilFunc glStencilMask glStencilOp
#pragma GCC poison glClearStencil glTexSubImage2D glCopyTexImage2D glCopyTexSubImage2D glDrawArrays glDrawElements
#pragma GCC poison glGetTexParameteriv glGetTexParameterfv glTexParameterf glTexParameterfv glTexParameteriv
#pragma GCC poison glIsTexture glGetPointerv
#endif
