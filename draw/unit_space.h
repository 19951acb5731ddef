// SPDX-License-Identifier: MIT
// The unit-square drawing space shared by the unit-coordinate line and text: (0,0) is the top-left
// and (1,1) the bottom-right of the viewport.
#pragma once

// Pushes both matrices and sets the unit square up, leaving GL_MODELVIEW selected at identity.
void pushUnitSquareSpace();
// Pops both matrices again, leaving GL_MODELVIEW selected.
void popUnitSquareSpace();
