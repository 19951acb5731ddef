// SPDX-License-Identifier: MIT
// GL 1.1 and GLU calls the browser's GL emulation lacks, built on the calls it has.
//
// In the browser build platform/gl.h brings this header to every file that draws, so the drawing
// code's calls to the functions below land here unchanged; each then calls the real GL. Natively the
// layer compiles against Mesa as it is, which is how the tests hold it against the real thing.
//
// What it covers:
//   display lists  glGenLists, glDeleteLists, glNewList, glEndList, glCallList(s), glListBase.
//                  A list records glBindTexture, glTranslatef, glScalef, glBegin, glEnd,
//                  glTexCoord2f, glVertex2f/2i/3f, glColor4ub(v) and nested glCallList(s); any other
//                  call made while a list is open runs at once. Up to 1024 list names, 16384
//                  recorded calls in all; what does not fit is not recorded (GL_OUT_OF_MEMORY).
//   attribute stacks  glPushAttrib/glPopAttrib for GL_ENABLE_BIT (the capabilities below) and
//                  GL_TEXTURE_BIT (2D binding, environment mode); glPushClientAttrib/
//                  glPopClientAttrib for GL_CLIENT_PIXEL_STORE_BIT (both alignments). 16 deep.
//   colour-index uploads  glTexImage2D with GL_COLOR_INDEX / GL_UNSIGNED_BYTE goes through the
//                  index shift and offset and the I_TO_R/G/B/A maps (glPixelTransferi,
//                  glPixelMapfv), as GL does; an alpha texture is sent as white luminance-alpha,
//                  which textures the same under every environment mode but GL_REPLACE/GL_DECAL.
//   gluScaleImage  unsigned bytes with 1 to 4 components, box-filtered (area-weighted), reading
//                  rows with the unpack alignment and writing them with the pack alignment.
//   primitives     the current colour and texture coordinate go with every vertex (the emulation
//                  counts a colour given between glBegin and glEnd as part of each vertex). With
//                  batching on (compatBatchQuads), glEnd of whole GL_QUADS leaves GL's primitive
//                  open, and the next GL_QUADS with nothing changed between (same texture, no call
//                  but glBindTexture of that texture) goes on in it: the emulation sets up and draws
//                  once for the run, not once a quad. Any other call of the layer, and every GL call
//                  made through this header, ends it first; a caller that reaches GL otherwise (the
//                  page's swap, a test calling GL directly) calls compatFlush before it. Up to 1024
//                  quads a run.
//   glCopyPixels   which the emulation declares but does not have (the call would end the run):
//                  the raster position is never moved here, so a copy lands where it was read
//                  and leaves the pixels as they are; the layer draws nothing for it.
//   older enums    internal formats 1..4 and sized ones become WebGL's base formats; GL_CLAMP
//                  becomes GL_CLAMP_TO_EDGE; pixel-store names, hints and shade models WebGL
//                  lacks are ignored.
//
// Tracked capabilities (restored by GL_ENABLE_BIT): GL_TEXTURE_2D, GL_BLEND, GL_DEPTH_TEST, GL_FOG,
// GL_ALPHA_TEST, GL_CULL_FACE, GL_LINE_SMOOTH, GL_SCISSOR_TEST, GL_LIGHTING, GL_DITHER; their state
// is what was set through this layer (GL's initial state before that). One GL context is assumed.
#pragma once
#include <GL/gl.h>
#include <GL/glu.h>
#include <stdint.h>

extern "C" {
GLuint compatGenLists(GLsizei range);
void compatDeleteLists(GLuint list, GLsizei range);
GLboolean compatIsList(GLuint list);
void compatNewList(GLuint list, GLenum mode);
void compatEndList(void);
void compatCallList(GLuint list);
void compatCallLists(GLsizei count, GLenum type, const GLvoid* lists);
void compatListBase(GLuint base);

void compatBindTexture(GLenum target, GLuint texture);
void compatTranslatef(GLfloat x, GLfloat y, GLfloat z);
void compatScalef(GLfloat x, GLfloat y, GLfloat z);
void compatBegin(GLenum mode);
void compatEnd(void);
// How many primitives glEnd has drawn (not recorded into a list) since the start.
uint32_t compatPrimitivesDrawn(void);
// Batching of quads (see "primitives"): off at the start; switching it ends a run held.
void compatBatchQuads(int on);
// Ends a run of quads held open (draws it); nothing when none is.
void compatFlush(void);
void compatTexCoord2f(GLfloat s, GLfloat t);
void compatVertex2f(GLfloat x, GLfloat y);
void compatVertex2i(GLint x, GLint y);
void compatVertex3f(GLfloat x, GLfloat y, GLfloat z);
void compatColor4ub(GLubyte red, GLubyte green, GLubyte blue, GLubyte alpha);
void compatColor4ubv(const GLubyte* color);

void compatEnable(GLenum cap);
void compatDisable(GLenum cap);
GLboolean compatIsEnabled(GLenum cap);
void compatTexEnvi(GLenum target, GLenum name, GLint value);
void compatPushAttrib(GLbitfield mask);
void compatPopAttrib(void);
void compatPushClientAttrib(GLbitfield mask);
void compatPopClientAttrib(void);
void compatPixelStorei(GLenum name, GLint value);

void compatHint(GLenum target, GLenum mode);
void compatShadeModel(GLenum mode);
void compatCopyPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum type);
void compatPixelTransferi(GLenum name, GLint value);
void compatPixelMapfv(GLenum map, GLsizei size, const GLfloat* values);
// Called before each texture upload when set: loading a font's glyphs or a game's pictures is a long
// run of uploads, and the page backend gives the page its turn between them. Null natively.
extern void (*compatBeforeUpload)(void);
void compatTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                      GLenum format, GLenum type, const GLvoid* pixels);
void compatTexParameteri(GLenum target, GLenum name, GLint value);
// Returns 0, GLU_INVALID_VALUE for a negative size or null buffers, GLU_INVALID_ENUM for a format
// or type it does not take, GLU_OUT_OF_MEMORY.
GLint compatScaleImage(GLenum format, GLint widthIn, GLint heightIn, GLenum typeIn, const void* dataIn, GLint widthOut,
                       GLint heightOut, GLenum typeOut, GLvoid* dataOut);
}

// The layer itself and its tests define ZELMO_GL_COMPAT_DIRECT to keep the GL names for GL.
#ifndef ZELMO_GL_COMPAT_DIRECT
#define glGenLists compatGenLists
#define glDeleteLists compatDeleteLists
#define glIsList compatIsList
#define glNewList compatNewList
#define glEndList compatEndList
#define glCallList compatCallList
#define glCallLists compatCallLists
#define glListBase compatListBase
#define glBindTexture compatBindTexture
#define glTranslatef compatTranslatef
#define glScalef compatScalef
#define glBegin compatBegin
#define glEnd compatEnd
#define glTexCoord2f compatTexCoord2f
#define glVertex2f compatVertex2f
#define glVertex2i compatVertex2i
#define glVertex3f compatVertex3f
#define glColor4ub compatColor4ub
#define glColor4ubv compatColor4ubv
#define glEnable compatEnable
#define glDisable compatDisable
#define glIsEnabled compatIsEnabled
#define glTexEnvi compatTexEnvi
#define glPushAttrib compatPushAttrib
#define glPopAttrib compatPopAttrib
#define glPushClientAttrib compatPushClientAttrib
#define glPopClientAttrib compatPopClientAttrib
#define glPixelStorei compatPixelStorei
#define glHint compatHint
#define glShadeModel compatShadeModel
#define glCopyPixels compatCopyPixels
#define glPixelTransferi compatPixelTransferi
#define glPixelMapfv compatPixelMapfv
#define glTexImage2D compatTexImage2D
#define glTexParameteri compatTexParameteri
#define gluScaleImage compatScaleImage
// The GL calls the layer does not replace end a run of quads first (a macro's name in its own
// expansion is the function's).
#define glMatrixMode(...) (compatFlush(), glMatrixMode(__VA_ARGS__))
#define glLoadIdentity(...) (compatFlush(), glLoadIdentity(__VA_ARGS__))
#define glPushMatrix(...) (compatFlush(), glPushMatrix(__VA_ARGS__))
#define glPopMatrix(...) (compatFlush(), glPopMatrix(__VA_ARGS__))
#define glLoadMatrixf(...) (compatFlush(), glLoadMatrixf(__VA_ARGS__))
#define glMultMatrixf(...) (compatFlush(), glMultMatrixf(__VA_ARGS__))
#define glRotatef(...) (compatFlush(), glRotatef(__VA_ARGS__))
#define glOrtho(...) (compatFlush(), glOrtho(__VA_ARGS__))
#define gluOrtho2D(...) (compatFlush(), gluOrtho2D(__VA_ARGS__))
#define glViewport(...) (compatFlush(), glViewport(__VA_ARGS__))
#define glScissor(...) (compatFlush(), glScissor(__VA_ARGS__))
#define glClear(...) (compatFlush(), glClear(__VA_ARGS__))
#define glClearColor(...) (compatFlush(), glClearColor(__VA_ARGS__))
#define glClearDepth(...) (compatFlush(), glClearDepth(__VA_ARGS__))
#define glBlendFunc(...) (compatFlush(), glBlendFunc(__VA_ARGS__))
#define glAlphaFunc(...) (compatFlush(), glAlphaFunc(__VA_ARGS__))
#define glDepthMask(...) (compatFlush(), glDepthMask(__VA_ARGS__))
#define glDepthFunc(...) (compatFlush(), glDepthFunc(__VA_ARGS__))
#define glColorMask(...) (compatFlush(), glColorMask(__VA_ARGS__))
#define glLineWidth(...) (compatFlush(), glLineWidth(__VA_ARGS__))
#define glFogi(...) (compatFlush(), glFogi(__VA_ARGS__))
#define glFogf(...) (compatFlush(), glFogf(__VA_ARGS__))
#define glFogfv(...) (compatFlush(), glFogfv(__VA_ARGS__))
#define glGenTextures(...) (compatFlush(), glGenTextures(__VA_ARGS__))
#define glDeleteTextures(...) (compatFlush(), glDeleteTextures(__VA_ARGS__))
#define glGetIntegerv(...) (compatFlush(), glGetIntegerv(__VA_ARGS__))
#define glGetFloatv(...) (compatFlush(), glGetFloatv(__VA_ARGS__))
#define glGetBooleanv(...) (compatFlush(), glGetBooleanv(__VA_ARGS__))
#define glGetError(...) (compatFlush(), glGetError(__VA_ARGS__))
#define glGetTexParameteriv(...) (compatFlush(), glGetTexParameteriv(__VA_ARGS__))
#define glGetTexEnviv(...) (compatFlush(), glGetTexEnviv(__VA_ARGS__))
#define glReadPixels(...) (compatFlush(), glReadPixels(__VA_ARGS__))
#define glFinish(...) (compatFlush(), glFinish(__VA_ARGS__))
#define glFlush(...) (compatFlush(), glFlush(__VA_ARGS__))
#define glGetDoublev(...) (compatFlush(), glGetDoublev(__VA_ARGS__))
#define glIsTexture(...) (compatFlush(), glIsTexture(__VA_ARGS__))
#define glGetTexImage(...) (compatFlush(), glGetTexImage(__VA_ARGS__))
#define glGetTexLevelParameteriv(...) (compatFlush(), glGetTexLevelParameteriv(__VA_ARGS__))
#define glRasterPos2f(...) (compatFlush(), glRasterPos2f(__VA_ARGS__))
#endif
