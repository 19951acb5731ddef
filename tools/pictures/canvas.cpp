// SPDX-License-Identifier: MIT
// The painting kit of the picture tool.
#include "tools/pictures/canvas.h"

#include <math.h>

#include <algorithm>

#include "platform/platform.h"

Colour mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour scaled(Colour c, float factor) {
    return {std::min(255.0f, c.r * factor), std::min(255.0f, c.g * factor), std::min(255.0f, c.b * factor)};
}

Shape circle(float cx, float cy, float radius) {
    return [=](float x, float y) { return hypotf(x - cx, y - cy) - radius; };
}

Shape ellipse(float cx, float cy, float rx, float ry) {
    // Scaled distance: exact enough for anti-aliasing at the sizes used here.
    return [=](float x, float y) {
        float dx = (x - cx) / rx, dy = (y - cy) / ry;
        float k = hypotf(dx, dy);
        return (k - 1.0f) * std::min(rx, ry);
    };
}

Shape capsule(float x1, float y1, float x2, float y2, float radius) {
    return [=](float x, float y) {
        float vx = x2 - x1, vy = y2 - y1, length2 = vx * vx + vy * vy;
        float t = length2 > 0 ? std::clamp(((x - x1) * vx + (y - y1) * vy) / length2, 0.0f, 1.0f) : 0.0f;
        return hypotf(x - (x1 + t * vx), y - (y1 + t * vy)) - radius;
    };
}

Shape box(float x0, float y0, float x1, float y1, float cornerRadius) {
    return [=](float x, float y) {
        float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
        float hx = (x1 - x0) / 2 - cornerRadius, hy = (y1 - y0) / 2 - cornerRadius;
        float qx = fabsf(x - cx) - hx, qy = fabsf(y - cy) - hy;
        float outside = hypotf(std::max(qx, 0.0f), std::max(qy, 0.0f));
        return outside + std::min(std::max(qx, qy), 0.0f) - cornerRadius;
    };
}

Shape polygon(std::vector<std::pair<float, float>> points) {
    return [points](float x, float y) {
        float best = 1e9f;
        bool inside = false;
        size_t n = points.size();
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            float xi = points[i].first, yi = points[i].second, xj = points[j].first, yj = points[j].second;
            float vx = xj - xi, vy = yj - yi, length2 = vx * vx + vy * vy;
            float t = length2 > 0 ? std::clamp(((x - xi) * vx + (y - yi) * vy) / length2, 0.0f, 1.0f) : 0.0f;
            best = std::min(best, hypotf(x - (xi + t * vx), y - (yi + t * vy)));
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
        }
        return inside ? -best : best;
    };
}

Shape ring(float cx, float cy, float radius, float thickness) {
    return [=](float x, float y) { return fabsf(hypotf(x - cx, y - cy) - radius) - thickness / 2; };
}

Shape unite(Shape a, Shape b) {
    return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}

Shape subtract(Shape a, Shape b) {
    return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}

Shape intersect(Shape a, Shape b) {
    return [=](float x, float y) { return std::max(a(x, y), b(x, y)); };
}

Canvas::Canvas(int w, int h, Colour background, bool opaque)
    : width(w), height(h), rgb((size_t)w * h, background), solid((size_t)w * h, opaque ? 1 : 0) {}

void Canvas::fill(const Shape& shape, const Paint& paint, float opacity) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float px = x + 0.5f, py = y + 0.5f;
            float coverage = std::clamp(0.5f - shape(px, py), 0.0f, 1.0f) * opacity;
            if (coverage <= 0) continue;
            size_t i = (size_t)y * width + x;
            if (solid[i]) {
                rgb[i] = mix(rgb[i], paint(px, py), coverage);
            } else if (coverage >= 0.5f * opacity && opacity > 0.5f) {
                rgb[i] = paint(px, py);  // a hard silhouette: no blend towards the transparent colour
                solid[i] = 1;
            }
        }
}

void Canvas::fill(const Shape& shape, Colour colour, float opacity) {
    fill(
        shape, [colour](float, float) { return colour; }, opacity);
}

void Canvas::outline(Colour colour) {
    std::vector<uint8_t> grown = solid;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (solid[(size_t)y * width + x]) continue;
            bool touches = false;
            for (int dy = -1; dy <= 1 && !touches; ++dy)
                for (int dx = -1; dx <= 1 && !touches; ++dx) {
                    int nx = x + dx, ny = y + dy;
                    touches = nx >= 0 && ny >= 0 && nx < width && ny < height && solid[(size_t)ny * width + nx];
                }
            if (touches) {
                grown[(size_t)y * width + x] = 1;
                rgb[(size_t)y * width + x] = colour;
            }
        }
    solid = grown;
}

namespace {

// Coverage of a whole text line, 0..1, rows top first; the line box is pixelHeight high plus descent.
struct TextMask {
    int width = 0, height = 0;
    std::vector<float> coverage;
};

TextMask rasterise(const std::string& text, const char* face, int pixelHeight, int weight) {
    TextMask mask;
    PlatFont* font = platCreateFont(face, pixelHeight, weight);
    if (!font) return mask;
    int ascent = pixelHeight, pen = 0;
    mask.height = pixelHeight * 5 / 4;
    std::vector<PlatGlyphMetrics> metrics(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        platGlyphBitmap(font, (uint8_t)text[i], &metrics[i], nullptr, 0);
        pen += metrics[i].advance;
    }
    mask.width = pen + 2;
    mask.coverage.assign((size_t)mask.width * mask.height, 0.0f);
    pen = 0;
    std::vector<uint8_t> bitmap;
    for (size_t i = 0; i < text.size(); ++i) {
        PlatGlyphMetrics m;
        uint32_t size = platGlyphBitmap(font, (uint8_t)text[i], &m, nullptr, 0);
        bitmap.assign(size, 0);
        if (size) platGlyphBitmap(font, (uint8_t)text[i], &m, bitmap.data(), size);
        int stride = (m.blackBoxWidth + 3) & ~3;
        for (int y = 0; y < m.blackBoxHeight; ++y)
            for (int x = 0; x < m.blackBoxWidth; ++x) {
                int tx = pen + m.originX + x, ty = ascent * 9 / 10 - m.originY + y;
                if (tx < 0 || ty < 0 || tx >= mask.width || ty >= mask.height) continue;
                float& c = mask.coverage[(size_t)ty * mask.width + tx];
                c = std::min(1.0f, c + bitmap[(size_t)y * stride + x] / 64.0f);
            }
        pen += m.advance;
    }
    platDeleteFont(font);
    return mask;
}

float maskAt(const TextMask& mask, int x, int y) {
    if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) return 0;
    return mask.coverage[(size_t)y * mask.width + x];
}

}  // namespace

int Canvas::textWidth(const std::string& text, const char* face, int pixelHeight, int weight) {
    return rasterise(text, face, pixelHeight, weight).width;
}

int Canvas::text(const std::string& text, const char* face, int pixelHeight, int weight, float x, float y,
                 const Paint& paint, Colour outlineColour, int outlineWidth, float shadow) {
    TextMask mask = rasterise(text, face, pixelHeight, weight);
    int ox = (int)lroundf(x), oy = (int)lroundf(y);
    auto spread = [&](int mx, int my, int radius) {
        float best = 0;
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx)
                if (dx * dx + dy * dy <= radius * radius + 1) best = std::max(best, maskAt(mask, mx + dx, my + dy));
        return best;
    };
    int margin = outlineWidth + (int)ceilf(shadow) + 1;
    for (int my = -margin; my < mask.height + margin; ++my)
        for (int mx = -margin; mx < mask.width + margin; ++mx) {
            int cx = ox + mx, cy = oy + my;
            if (cx < 0 || cy < 0 || cx >= width || cy >= height) continue;
            size_t i = (size_t)cy * width + cx;
            if (!solid[i]) continue;  // lettering is painted onto the picture, never past its edge
            int s = (int)shadow;
            float shade = shadow > 0 ? spread(mx - s, my - s, outlineWidth) : 0;
            if (shade > 0) rgb[i] = mix(rgb[i], scaled(outlineColour, 0.6f), shade * 0.5f);
            float edge = outlineWidth > 0 ? spread(mx, my, outlineWidth) : 0;
            if (edge > 0) rgb[i] = mix(rgb[i], outlineColour, edge);
            float ink = maskAt(mask, mx, my);
            if (ink > 0) rgb[i] = mix(rgb[i], paint((float)cx, (float)cy), ink);
        }
    return mask.width;
}

float hashNoise(int x, int y, int seed) {
    uint32_t h = (uint32_t)x * 374761393u + (uint32_t)y * 668265263u + (uint32_t)seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (float)(h & 0xFFFFFF) / (float)0xFFFFFF;
}

float smoothNoise(float x, float y, float cell, int seed) {
    float gx = x / cell, gy = y / cell;
    int ix = (int)floorf(gx), iy = (int)floorf(gy);
    float fx = gx - ix, fy = gy - iy;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    float a = hashNoise(ix, iy, seed), b = hashNoise(ix + 1, iy, seed);
    float c = hashNoise(ix, iy + 1, seed), d = hashNoise(ix + 1, iy + 1, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}
