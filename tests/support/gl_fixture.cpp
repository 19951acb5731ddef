// Opens and closes the test window and reads pixels back.
#include "gl_fixture.h"

#include "platform/gl.h"
#include "scripted.h"
#include "shell/config.h"
#include "shell/window.h"

void openTestWindow(int32_t width, int32_t height) {
    useScriptedClock(1000);
    useScriptedMessages();
    displayConfig.fullscreen = 0;
    windowedRect = {0, 0, width, height};
    currentPreset = nullptr;
    ASSERT_TRUE(createMainWindow()) << platLastError();
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
