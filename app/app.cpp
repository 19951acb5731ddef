// SPDX-License-Identifier: MIT
// The program's entry routine: start-up, the main loop, the system keys and shutdown.
#include "app/app.h"

#include <string.h>

#include "app/record.h"
#include "assets/pcx.h"
#include "draw/glyph_font.h"
#include "sequencer/sequencer.h"
#include "shell/input.h"
#include "shell/window.h"

bool (*frameCallback)() = nullptr;
uint32_t quitExitCode = 0;

enum { fontHeight = 120, fontWeight = 600 };

static uint8_t iconPixels[appIconSide * appIconSide * 4];

// Decodes the icon once; without a usable one the window simply has none.
static void loadAppIcon(const EmbeddedFile* iconFile) {
    Texture icon;
    if (iconFile && loadPcx(icon, iconFile, streamBackendDefault) && icon.image->width == appIconSide &&
        icon.image->height == appIconSide) {
        memcpy(iconPixels, icon.image->pixels, sizeof iconPixels);
        appIcon = iconPixels;
    }
    freeImage(icon);
}

bool checkSystemKeys() {
    if (inputState.keys[VK_ESCAPE]) return false;
    if (!inputState.keys[VK_F1]) return true;
    inputState.keys[VK_F1] = 0;
    destroyMainWindow();
    displayConfig.fullscreen = displayConfig.fullscreen ? 0 : 1;
    return createMainWindow(windowProc);
}

bool mainLoopPass() {
    if (appFlags.quitRequested) return false;
    PlatMessage message;
    if (platPeekMessage(&message)) {
        if (message.message == WM_QUIT) {
            appFlags.quitRequested = 1;
            quitExitCode = message.wParam;
            return false;
        }
        platDispatchMessage(&message);
        return true;
    }
    if (appFlags.active && !tickSequencer(sequencer)) {
        appFlags.quitRequested = 1;
        return false;
    }
    if (!frameCallback()) appFlags.quitRequested = 1;
    idlePassDone();
    // No frame can run while the window is minimised: rest until a message comes, but not so long
    // that the system keys wait.
    if (!appFlags.active && !appFlags.quitRequested) platWaitSource(mainLoopRestMs);
    return true;
}

static bool startUp(Scene* scenes, const EmbeddedFile* iconFile) {
    loadAppIcon(iconFile);
    windowedRect.width = fullscreenRect.width = (int32_t)displayConfig.width;
    windowedRect.height = fullscreenRect.height = (int32_t)displayConfig.height;
    appFlags.active = 1;
    appFlags.quitRequested = 0;
    quitExitCode = 0;
    memset(inputState.keys, 0, sizeof inputState.keys);
    frameCallback = checkSystemKeys;
    // A replay checked without a window draws into no GL context: nothing it draws is kept.
    if (!sessionWindowless()) {
        if (!createMainWindow(windowProc)) return false;
        buildGlyphFont("Arial", fontHeight, fontWeight, &programFont);
        // Without a face the game plays on with its text missing; the player learns why, once.
        if (!programFont.listBase)
            platReportError(*platLastError() ? platLastError() : "the font of the game's text cannot be built");
    }
    sessionBegin();
    sequencer.scenes = scenes;
    startSequencer(sequencer);
    return true;
}

// Tears everything down. A missing window here means an F1 switch could not make the new one.
static uint32_t shutDown() {
    bool switchFailed = mainWindow == nullptr && !sessionWindowless();
    if (switchFailed) platReportError(platLastError());
    uint32_t code = sessionEnd(switchFailed ? 1 : quitExitCode);
    destroyMainWindow();
    freeGlyphFont(programFont.listBase);
    releaseRenderContext();
    platShutdown();
    return code;
}

uint32_t appMain(Scene* scenes, const EmbeddedFile* iconFile, const StatePart* stateParts) {
    if (!sessionPrepare(stateParts)) return 2;
    if (!startUp(scenes, iconFile)) {
        sessionEnd(1);
        platReportError(platLastError());
        releaseRenderContext();
        platShutdown();
        return 1;
    }
    while (mainLoopPass()) {
    }
    return shutDown();
}
