// SPDX-License-Identifier: MIT
// The PCX decoder: 256-colour, one 8-bit plane, run-length encoded or not, palette at the end.
#pragma once
#include <stdint.h>

#include "assets/image.h"
#include "assets/stream.h"

// Decodes the picture into a new Image (width x height pixels plus one spare, row 0 = the first
// scan line, every pixel opaque) and hangs it on the texture, after freeing any image it had.
// The texture's name and flags are untouched; no GL call is made. Reads through streamOps after
// selecting the given backend kind (0 for the memory backend).
//
// Never reads outside the file or writes outside the pixel buffer. Returns false, leaving the
// texture without an image, for a picture outside the supported kind: shorter than its header and
// palette, not one 8-bit plane, a maximum below its minimum, a side above imageSideLimit, a line
// length other than the width or the width + 1, more pixels than its data could ever fill (63 a
// run-length pair, one an uncompressed byte, plus a line), or out of memory. A run that would pass the end
// of the buffer is cut there, and the end of the data (where the palette begins) ends the picture;
// pixels not reached stay transparent black.
bool loadPcx(Texture& texture, const EmbeddedFile* file, int32_t streamKind);

enum : uint32_t { pcxHeaderSize = 128, pcxPaletteSize = 768 };
