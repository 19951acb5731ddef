// SPDX-License-Identifier: MIT
// Opens and closes the test window and reads pixels back.
#include "gl_fixture.h"

#include <cmath>

#include "platform/gl.h"
#include "scripted.h"
#include "shell/config.h"
#include "shell/input.h"
#include "shell/window.h"

void openTestWindow(int32_t width, int32_t height) {
    useScriptedClock(1000);
    useScriptedMessages();
    displayConfig.fullscreen = 0;
    windowedRect = {0, 0, width, height};
    currentPreset = nullptr;
    ASSERT_TRUE(createMainWindow(windowProc)) << platLastError();
    PlatMessage message;  // what the platform posted while the window opened
    while (platPeekMessage(&message)) platDispatchMessage(&message);
}

void closeTestWindow() {
    destroyMainWindow();
    releaseRenderContext();
    currentPreset = nullptr;
    useSystemSeams();
}

Rgba readPixel(int32_t x, int32_t y) {
    Rgba pixel = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, currentRect.height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &pixel);
    return pixel;
}

void clearToBlack() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

void drawQuad(float left, float top, float right, float bottom) {
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(left, top);
    glTexCoord2f(1, 0);
    glVertex2f(right, top);
    glTexCoord2f(1, 1);
    glVertex2f(right, bottom);
    glTexCoord2f(0, 1);
    glVertex2f(left, bottom);
    glEnd();
}

const uint32_t glStateCaps[10] = {GL_TEXTURE_2D, GL_BLEND, GL_DEPTH_TEST,  GL_CULL_FACE,    GL_ALPHA_TEST,
                                  GL_LIGHTING,   GL_FOG,   GL_LINE_SMOOTH, GL_SCISSOR_TEST, GL_DITHER};

GlState readGlState(const GlQueries* through) {
    static const GlQueries gl = {glIsEnabled, glGetIntegerv, glGetFloatv, glGetTexEnviv};
    // GL's names below stand for the calls read through.
    auto glIsEnabled = (through ? through : &gl)->isEnabled;
    auto glGetIntegerv = (through ? through : &gl)->getIntegerv;
    auto glGetFloatv = (through ? through : &gl)->getFloatv;
    auto glGetTexEnviv = (through ? through : &gl)->getTexEnviv;
    GlState s = {};
    for (int i = 0; i < 10; ++i) s.enabled[i] = glIsEnabled(glStateCaps[i]) == GL_TRUE;
    glGetIntegerv(GL_MATRIX_MODE, &s.matrixMode);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &s.modelviewDepth);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &s.projectionDepth);
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &s.attribDepth);
    glGetIntegerv(GL_CLIENT_ATTRIB_STACK_DEPTH, &s.clientAttribDepth);
    glGetFloatv(GL_MODELVIEW_MATRIX, s.modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, s.projection);
    glGetFloatv(GL_TEXTURE_MATRIX, s.texture);
    glGetIntegerv(GL_BLEND_SRC, &s.blendSource);
    glGetIntegerv(GL_BLEND_DST, &s.blendDestination);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.boundTexture);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &s.textureEnvMode);
    glGetIntegerv(GL_LIST_BASE, &s.listBase);
    glGetIntegerv(GL_PACK_ALIGNMENT, &s.packAlignment);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &s.unpackAlignment);
    glGetIntegerv(GL_VIEWPORT, s.viewport);
    glGetFloatv(GL_CURRENT_COLOR, s.color);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, s.clearColor);
    glGetFloatv(GL_LINE_WIDTH, &s.lineWidth);
    return s;
}

std::string glStateDifferences(const GlState& e, const GlState& a) {
    std::string out;
    auto compare = [&](const char* name, const auto* expected, const auto* actual, int count, double tolerance) {
        for (int i = 0; i < count; ++i)
            if (std::abs((double)expected[i] - (double)actual[i]) > tolerance) {
                out += std::string(name) + "[" + std::to_string(i) + "]: " + std::to_string((double)expected[i]) +
                       " -> " + std::to_string((double)actual[i]) + "\n";
            }
    };
    compare("enabled", e.enabled, a.enabled, 10, 0);
    compare("matrix mode", &e.matrixMode, &a.matrixMode, 1, 0);
    compare("modelview depth", &e.modelviewDepth, &a.modelviewDepth, 1, 0);
    compare("projection depth", &e.projectionDepth, &a.projectionDepth, 1, 0);
    compare("attrib depth", &e.attribDepth, &a.attribDepth, 1, 0);
    compare("client attrib depth", &e.clientAttribDepth, &a.clientAttribDepth, 1, 0);
    compare("modelview", e.modelview, a.modelview, 16, 0);
    compare("projection", e.projection, a.projection, 16, 0);
    compare("texture matrix", e.texture, a.texture, 16, 0);
    compare("blend source", &e.blendSource, &a.blendSource, 1, 0);
    compare("blend destination", &e.blendDestination, &a.blendDestination, 1, 0);
    compare("bound texture", &e.boundTexture, &a.boundTexture, 1, 0);
    compare("texture env mode", &e.textureEnvMode, &a.textureEnvMode, 1, 0);
    compare("list base", &e.listBase, &a.listBase, 1, 0);
    compare("pack alignment", &e.packAlignment, &a.packAlignment, 1, 0);
    compare("unpack alignment", &e.unpackAlignment, &a.unpackAlignment, 1, 0);
    compare("viewport", e.viewport, a.viewport, 4, 0);
    compare("colour", e.color, a.color, 4, 1e-3);
    compare("clear colour", e.clearColor, a.clearColor, 4, 1e-3);
    compare("line width", &e.lineWidth, &a.lineWidth, 1, 0);
    return out;
}
