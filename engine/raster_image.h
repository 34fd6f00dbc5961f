// A picture while it is rendered and saved, and its BMP writer.
//
// The picture keeps three separate 8-bit planes, red, green and blue, of
// bcWidth x bcHeight bytes each. The byte of column c, row r is at index
// r * bcWidth + c; row 0 is the bottom row (the smallest y of the data).
//
// The file is an uncompressed 24-bit BMP: a 14-byte BITMAPFILEHEADER, a
// 12-byte BITMAPCOREHEADER (16-bit width and height), then the rows bottom
// row first, each pixel as blue, green, red, each row padded with zero bytes
// to a multiple of 4. Every multi-byte field is little-endian.
#ifndef PLOTMERE_ENGINE_RASTER_IMAGE_H_
#define PLOTMERE_ENGINE_RASTER_IMAGE_H_

#include <stddef.h>
#include <stdint.h>

#include <memory>

namespace plotmere {

/// The largest picture side in pixels; the batch refuses anything wider or
/// higher before an image is created.
constexpr int32_t kMaxPictureSide = 4096;

/// Bytes of both headers together: the offset of the first pixel byte.
constexpr uint32_t kBmpHeaderSize = 26;

/// The smallest multiple of 4 that is not less than 3 * width.
/// REQUIRES: 0 <= width <= kMaxPictureSide.
constexpr int32_t BmpRowStride(int32_t width) {
  return (3 * width + 3) / 4 * 4;
}

/// One picture. The header values are those of the file; each is held as a
/// 32-bit integer, and the writer emits its low 2 or 4 bytes. The image owns
/// its planes: destroying it frees red, green and blue.
struct RasterImage {
  uint32_t bfType = 0x4D42;  // "BM"
  uint32_t bfSize = 0;       // row stride * height + 26: the file's length
  uint32_t bfReserved1 = 0;
  uint32_t bfReserved2 = 0;
  uint32_t bfOffBits = kBmpHeaderSize;
  uint32_t bcSize = 12;
  int32_t bcWidth = 0;
  int32_t bcHeight = 0;  // positive: rows are stored bottom-up
  uint32_t bcPlanes = 1;
  uint32_t bcBitCount = 24;
  uint8_t* red = nullptr;
  uint8_t* green = nullptr;
  uint8_t* blue = nullptr;

  RasterImage() = default;
  ~RasterImage();
  RasterImage(const RasterImage&) = delete;
  RasterImage& operator=(const RasterImage&) = delete;
};

/// Creates a black picture of width x height pixels with every header value
/// set. On success returns the image, which the caller owns. On failure (a
/// side outside 1 ... kMaxPictureSide, or no memory for the planes) returns
/// null, with nothing left allocated.
std::unique_ptr<RasterImage> CreateRasterImage(int32_t width, int32_t height);

/// Receives the bytes of a BMP file in order. Returns false to stop writing.
using BmpSink = bool (*)(void* context, const uint8_t* data, size_t size);

/// Emits the whole BMP file of `image` to `sink`, exactly bfSize bytes.
/// Returns true when the sink took every byte, false when it refused some.
bool WriteBmp(const RasterImage& image, BmpSink sink, void* context);

/// Writes the BMP file of `image` to `path` (created, or truncated when it
/// exists). Returns true only when every byte was written and the file
/// closed without error. On failure the file may be left short; the caller
/// removes it.
bool WriteBmpFile(const char* path, const RasterImage& image);

}  // namespace plotmere

#endif  // PLOTMERE_ENGINE_RASTER_IMAGE_H_
