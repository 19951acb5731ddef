// SPDX-License-Identifier: MIT
// The window procedure, the window and context across mode switches, the presets and the default state.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "app/app.h"
#include "gl_fixture.h"
#include "platform/gl.h"
#include "scripted.h"
#include "shell/config.h"
#include "shell/input.h"
#include "shell/presets.h"
#include "shell/window.h"

namespace {

int32_t send(uint32_t message, uint32_t wParam = 0, uint32_t lParam = 0) {
    return windowProc(mainWindow, message, wParam, lParam);
}

std::array<GLint, 4> viewport() {
    std::array<GLint, 4> v;
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

// The code of the first WM_QUIT waiting, the messages before it taken too; -1 when none waits.
int64_t takeQuit() {
    PlatMessage message;
    while (platPeekMessage(&message))
        if (message.message == WM_QUIT) return message.wParam;
    return -1;
}

using WindowProcTest = GlTest;

// A fresh window: the platform disables the screen saver again for it.
void createMainWindowAgain() {
    destroyMainWindow();
    ASSERT_TRUE(createMainWindow(windowProc));
    dispatchWaiting();
}

TEST_F(WindowProcTest, KeysButtonsAndMouseFollowTheirMessages) {
    inputState = {};
    idlePassDone();
    EXPECT_EQ(send(WM_KEYDOWN, 'Q'), 0);
    EXPECT_EQ(inputState.keys['Q'], 1);
    EXPECT_EQ(send(WM_KEYUP, 'Q'), 0);
    EXPECT_EQ(inputState.keys['Q'], 0);
    send(WM_SYSKEYDOWN, 'A');  // keys pressed with Alt never reach the table
    EXPECT_EQ(inputState.keys['A'], 0);
    // Escape and F1 released before an idle pass has seen them stay down until one has.
    for (uint32_t key : {VK_ESCAPE, VK_F1}) {
        send(WM_KEYDOWN, key);
        EXPECT_EQ(send(WM_KEYUP, key), 0);
        EXPECT_EQ(inputState.keys[key], 1) << key;
        idlePassDone();
        EXPECT_EQ(inputState.keys[key], 0) << key;
        send(WM_KEYDOWN, key);  // seen by a pass while held: the release acts at once
        idlePassDone();
        EXPECT_EQ(inputState.keys[key], 1) << key;
        send(WM_KEYUP, key);
        EXPECT_EQ(inputState.keys[key], 0) << key;
        send(WM_KEYDOWN, key);  // pressed again after a deferred release: held, for a pass of its own
        send(WM_KEYUP, key);
        send(WM_KEYDOWN, key);
        idlePassDone();
        EXPECT_EQ(inputState.keys[key], 1) << key;
        idlePassDone();  // the second press's pass, the key still held
        EXPECT_EQ(inputState.keys[key], 1) << key;
        send(WM_KEYUP, key);
        EXPECT_EQ(inputState.keys[key], 0) << key;
        send(WM_KEYDOWN, key);  // a repeat before the pass is no press of its own
        send(WM_KEYDOWN, key, 1 | keyWasDown);
        send(WM_KEYUP, key);
        idlePassDone();
        EXPECT_EQ(inputState.keys[key], 0) << key;
    }
    send(WM_KEYDOWN, 'Q');  // other keys follow their messages alone
    send(WM_KEYUP, 'Q');
    EXPECT_EQ(inputState.keys['Q'], 0);
    // The key's repeat: F1 acts once per press, every other key (Escape too) is down again.
    for (uint32_t key : {(uint32_t)VK_F1, (uint32_t)VK_ESCAPE, (uint32_t)'Q'}) {
        send(WM_KEYDOWN, key);
        idlePassDone();
        inputState.keys[key] = 0;  // as checkSystemKeys takes F1
        send(WM_KEYDOWN, key, 1 | keyWasDown);
        EXPECT_EQ(inputState.keys[key], key == VK_F1 ? 0 : 1) << key;
        send(WM_KEYUP, key);
        idlePassDone();
        EXPECT_EQ(inputState.keys[key], 0) << key;
    }

    auto mouse = [] { return std::array<uint32_t, 2>{inputState.mouseX, inputState.mouseY}; };
    send(WM_LBUTTONDOWN, 0, makeLParam(50, 60));  // a click is located at the last move
    EXPECT_EQ(inputState.leftButton, 1);
    EXPECT_EQ(mouse(), (std::array<uint32_t, 2>{0, 0}));
    send(WM_MOUSEMOVE, 0, makeLParam(65535, 599));
    EXPECT_EQ(mouse(), (std::array<uint32_t, 2>{65535, 599}));
    send(WM_RBUTTONDOWN);
    EXPECT_EQ(inputState.rightButton, 1);
    framePresented();  // both held across a frame: released at once
    send(WM_LBUTTONUP);
    send(WM_RBUTTONUP);
    EXPECT_EQ(inputState.leftButton, 0);
    EXPECT_EQ(inputState.rightButton, 0);
    send(WM_MBUTTONDOWN);  // the middle button is not recorded
    EXPECT_EQ(inputState.leftButton + inputState.rightButton, 0);
    // A click released before a frame has run reads pressed until one has; an idle pass is no frame.
    struct Button {
        uint32_t down, up;
        uint8_t* flag;
    };
    for (Button b : {Button{WM_LBUTTONDOWN, WM_LBUTTONUP, &inputState.leftButton},
                     Button{WM_RBUTTONDOWN, WM_RBUTTONUP, &inputState.rightButton}}) {
        uint8_t* other = b.flag == &inputState.leftButton ? &inputState.rightButton : &inputState.leftButton;
        send(b.down);
        send(b.up);
        idlePassDone();
        EXPECT_EQ(*b.flag, 1) << b.down;
        EXPECT_EQ(*other, 0) << b.down;
        framePresented();
        EXPECT_EQ(*b.flag, 0) << b.down;
        send(b.down);  // a frame that takes the click clears it, and the release keeps it clear
        send(b.up);
        *b.flag = 0;
        framePresented();
        EXPECT_EQ(*b.flag, 0) << b.down;
        send(b.down);  // pressed again after a deferred release: held again
        send(b.up);
        send(b.down);
        framePresented();
        EXPECT_EQ(*b.flag, 1) << b.down;
        send(b.up);
        EXPECT_EQ(*b.flag, 0) << b.down;
    }
}

TEST_F(WindowProcTest, ActivationFollowsOnlyTheMinimisedFlag) {
    send(WM_ACTIVATE, makeLParam(WA_ACTIVE, 1));
    EXPECT_EQ(appFlags.active, 0);
    send(WM_ACTIVATE, makeLParam(WA_INACTIVE, 0));  // focus lost without minimising
    EXPECT_EQ(appFlags.active, 1);
    send(WM_ACTIVATE, makeLParam(WA_CLICKACTIVE, 0));
    EXPECT_EQ(appFlags.active, 1);
}

TEST_F(WindowProcTest, SizeStoresTheClientSizeAndSetsTheViewportAtLeastOnePixelHigh) {
    currentRect = {0, 0, 1, 1};
    send(WM_SIZE, SIZE_MINIMIZED, makeLParam(640, 0));
    EXPECT_EQ(currentRect, (ScreenRect{0, 0, 800, 600}));  // read from the window, not from lParam
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 640, 1}));
}

TEST_F(WindowProcTest, CloseAndSystemCloseEndTheRunWithCodeZero) {
    EXPECT_EQ(send(WM_CLOSE), 0);
    EXPECT_EQ(takeQuit(), 0);
    EXPECT_NE(mainWindow, nullptr);  // the window stays until shutdown
    send(WM_SYSCOMMAND, SC_CLOSE);
    EXPECT_EQ(takeQuit(), 0);
}

TEST_F(WindowProcTest, ScreenSaverAndMonitorPowerRequestsAreSwallowed) {
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_SCREENSAVE), 0);
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_MONITORPOWER), 0);
    EXPECT_FALSE(platScreenSaverAllowed());
    // The requests the platform posted when the window opened were swallowed too (the fixture
    // dispatched them).
    // The window procedure compares the whole wParam: a value with low bits set goes to the default
    // procedure, which masks them as the system's does, and so lets the screen saver run again.
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_SCREENSAVE | 1), 0);
    EXPECT_TRUE(platScreenSaverAllowed());
    createMainWindowAgain();
    EXPECT_FALSE(platScreenSaverAllowed());
    send(WM_SYSCOMMAND, SC_MONITORPOWER | 2);
    EXPECT_TRUE(platScreenSaverAllowed());
    createMainWindowAgain();
    send(WM_SYSCOMMAND, 0xF100);  // another command: the default procedure does nothing with it
    EXPECT_FALSE(platScreenSaverAllowed());
    send(WM_SYSCOMMAND, SC_CLOSE | 3);
    EXPECT_EQ(takeQuit(), 0);
}

TEST_F(WindowProcTest, MoveStoresTheOuterPosition) {
    platMoveWindow(mainWindow, 33, 44);
    currentRect.x = currentRect.y = -1;
    send(WM_MOVE, 0, makeLParam(1, 2));  // lParam is not used
    EXPECT_EQ(currentRect, (ScreenRect{33, 44, 800, 600}));
}

class ShellWindowTest : public GlTest {};

// The first value of a state variable (room for all of a matrix's: GL writes every one).
GLfloat floatState(GLenum name) {
    GLfloat values[16] = {-1};
    glGetFloatv(name, values);
    return values[0];
}

GLint intState(GLenum name) {
    GLint values[16] = {-1};
    glGetIntegerv(name, values);
    return values[0];
}

TEST_F(ShellWindowTest, NewContextGetsTheDefaultStateAndNoPresetYet) {
    struct {
        GLenum name;
        GLint value;
    } integers[] = {{GL_DEPTH_FUNC, GL_LEQUAL},
                    {GL_SHADE_MODEL, GL_SMOOTH},
                    {GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST},
                    {GL_FOG_MODE, GL_LINEAR},
                    {GL_FOG_HINT, GL_DONT_CARE},
                    {GL_DEPTH_WRITEMASK, GL_TRUE},
                    {GL_LINE_SMOOTH, GL_TRUE},
                    {GL_FOG, GL_FALSE},
                    {GL_DEPTH_BITS, 16},  // the pixel format: RGBA 8 bits a channel, 16-bit depth
                    {GL_RED_BITS, 8},
                    {GL_ALPHA_BITS, 8}};
    for (auto& expected : integers) EXPECT_EQ(intState(expected.name), expected.value) << std::hex << expected.name;
    struct {
        GLenum name;
        GLfloat value;
    } floats[] = {{GL_LINE_WIDTH, 2.0f},
                  {GL_FOG_DENSITY, 0.35f},
                  {GL_FOG_START, 1.0f},
                  {GL_FOG_END, 0.7f},
                  {GL_DEPTH_CLEAR_VALUE, 1.0f}};
    for (auto& expected : floats)
        EXPECT_FLOAT_EQ(floatState(expected.name), expected.value) << std::hex << expected.name;
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(projection[i], i % 5 == 0 ? 1.0 : 0.0);
    EXPECT_EQ(currentPreset, nullptr);
}

// Points of the colour buffer and the red (or green) value each must read back.
struct Probe {
    int32_t x, y;
    uint8_t value;
};
void expectRed(const std::vector<Probe>& probes) {
    for (Probe p : probes) EXPECT_EQ(readPixel(p.x, p.y).r, p.value) << p.x << ", " << p.y;
}
void expectGreen(const std::vector<Probe>& probes) {
    for (Probe p : probes) EXPECT_EQ(readPixel(p.x, p.y).g, p.value) << p.x << ", " << p.y;
}

void fillVirtualRect(float x0, float y0, float x1, float y1) {
    glDisable(GL_TEXTURE_2D);
    glColor4ub(255, 0, 0, 255);
    drawQuad(x0, y0, x1, y1);
}

// What each preset sets is held against the whole GL state in test_sprite.cpp; here, where the 2D
// preset puts the virtual screen.
TEST_F(ShellWindowTest, TwoDPresetMapsTheVirtualScreenOntoTheViewportAndSurvivesResizes) {
    apply2dPreset();
    clearToBlack();
    fillVirtualRect(0, 0, 400, 300);  // the top-left quarter, y downwards
    expectRed({{10, 10, 255}, {399, 299, 255}, {401, 10, 0}, {10, 301, 0}});

    // Spoil the state, then a resize re-runs the preset onto a smaller viewport.
    apply2dPreset();
    GlState applied = readGlState();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glDisable(GL_BLEND);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    windowProc(mainWindow, WM_SIZE, SIZE_RESTORED, makeLParam(400, 300));
    applied.viewport[2] = 400, applied.viewport[3] = 300;
    EXPECT_EQ(glStateDifferences(applied, readGlState()), "");
    clearToBlack();
    fillVirtualRect(0, 0, 400, 300);
    // The viewport is the bottom-left 400 x 300 of the 800 x 600 buffer: rows 300..599 from the top.
    expectRed({{100, 350, 255}, {199, 449, 255}, {201, 350, 0}, {100, 451, 0}});
}

// Fullscreen keeps the picture's shape, the largest box that fits, centred; a window stretches it.
TEST_F(ShellWindowTest, FullscreenShowsThePictureInItsShapeBetweenBlackBarsAndAWindowStretchesIt) {
    struct {
        uint8_t fullscreen;
        uint32_t width, height;
        ScreenRect shown;
    } layouts[] = {{0, 1920, 1080, {0, 0, 1920, 1080}}, {1, 1920, 1080, {240, 0, 1440, 1080}},
                   {1, 1024, 768, {0, 0, 1024, 768}},   {1, 1365, 768, {170, 0, 1024, 768}},
                   {1, 800, 1001, {0, 200, 800, 600}},  {1, 0, 0, {0, 0, 0, 1}}};  // the odd row below
    for (const auto& layout : layouts) {
        displayConfig.fullscreen = layout.fullscreen;
        resizeViewport(layout.width, layout.height);
        const ScreenRect& box = layout.shown;
        EXPECT_EQ(shownRect, box);
        GLint bottom = (GLint)(layout.height ? layout.height : 1) - box.y - box.height;
        EXPECT_EQ(viewport(), (std::array<GLint, 4>{box.x, bottom, box.width, box.height}));
    }
    // Pictures of another shape in this 800 x 600 client: whatever the frame cleared the bars to, they
    // are black when it is presented, and the GL state is as the frame left it.
    struct {
        uint32_t pictureWidth, pictureHeight;
        std::vector<Probe> probes;  // owns them: a list of a braced member would end with its statement
    } pictures[] = {{800, 400, {{400, 99, 0}, {400, 100, 255}, {400, 499, 255}, {400, 500, 0}, {0, 0, 0}}},
                    {400, 600, {{199, 300, 0}, {200, 300, 255}, {599, 300, 255}, {600, 300, 0}, {799, 599, 0}}}};
    for (const auto& picture : pictures) {
        displayConfig.width = picture.pictureWidth;
        displayConfig.height = picture.pictureHeight;
        resizeViewport(800, 600);
        glScissor(1, 2, 3, 4);
        glClearColor(1, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        presentFrame();
        expectRed(picture.probes);
        EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
        std::array<GLint, 4> scissor;
        glGetIntegerv(GL_SCISSOR_BOX, scissor.data());
        EXPECT_EQ(scissor, (std::array<GLint, 4>{1, 2, 3, 4}));
        std::array<GLfloat, 4> clear;  // the clear colour is four values
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear.data());
        EXPECT_EQ(clear, (std::array<GLfloat, 4>{1, 0, 0, 1}));
    }
    displayConfig = {800, 600, displayConfig.colorBits, 0, displayConfig.className};
    resizeViewport(800, 600);
}

TEST_F(ShellWindowTest, CopyScreenCopiesTheClientAreaToTheRasterPosition) {
    clearToBlack();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 10, 10);  // a red block in the bottom-left corner
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glRasterPos2f(0.0f, -1.0f);  // window (400, 0) under identity matrices
    copyScreen();
    expectRed({{405, 595, 255}, {415, 595, 0}});

    // The block is one column narrower and one row lower than the client area: copied one row up,
    // the last column's bottom pixel is not carried along; copied one column right, the top row's is not.
    auto redPixelAt = [](int32_t glX, int32_t glY) {
        clearToBlack();
        glClearColor(1, 0, 0, 1);
        glEnable(GL_SCISSOR_TEST);
        glScissor(glX, glY, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
    };
    redPixelAt(799, 0);
    glRasterPos2f(-1.0f, -1.0f + 2.0f / 600 + 0.0001f);  // window (0, 1)
    copyScreen();
    expectRed({{799, 599, 255}, {799, 598, 0}});
    redPixelAt(798, 0);  // the column before it is copied
    copyScreen();
    EXPECT_EQ(readPixel(798, 598).r, 255);
    redPixelAt(0, 599);
    glRasterPos2f(-1.0f + 2.0f / 800 + 0.0001f, -1.0f);  // window (1, 0)
    copyScreen();
    expectRed({{0, 0, 255}, {1, 0, 0}});
    redPixelAt(0, 598);  // the row below it is copied
    copyScreen();
    EXPECT_EQ(readPixel(1, 1).r, 255);
}

GLuint makeGreenTexture() {
    const GLubyte green[4 * 4] = {0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255};
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, green);
    return name;
}

GLuint makeQuadList(GLuint texture) {
    GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBindTexture(GL_TEXTURE_2D, texture);
    glColor4ub(255, 255, 255, 255);
    drawQuad(100, 100, 200, 200);
    glEndList();
    return list;
}

void pressF1() {
    inputState.keys[VK_F1] = 1;
    ASSERT_TRUE(checkSystemKeys()) << platLastError();
    EXPECT_EQ(inputState.keys[VK_F1], 0);
}

TEST_F(ShellWindowTest, TexturesAndDisplayListsStillDrawAfterModeSwitches) {
    apply2dPreset();
    GLuint texture = makeGreenTexture();
    GLuint list = makeQuadList(texture);

    pressF1();  // windowed -> fullscreen
    EXPECT_EQ(displayConfig.fullscreen, 1);
    EXPECT_NE(mainWindow, nullptr);
    EXPECT_EQ(currentPreset, apply2dPreset);  // re-run on the new window
    clearToBlack();
    glCallList(list);
    Rgba inside = readPixel(150 * currentRect.width / 800, 150 * currentRect.height / 600);
    EXPECT_EQ(inside.g, 255);
    EXPECT_EQ(inside.r, 0);
    EXPECT_TRUE(glIsTexture(texture));

    pressF1();  // and back
    EXPECT_EQ(displayConfig.fullscreen, 0);
    clearToBlack();
    glCallList(list);
    expectGreen({{150, 150, 255}, {250, 150, 0}});
    glDeleteLists(list, 1);
    glDeleteTextures(1, &texture);
}

TEST_F(ShellWindowTest, WindowReopensWhereAndAsLargeAsItWasLeft) {
    platMoveWindow(mainWindow, 30, 40);
    platResizeWindow(mainWindow, 640, 480);
    pressF1();
    EXPECT_EQ(windowedRect, (ScreenRect{30, 40, 640, 480}));
    fullscreenRect.width = 1024;  // the mode stays 800 x 600; the window takes the rect's size
    pressF1();
    EXPECT_EQ(currentRect, (ScreenRect{30, 40, 640, 480}));
    ScreenRect client = {};
    ASSERT_TRUE(platGetClientSize(mainWindow, &client.width, &client.height));
    EXPECT_EQ(client, (ScreenRect{0, 0, 640, 480}));
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 640, 480}));
    fullscreenRect = {0, 0, 800, 600};
}

TEST_F(ShellWindowTest, EscapeWinsOverF1AndEachF1PressSwitchesOnce) {
    inputState.keys[VK_ESCAPE] = 1;
    inputState.keys[VK_F1] = 1;
    EXPECT_FALSE(checkSystemKeys());
    EXPECT_EQ(displayConfig.fullscreen, 0);
    EXPECT_EQ(inputState.keys[VK_ESCAPE], 1);  // left set
    EXPECT_EQ(inputState.keys[VK_F1], 1);
    inputState.keys[VK_ESCAPE] = 0;

    EXPECT_TRUE(checkSystemKeys());
    EXPECT_EQ(displayConfig.fullscreen, 1);
    EXPECT_TRUE(checkSystemKeys());  // the entry was cleared: no second switch
    EXPECT_EQ(displayConfig.fullscreen, 1);
    windowProc(mainWindow, WM_KEYDOWN, VK_F1, 0);  // key repeat sets it again
    EXPECT_TRUE(checkSystemKeys());
    EXPECT_EQ(displayConfig.fullscreen, 0);
}

TEST_F(ShellWindowTest, AWindowLeftMinimisedReopensAtTheConfiguredSize) {
    destroyMainWindow();
    windowedRect = {5, 6, 0, 0};  // what a minimised window leaves behind
    ASSERT_TRUE(createMainWindow(windowProc));
    EXPECT_EQ(currentRect, (ScreenRect{5, 6, 800, 600}));
}

TEST_F(ShellWindowTest, AFullscreenWindowHidesThePointerWhileItLasts) {
    auto pointerCount = [] {
        platShowCursor(true);
        return platShowCursor(false);
    };
    int32_t windowed = pointerCount();
    pressF1();  // to fullscreen: one lower
    EXPECT_EQ(pointerCount(), windowed - 1);
    pressF1();  // back: raised again
    EXPECT_EQ(pointerCount(), windowed);
}

}  // namespace
