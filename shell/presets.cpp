// SPDX-License-Identifier: MIT
// Render-state presets and the screen copy.
#include "shell/presets.h"

#include "platform/gl.h"
#include "shell/config.h"
#include "shell/window.h"

static const GLubyte opaqueWhite[4] = {255, 255, 255, 255};

void apply2dPreset() {
    currentPreset = apply2dPreset;
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4ubv(opaqueWhite);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_DEPTH_TEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, (double)displayConfig.width, (double)displayConfig.height, 0.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void apply3dPreset() {
    currentPreset = apply3dPreset;
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4ubv(opaqueWhite);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void copyScreen() {
    if (currentRect.width < 1 || currentRect.height < 1) return;  // minimised: nothing to copy
    glCopyPixels(0, 0, currentRect.width - 1, currentRect.height - 1, GL_COLOR);
}
