// SPDX-License-Identifier: MIT
// PNG files through libpng: written into memory, and read back to check them.
#include "tools/pictures/png_writer.h"

#include <png.h>
#include <string.h>

namespace {

void append(png_structp png, png_bytep data, size_t length) {
    auto* out = (std::vector<uint8_t>*)png_get_io_ptr(png);
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

// libpng reports a failure by a long jump back to here: nothing in this frame has a destructor to skip.
bool writeImage(png_structp png, png_infop info, int32_t width, int32_t height, const uint8_t* rgba,
                std::vector<uint8_t>* out) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, append, flushNothing);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < height; ++y) png_write_row(png, rgba + (size_t)y * width * 4);
    png_write_end(png, info);
    return true;
}

}  // namespace

std::vector<uint8_t> encodePng(int32_t width, int32_t height, const uint8_t* rgba) {
    std::vector<uint8_t> file;
    if (width <= 0 || height <= 0) return file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return file;
    png_infop info = png_create_info_struct(png);
    bool written = info && writeImage(png, info, width, height, rgba, &file);
    png_destroy_write_struct(&png, &info);
    if (!written) file.clear();
    return file;
}

bool pngHolds(const std::vector<uint8_t>& png, int32_t width, int32_t height, const uint8_t* rgba) {
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return false;
    if ((int32_t)image.width != width || (int32_t)image.height != height) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return false;  // it frees on failure
    return memcmp(pixels.data(), rgba, pixels.size()) == 0;
}
