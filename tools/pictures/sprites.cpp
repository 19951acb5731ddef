// SPDX-License-Identifier: MIT
// The small pictures: critters, the charge, the burn stages, the smoke rings and the hands.
#include <math.h>

#include "tools/pictures/pictures.h"

namespace {

const Colour transparent = {255, 0, 255};
const Colour ink = {22, 16, 14};  // the dark outline every sprite has

const Colour critterLight = {255, 255, 248}, critterMid = {226, 220, 206}, critterShade = {160, 150, 138};
const Colour metalLight = {214, 214, 220}, metalMid = {140, 140, 148}, metalDark = {70, 70, 78};

Paint vertical(Colour top, Colour bottom, float y0, float y1) {
    return [=](float, float y) { return mix(top, bottom, fminf(fmaxf((y - y0) / (y1 - y0), 0), 1)); };
}

Paint radial(Colour centre, Colour edge, float cx, float cy, float radius) {
    return [=](float x, float y) { return mix(centre, edge, fminf(hypotf(x - cx, y - cy) / radius, 1)); };
}

// The critter facing right; frame 0 or 1 swings the legs the other way.
void paintCritter(Canvas& c, int frame, Colour light, Colour mid, Colour shade, bool face) {
    float swing = frame == 0 ? 2.5f : -2.5f;
    Colour leg = scaled(mid, 0.85f);
    c.fill(capsule(9, 20, 9 - swing, 27, 1.6f), leg);  // back legs
    c.fill(capsule(12, 20, 12 + swing, 27, 1.6f), leg);
    c.fill(capsule(19, 20, 19 + swing, 27, 1.6f), leg);  // front legs
    c.fill(capsule(22, 20, 22 - swing, 27, 1.6f), leg);
    c.fill(capsule(5, 15, 2, 11 + frame, 1.4f), mid);  // tail
    c.fill(ellipse(14, 17, 9.5f, 6.5f), vertical(light, shade, 11, 24));
    c.fill(circle(24, 12.5f, 5.2f), radial(light, mid, 23, 11, 6));
    c.fill(ellipse(21.5f, 7.5f, 1.8f, 2.8f), mid);  // ear
    if (!face) return;
    c.fill(circle(25.8f, 11.6f, 1.3f), ink);                    // eye
    c.fill(circle(29.0f, 13.6f, 1.1f), Colour{230, 120, 130});  // nose
}

// The charge: a grey clockwork critter with a red and a blue eye and a lit fuse on its back.
void paintCharge(Canvas& c, int frame, float ox, float oy, float s) {
    auto X = [=](float x) { return ox + x * s; };
    auto Y = [=](float y) { return oy + y * s; };
    float swing = frame == 0 ? 2.0f : -2.0f;
    for (float legX : {9.0f, 20.0f}) {
        c.fill(capsule(X(legX), Y(21), X(legX + swing), Y(27), 1.7f * s), metalDark);
        c.fill(capsule(X(legX + 3), Y(21), X(legX + 3 - swing), Y(27), 1.7f * s), metalDark);
    }
    c.fill(box(X(5), Y(12), X(25), Y(23), 4 * s), vertical(metalLight, metalDark, Y(12), Y(23)));
    c.fill(box(X(21), Y(9), X(30), Y(19), 3 * s), vertical(metalLight, metalMid, Y(9), Y(19)));
    c.fill(capsule(X(8), Y(17.5f), X(20), Y(17.5f), 0.6f * s), metalDark);  // a seam
    for (float rivet : {8.0f, 14.0f, 20.0f}) c.fill(circle(X(rivet), Y(14.5f), 0.8f * s), metalLight);
    c.fill(circle(X(24.5f), Y(13), 1.6f * s), Colour{230, 30, 30});  // red eye
    c.fill(circle(X(28), Y(13), 1.6f * s), Colour{40, 110, 255});    // blue eye
    c.fill(capsule(X(2), Y(16), X(5), Y(16), 1.0f * s), metalMid);   // key of the clockwork
    c.fill(box(X(0), Y(13), X(2.5f), Y(19), 1 * s), metalMid);
    // The fuse, curling up from the back, with its spark.
    c.fill(capsule(X(11), Y(12), X(9), Y(7), 1.1f * s), Colour{150, 100, 50});
    c.fill(capsule(X(9), Y(7), X(12), Y(3.5f), 1.1f * s), Colour{150, 100, 50});
    float sparkR = frame == 0 ? 2.6f : 2.0f;
    c.fill(circle(X(12.5f), Y(3), sparkR * s), Colour{255, 210, 40});
    c.fill(circle(X(12.5f), Y(3), sparkR * 0.5f * s), Colour{255, 255, 220});
    float a = frame == 0 ? 0.0f : 0.8f;
    for (int i = 0; i < 4; ++i) {
        float angle = a + i * 1.5708f;
        c.fill(capsule(X(12.5f), Y(3), X(12.5f + cosf(angle) * 3.6f), Y(3 + sinf(angle) * 3.6f), 0.45f * s),
               Colour{255, 240, 120});
    }
}

}  // namespace

Picture critterPicture(int frame) {
    Canvas c(32, 32, transparent, false);
    paintCritter(c, frame, critterLight, critterMid, critterShade, true);
    c.outline(ink);
    return {c, true};
}

Picture chargePicture(int frame) {
    Canvas c(32, 32, transparent, false);
    paintCharge(c, frame, 0, 0, 1);
    c.outline(ink);
    return {c, true};
}

Picture chargeIconPicture() {
    Canvas c(32, 32, transparent, false);
    c.fill(circle(16, 16, 14.5f), radial(Colour{255, 236, 120}, Colour{236, 120, 20}, 12, 11, 17));
    c.fill(ring(16, 16, 13.5f, 1.5f), Colour{190, 80, 10});
    paintCharge(c, 0, 5, 6, 0.72f);
    c.outline(ink);
    return {c, true};
}

Picture burntPicture(int stage) {
    Canvas c(32, 32, transparent, false);
    const Colour soot = {40, 34, 30}, sootLight = {96, 86, 78}, ember = {230, 90, 20};
    if (stage == 0) {  // charred where it stood
        paintCritter(c, 0, sootLight, soot, Colour{20, 16, 14}, false);
        c.fill(circle(25.8f, 11.6f, 1.3f), Colour{250, 250, 250});
        c.fill(circle(12, 16, 1.2f), ember);
        c.fill(circle(17, 19, 0.9f), ember);
    } else if (stage == 1) {  // collapsing: legs give way, the body sags
        c.fill(capsule(6, 25, 2, 28, 1.5f), soot);
        c.fill(capsule(24, 25, 29, 28, 1.5f), soot);
        c.fill(ellipse(15, 23, 11, 5), vertical(sootLight, Colour{20, 16, 14}, 18, 28));
        c.fill(circle(24, 20, 4.2f), vertical(sootLight, soot, 16, 24));
        c.fill(circle(25, 19.5f, 1.1f), Colour{250, 250, 250});
        c.fill(circle(13, 21, 1.0f), ember);
    } else {  // a heap of ash, with its eyes
        c.fill(ellipse(16, 27, 12, 6.5f), vertical(Colour{120, 112, 104}, Colour{30, 26, 24}, 21, 31));
        c.fill(circle(12, 23, 3), Colour{70, 64, 60});
        c.fill(circle(19, 22, 3.5f), Colour{88, 80, 74});
        c.fill(circle(13, 25.5f, 1.5f), Colour{255, 255, 255});
        c.fill(circle(19, 25.5f, 1.5f), Colour{255, 255, 255});
        c.fill(circle(13.4f, 25.7f, 0.6f), ink);
        c.fill(circle(19.4f, 25.7f, 0.6f), ink);
    }
    c.outline(ink);
    return {c, true};
}

namespace {

// A puff of smoke: overlapping grey balls shaded from the top-left.
void paintPuff(Canvas& c, float x, float y, float r, float light) {
    Colour top = scaled(Colour{236, 236, 240}, light), bottom = scaled(Colour{120, 120, 128}, light);
    c.fill(circle(x, y, r), radial(top, bottom, x - r * 0.4f, y - r * 0.4f, r * 1.6f));
}

}  // namespace

Picture blastPicture(int stage) {
    Canvas c(64, 64, transparent, false);
    const float cx = 32, cy = 32;
    if (stage == 0) {  // a small swirling puff
        for (int i = 0; i < 7; ++i) {
            float angle = i * 0.9f, r = 4 + i * 1.3f;
            paintPuff(c, cx + cosf(angle) * r, cy + sinf(angle) * r, 6.5f - i * 0.35f, 1.0f);
        }
        for (int i = 0; i < 3; ++i) {
            float a0 = i * 2.1f;
            for (float t = 0; t < 2.4f; t += 0.2f)
                c.fill(circle(cx + cosf(a0 + t) * (3 + t * 4), cy + sinf(a0 + t) * (3 + t * 4), 0.9f),
                       Colour{96, 96, 104}, 0.8f);
        }
    } else if (stage == 1) {  // a thick ring
        for (int i = 0; i < 14; ++i) {
            float angle = i * 6.2832f / 14;
            paintPuff(c, cx + cosf(angle) * 19, cy + sinf(angle) * 19, 7.5f + 1.5f * hashNoise(i, 1, 7), 0.95f);
        }
    } else {  // a wide broken ring, thinning out
        for (int i = 0; i < 22; ++i) {
            if (i % 5 == 2 || i % 7 == 4) continue;  // the breaks
            float angle = i * 6.2832f / 22 + 0.1f;
            float r = 26 + 2 * hashNoise(i, 2, 9);
            paintPuff(c, cx + cosf(angle) * r, cy + sinf(angle) * r, 4.0f + 1.5f * hashNoise(i, 3, 9), 0.85f);
        }
    }
    c.outline(Colour{70, 70, 78});
    return {c, true};
}

namespace {

const Colour skinLight = {255, 222, 196}, skinMid = {222, 162, 122}, skinDark = {150, 96, 66};

// A finger with a thin crease around it, so that fingers lying over each other stay apart.
void paintFinger(Canvas& c, float x1, float y1, float x2, float y2, float r) {
    c.fill(capsule(x1, y1, x2, y2, r + 0.9f), skinDark);
    c.fill(capsule(x1, y1, x2, y2, r), vertical(skinLight, skinMid, fminf(y1, y2) - r, fmaxf(y1, y2) + r));
    c.fill(circle(x2 + (x1 > x2 ? 1.5f : -1.5f), y2 + 1.5f, r * 0.45f), Colour{255, 236, 224}, 0.6f);  // nail
}

}  // namespace

// The cursor: a hand holding a detonator; the red cross at the top-left is the hot spot.
// pose 0 idle, 1 left button (thumb on the plunger), 2 right button (the side switch thrown).
Picture handPicture(int pose) {
    Canvas c(128, 128, transparent, false);
    // The detonator: a box with an antenna towards the hot spot and a red plunger on top.
    c.fill(capsule(6, 6, 34, 38, 1.6f), Colour{60, 60, 66});
    c.fill(circle(34, 38, 3), Colour{90, 90, 96});
    c.fill(box(30, 40, 82, 84, 6), vertical(Colour{120, 120, 130}, Colour{56, 56, 64}, 40, 84));
    c.fill(box(36, 48, 60, 62, 2), Colour{30, 30, 34});  // a dial window
    c.fill(capsule(40, 58, 52, 51, 1.2f), Colour{240, 220, 80});
    bool pressed = pose == 1;
    c.fill(box(60, pressed ? 34 : 28, 74, 41, 2), pressed ? Colour{255, 60, 40} : Colour{180, 24, 20});
    c.fill(box(58, 40, 76, 44, 1), Colour{40, 40, 46});
    // The side switch: thrown forward for the right button.
    if (pose == 2) {
        c.fill(capsule(30, 66, 18, 58, 2.4f), Colour{40, 110, 255});
        c.fill(circle(17, 57, 5), Colour{255, 240, 140}, 0.9f);
    } else {
        c.fill(capsule(30, 66, 22, 72, 2.4f), Colour{30, 70, 170});
    }
    // The hand: palm below the box, fingers around its right side, thumb on or beside the plunger.
    c.fill(ellipse(86, 96, 28, 24), radial(skinLight, skinDark, 80, 86, 34));
    c.fill(capsule(96, 112, 110, 127, 13), vertical(skinMid, skinDark, 100, 127));  // wrist
    for (int i = 0; i < 4; ++i) {
        float y = 52 + i * 9.5f;
        paintFinger(c, 96, y + 14, 78, y, 5.2f);
    }
    if (pressed) paintFinger(c, 88, 70, 68, 32, 6);         // thumb down on the plunger
    else if (pose == 2) paintFinger(c, 88, 72, 70, 50, 6);  // thumb across the box
    else paintFinger(c, 90, 70, 84, 38, 6);                 // thumb resting up, clear of the plunger
    c.outline(ink);
    // The hot spot's red cross, one arm ending in the corner pixel itself.
    c.fill(capsule(0.5f, 0.5f, 8.5f, 8.5f, 1.2f), Colour{230, 20, 20});
    c.fill(capsule(0.5f, 8.5f, 8.5f, 0.5f, 1.2f), Colour{230, 20, 20});
    return {c, true};
}
