// SPDX-License-Identifier: MIT
// A small painting kit for the picture tool: shapes as signed distances, painted with
// anti-aliasing inside the sprite and a hard silhouette, then quantised to the shared palette.
#pragma once
#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

struct Colour {
    float r, g, b;  // 0..255
};

Colour mix(Colour a, Colour b, float t);
Colour scaled(Colour c, float factor);

// Signed distance in pixels from a point to a shape: negative inside.
using Shape = std::function<float(float x, float y)>;
using Paint = std::function<Colour(float x, float y)>;

Shape circle(float cx, float cy, float radius);
Shape ellipse(float cx, float cy, float rx, float ry);
Shape capsule(float x1, float y1, float x2, float y2, float radius);
Shape box(float x0, float y0, float x1, float y1, float cornerRadius = 0);
Shape polygon(std::vector<std::pair<float, float>> points);
Shape ring(float cx, float cy, float radius, float thickness);
Shape unite(Shape a, Shape b);
Shape subtract(Shape a, Shape b);
Shape intersect(Shape a, Shape b);

struct Canvas {
    int width, height;
    std::vector<Colour> rgb;     // rows top first
    std::vector<uint8_t> solid;  // 1 where the picture is opaque

    Canvas(int w, int h, Colour background, bool opaque);
    Colour& at(int x, int y) { return rgb[(size_t)y * width + x]; }
    // Paints the shape; its edge is blended into what lies below only where that is already solid,
    // so a silhouette never blends towards the transparent colour.
    void fill(const Shape& shape, const Paint& paint, float opacity = 1.0f);
    void fill(const Shape& shape, Colour colour, float opacity = 1.0f);
    // Surrounds the solid area with a dark outline one pixel wide (8-neighbourhood).
    void outline(Colour colour);
    // Paints text from the platform's glyph rasteriser, its top-left at (x, y).
    // Returns the width in pixels. Outline and shadow are drawn when their widths are positive.
    int text(const std::string& text, const char* face, int pixelHeight, int weight, float x, float y,
             const Paint& paint, Colour outlineColour, int outlineWidth, float shadow = 0);
    // The text's width without painting it.
    static int textWidth(const std::string& text, const char* face, int pixelHeight, int weight);
};

// A deterministic pseudo-random value 0..1 for integer coordinates and a seed.
float hashNoise(int x, int y, int seed);
// Smooth value noise, 0..1, with the given cell size in pixels.
float smoothNoise(float x, float y, float cell, int seed);
