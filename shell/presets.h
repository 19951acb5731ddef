// SPDX-License-Identifier: MIT
// Render-state presets (the 800 x 600 virtual screen, or normalised 3D) and the screen copy.
#pragma once

// Texturing and blending on, depth test off, projection 0..width x 0..height of displayConfig
// with the origin top-left and y downwards. Records itself in currentPreset.
void apply2dPreset();
// Blending and depth test on, identity matrices. Records itself in currentPreset.
void apply3dPreset();
// Copies the client area less its last column and row onto the current raster position.
void copyScreen();
