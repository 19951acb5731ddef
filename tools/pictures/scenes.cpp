// SPDX-License-Identifier: MIT
// The large pictures: the field, the title, the game-over banner, and the icon.
#include <math.h>

#include "tools/pictures/pictures.h"

namespace {

const Colour transparent = {255, 0, 255};
const Colour ink = {22, 16, 14};
const char* letteringFace = "Arial";

// A twisted rope from (x1, y1) to (x2, y2): alternating light and dark strands.
void paintRope(Canvas& c, float x1, float y1, float x2, float y2, float thickness) {
    const Colour dark = {92, 58, 26}, light = {214, 172, 108};
    float length = hypotf(x2 - x1, y2 - y1), ux = (x2 - x1) / length, uy = (y2 - y1) / length;
    c.fill(capsule(x1, y1, x2, y2, thickness / 2 + 0.8f), Colour{52, 30, 12});
    Shape rope = capsule(x1, y1, x2, y2, thickness / 2);
    c.fill(rope, [=](float x, float y) {
        float along = (x - x1) * ux + (y - y1) * uy, across = -(x - x1) * uy + (y - y1) * ux;
        float twist = fmodf(along + across * 1.2f + 1000.0f, 5.0f) / 5.0f;
        float shade = 0.55f + 0.45f * sinf(twist * 3.1416f);
        return mix(dark, light, shade * (1.0f - fabsf(across) / thickness));
    });
}

// A wooden plank with grain, across the whole width.
void paintPlank(Canvas& c, float y0, float y1, int seed) {
    c.fill(box(-1, y0, (float)c.width + 1, y1), [=](float x, float y) {
        float grain = smoothNoise(x, y * 6, 14, seed) * 0.5f + smoothNoise(x, y, 3, seed + 1) * 0.2f;
        return mix(Colour{72, 44, 20}, Colour{156, 104, 56}, grain + 0.2f);
    });
    c.fill(box(-1, y0, (float)c.width + 1, y0 + 1), Colour{190, 140, 80});
    c.fill(box(-1, y1 - 1, (float)c.width + 1, y1), Colour{40, 22, 8});
}

Paint yellowPaint() {
    return [](float x, float y) { return mix(Colour{255, 240, 120}, Colour{236, 170, 20}, smoothNoise(x, y, 5, 4)); };
}

}  // namespace

Picture fieldPicture() {
    Canvas c(400, 300, Colour{0, 0, 0}, true);
    // Grass: two scales of noise, blades, clover patches and a few flowers.
    c.fill(box(-1, -1, 401, 301), [](float x, float y) {
        float patch = smoothNoise(x, y, 40, 1), detail = smoothNoise(x, y, 6, 2), blade = hashNoise((int)x, (int)y, 3);
        Colour grass = mix(Colour{52, 112, 34}, Colour{112, 170, 56}, patch * 0.7f + detail * 0.3f);
        return scaled(grass, 0.88f + 0.2f * blade);
    });
    for (int i = 0; i < 420; ++i) {
        float x = 12 + 376 * hashNoise(i, 0, 11), y = 26 + 250 * hashNoise(i, 1, 11);
        float lean = (hashNoise(i, 2, 11) - 0.5f) * 3;
        c.fill(capsule(x, y, x + lean, y - 3 - 3 * hashNoise(i, 3, 11), 0.45f), Colour{150, 206, 90}, 0.7f);
    }
    for (int i = 0; i < 40; ++i) {
        float x = 20 + 360 * hashNoise(i, 4, 12), y = 32 + 236 * hashNoise(i, 5, 12);
        Colour petal = i % 3 == 0 ? Colour{255, 250, 240} : i % 3 == 1 ? Colour{255, 226, 60} : Colour{190, 170, 255};
        for (int k = 0; k < 4; ++k)
            c.fill(circle(x + cosf(k * 1.5708f) * 1.3f, y + sinf(k * 1.5708f) * 1.3f, 0.9f), petal);
        c.fill(circle(x, y, 0.7f), Colour{236, 150, 20});
    }
    // The planks: the top one carries the lettering, the bottom one the charges and the scores.
    paintPlank(c, 0, 18, 21);
    paintPlank(c, 279, 300, 22);
    // The rope around the field.
    paintRope(c, 6, 22, 394, 22, 5);
    paintRope(c, 6, 275, 394, 275, 5);
    paintRope(c, 6, 22, 6, 275, 5);
    paintRope(c, 394, 22, 394, 275, 5);
    for (float x : {6.0f, 394.0f})
        for (float y : {22.0f, 275.0f}) c.fill(circle(x, y, 4.5f), Colour{110, 70, 34});
    // Painted lettering along the top plank.
    const char* banner = "ZELMO  *  TOAST THE CRITTERS";
    int width = Canvas::textWidth(banner, letteringFace, 14, 700);
    c.text(banner, letteringFace, 14, 700, (400 - width) / 2.0f, 1, yellowPaint(), ink, 1, 1);
    return {c, false};
}

Picture titlePicture() {
    Canvas c(400, 200, Colour{0, 0, 0}, true);
    c.fill(box(-1, -1, 401, 201), Colour{20, 14, 10});
    // The yellow panel.
    c.fill(box(6, 6, 394, 194, 12), Colour{96, 60, 10});
    c.fill(box(9, 9, 391, 191, 10), [](float x, float y) {
        float wash = smoothNoise(x, y, 30, 31) * 0.6f + smoothNoise(x, y, 4, 32) * 0.15f;
        return mix(Colour{255, 214, 60}, Colour{255, 244, 170}, wash);
    });
    // The big critter, in outline only, on the right.
    const Colour line = {110, 70, 20};
    Shape body = ellipse(300, 126, 62, 38), head = circle(356, 96, 24);
    c.fill(subtract(subtract(body, ellipse(300, 126, 58, 34)), head), line);
    c.fill(subtract(head, circle(356, 96, 20)), line);
    for (float x : {262.0f, 282.0f, 318.0f, 338.0f}) c.fill(capsule(x, 160, x + (x < 300 ? -4 : 4), 182, 2.2f), line);
    c.fill(capsule(240, 120, 226, 104, 2.2f), line);  // tail
    c.fill(ellipse(346, 70, 7, 11), line);            // ear
    c.fill(circle(366, 92, 3.2f), line);              // eye
    // The figure on the left, holding the detonator; its wire runs to the critter.
    const Colour figure = {60, 36, 24}, shirt = {40, 92, 224};
    c.fill(circle(62, 112, 11), Colour{222, 162, 122});
    c.fill(box(52, 124, 72, 160, 6), shirt);
    c.fill(capsule(56, 160, 50, 184, 3.5f), figure);
    c.fill(capsule(68, 160, 74, 184, 3.5f), figure);
    c.fill(capsule(70, 132, 90, 140, 3), shirt);
    c.fill(box(86, 132, 104, 148, 3), Colour{90, 90, 100});  // the detonator
    c.fill(box(90, 126, 98, 133, 1), Colour{212, 32, 26});
    c.fill(circle(58, 109, 1.6f), ink);
    c.fill(circle(66, 109, 1.6f), ink);
    c.fill(capsule(58, 116, 66, 116, 1), ink);
    for (float t = 0; t < 1.0f; t += 0.01f) {  // the wire
        float x = 104 + t * 150, y = 142 + sinf(t * 9.4f) * 10 + t * 12;
        c.fill(circle(x, y, 1.2f), Colour{200, 30, 30});
    }
    // The name, large and painted, and the prompt.
    const char* name = "ZELMO";
    int nameWidth = Canvas::textWidth(name, letteringFace, 72, 900);
    Paint red = [](float x, float y) {
        return mix(Colour{255, 90, 60}, Colour{170, 14, 10}, smoothNoise(x, y, 6, 33) * 0.5f + (y - 14) / 90);
    };
    c.text(name, letteringFace, 72, 900, (400 - nameWidth) / 2.0f - 40, 10, red, ink, 3, 3);
    const char* prompt = "click to start";
    int promptWidth = Canvas::textWidth(prompt, letteringFace, 16, 700);
    c.text(
        prompt, letteringFace, 16, 700, (400 - promptWidth) / 2.0f - 40, 172,
        [](float, float) {
            return Colour{70, 40, 10};
        },
        Colour{255, 250, 200}, 1);
    return {c, false};
}

Picture gameOverPicture() {
    Canvas c(512, 64, transparent, false);
    // A torn strip: ragged edges from noise, narrowing at the ends.
    std::vector<std::pair<float, float>> edge;
    for (int x = 2; x <= 510; x += 6) edge.push_back({(float)x, 8 + 7 * hashNoise(x, 0, 41)});
    for (int x = 510; x >= 2; x -= 6) edge.push_back({(float)x, 56 - 7 * hashNoise(x, 1, 41)});
    c.fill(polygon(edge), [](float x, float y) {
        float fibre = smoothNoise(x, y * 4, 9, 42) * 0.4f + hashNoise((int)x, (int)y, 43) * 0.1f;
        return mix(Colour{238, 122, 22}, Colour{255, 190, 80}, fibre + (32 - fabsf(y - 32)) / 80);
    });
    const char* words = "GAME OVER";
    int width = Canvas::textWidth(words, letteringFace, 38, 900);
    c.text(
        words, letteringFace, 38, 900, (512 - width) / 2.0f, 12,
        [](float, float y) {
            return mix(Colour{120, 10, 6}, Colour{60, 0, 0}, (y - 14) / 36);
        },
        Colour{255, 236, 170}, 1, 2);
    c.outline(ink);
    return {c, true};
}

Picture iconPicture(int size) {
    Canvas c(size, size, Colour{0, 0, 0}, true);
    float centre = size / 2.0f, scale = size / 16.0f;
    // Two arms of a spiral, white fading to grey towards the middle.
    c.fill(box(-1, -1, (float)size + 1, (float)size + 1), [=](float x, float y) {
        float dx = x - centre, dy = y - centre, r = hypotf(dx, dy) / scale;
        float angle = atan2f(dy, dx);
        float phase = fmodf(angle * 2 / 6.2832f + r / 3.2f + 8.0f, 1.0f);
        float arm = phase < 0.45f ? 1.0f : 0.0f;
        if (r > 7.6f) arm = 0;
        float grey = arm * (0.45f + 0.55f * fminf(r / 7.0f, 1.0f));
        grey = roundf(grey * 15) / 15;  // sixteen levels: black, fourteen greys and white
        return Colour{grey * 255, grey * 255, grey * 255};
    });
    return {c, false};
}

// The launcher icon: the swirl on a round black disc, the corners transparent, each pixel's
// coverage from 4 x 4 samples so that the disc's edge is smooth at every size.
std::vector<uint8_t> launcherIconPixels(int size) {
    std::vector<uint8_t> rgba((size_t)size * size * 4);
    float centre = size / 2.0f, radius = size / 2.0f - 0.5f, scale = size / 16.0f;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float grey = 0, cover = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    float dx = x + (sx + 0.5f) / 4 - centre, dy = y + (sy + 0.5f) / 4 - centre;
                    float r = hypotf(dx, dy);
                    if (r > radius) continue;
                    cover += 1;
                    float spiral = r / scale, angle = atan2f(dy, dx);
                    float phase = fmodf(angle * 2 / 6.2832f + spiral / 3.2f + 8.0f, 1.0f);
                    if (phase < 0.45f && spiral < 7.0f) grey += 0.45f + 0.55f * fminf(spiral / 6.5f, 1.0f);
                }
            uint8_t* pixel = &rgba[((size_t)y * size + x) * 4];
            uint8_t level = cover > 0 ? (uint8_t)lroundf(255 * grey / cover) : 0;
            pixel[0] = pixel[1] = pixel[2] = level;
            pixel[3] = (uint8_t)lroundf(255 * cover / 16);
        }
    return rgba;
}
