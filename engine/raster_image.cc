// The picture's planes and the BMP writer. The header is laid out field by
// field, least significant byte first, so the file is the same whatever the
// byte order of the machine.
#include "engine/raster_image.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <new>

namespace plotmere {

RasterImage::~RasterImage() {
  free(red);
  free(green);
  free(blue);
}

std::unique_ptr<RasterImage> CreateRasterImage(int32_t width, int32_t height) {
  if (width < 1 || width > kMaxPictureSide || height < 1 ||
      height > kMaxPictureSide) {
    return nullptr;
  }
  std::unique_ptr<RasterImage> image(new (std::nothrow) RasterImage);
  if (!image) return nullptr;
  const uint32_t stride = static_cast<uint32_t>(BmpRowStride(width));
  image->bfSize = stride * static_cast<uint32_t>(height) + kBmpHeaderSize;
  image->bcWidth = width;
  image->bcHeight = height;
  const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
  image->red = static_cast<uint8_t*>(calloc(pixels, 1));
  image->green = static_cast<uint8_t*>(calloc(pixels, 1));
  image->blue = static_cast<uint8_t*>(calloc(pixels, 1));
  if (image->red == nullptr || image->green == nullptr ||
      image->blue == nullptr) {
    return nullptr;  // the destructor frees whichever planes were had
  }
  return image;
}

namespace {

uint8_t* Put16(uint8_t* out, uint32_t v) {
  out[0] = static_cast<uint8_t>(v);
  out[1] = static_cast<uint8_t>(v >> 8);
  return out + 2;
}

uint8_t* Put32(uint8_t* out, uint32_t v) {
  out[0] = static_cast<uint8_t>(v);
  out[1] = static_cast<uint8_t>(v >> 8);
  out[2] = static_cast<uint8_t>(v >> 16);
  out[3] = static_cast<uint8_t>(v >> 24);
  return out + 4;
}

// Rows are interleaved into this many bytes before they go to the sink; the
// widest row (4096 pixels, 12,288 bytes) fits several times.
constexpr size_t kChunkSize = size_t{64} * 1024;

bool FileSink(void* context, const uint8_t* data, size_t size) {
  return fwrite(data, 1, size, static_cast<FILE*>(context)) == size;
}

}  // namespace

bool WriteBmp(const RasterImage& image, BmpSink sink, void* context) {
  uint8_t header[kBmpHeaderSize];
  uint8_t* p = header;
  p = Put16(p, image.bfType);  // BITMAPFILEHEADER
  p = Put32(p, image.bfSize);
  p = Put16(p, image.bfReserved1);
  p = Put16(p, image.bfReserved2);
  p = Put32(p, image.bfOffBits);
  p = Put32(p, image.bcSize);  // BITMAPCOREHEADER
  p = Put16(p, static_cast<uint32_t>(image.bcWidth));
  p = Put16(p, static_cast<uint32_t>(image.bcHeight));
  p = Put16(p, image.bcPlanes);
  Put16(p, image.bcBitCount);
  if (!sink(context, header, sizeof header)) return false;

  const int32_t width = image.bcWidth;
  const size_t stride = static_cast<size_t>(BmpRowStride(width));
  const size_t pixelBytes = 3 * static_cast<size_t>(width);
  uint8_t chunk[kChunkSize];
  size_t used = 0;
  for (int32_t row = 0; row < image.bcHeight; ++row) {
    if (used + stride > kChunkSize) {
      if (!sink(context, chunk, used)) return false;
      used = 0;
    }
    const size_t base = static_cast<size_t>(row) * static_cast<size_t>(width);
    const uint8_t* r = image.red + base;
    const uint8_t* g = image.green + base;
    const uint8_t* b = image.blue + base;
    uint8_t* out = chunk + used;
    for (int32_t c = 0; c < width; ++c) {
      out[0] = b[c];
      out[1] = g[c];
      out[2] = r[c];
      out += 3;
    }
    memset(out, 0, stride - pixelBytes);
    used += stride;
  }
  return used == 0 || sink(context, chunk, used);
}

bool WriteBmpFile(const char* path, const RasterImage& image) {
  FILE* file = fopen(path, "wb");
  if (file == nullptr) return false;
  bool ok = WriteBmp(image, FileSink, file);
  ok = fflush(file) == 0 && ok;
  ok = ferror(file) == 0 && ok;
  ok = fclose(file) == 0 && ok;
  return ok;
}

}  // namespace plotmere
