#include "engine/raster_image.h"

#include <gtest/gtest.h>

#include <string>

#include "test_util.h"

namespace plotmere {
namespace {

using testing::Hex;

bool StringSink(void* context, const uint8_t* data, size_t size) {
  static_cast<std::string*>(context)->append(reinterpret_cast<const char*>(data),
                                             size);
  return true;
}

std::string Bmp(const RasterImage& image) {
  std::string out;
  EXPECT_TRUE(WriteBmp(image, StringSink, &out));
  return out;
}

void SetPixel(RasterImage* image, int32_t column, int32_t row, uint8_t r,
              uint8_t g, uint8_t b) {
  const size_t i = static_cast<size_t>(row) * static_cast<size_t>(image->bcWidth) +
                   static_cast<size_t>(column);
  image->red[i] = r;
  image->green[i] = g;
  image->blue[i] = b;
}

TEST(RasterImage, RowStrideAndPadding) {
  static const struct {
    int32_t width, stride, pad;
  } kCases[] = {{1, 4, 1}, {2, 8, 2}, {3, 12, 3}, {4, 12, 0}, {5, 16, 1},
                {6, 20, 2}, {7, 24, 3}, {8, 24, 0}, {4096, 12288, 0}};
  for (const auto& c : kCases) {
    EXPECT_EQ(BmpRowStride(c.width), c.stride) << "width " << c.width;
    EXPECT_EQ(BmpRowStride(c.width) - 3 * c.width, c.pad) << "width " << c.width;
  }
}

TEST(RasterImage, CreateSetsTheHeaderAndBlackPlanes) {
  static const struct {
    int32_t width, height;
    uint32_t bfSize;
  } kCases[] = {{1, 1, 30}, {2, 2, 42}, {3, 2, 50}, {4096, 1, 12314},
                {1, 4096, 16410}, {4096, 4096, 50331674}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    std::unique_ptr<RasterImage> image = CreateRasterImage(c.width, c.height);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->bfType, 0x4D42u);
    EXPECT_EQ(image->bfSize, c.bfSize);
    EXPECT_EQ(image->bfOffBits, 26u);
    EXPECT_EQ(image->bcSize, 12u);
    EXPECT_EQ(image->bcWidth, c.width);
    EXPECT_EQ(image->bcHeight, c.height);
    EXPECT_EQ(image->bcPlanes, 1u);
    EXPECT_EQ(image->bcBitCount, 24u);
    const size_t pixels = static_cast<size_t>(c.width) * static_cast<size_t>(c.height);
    for (const uint8_t* plane : {image->red, image->green, image->blue}) {
      ASSERT_NE(plane, nullptr);
      EXPECT_EQ(plane[0], 0);
      EXPECT_EQ(plane[pixels - 1], 0);
    }
    EXPECT_EQ(Bmp(*image).size(), c.bfSize) << "bfSize is the file's length";
  }
}

TEST(RasterImage, CreateRefusesSidesOutsideTheLimits) {
  for (auto [w, h] : {std::pair{0, 1}, {1, 0}, {-1, 5}, {4097, 1}, {1, 4097}}) {
    EXPECT_FALSE(CreateRasterImage(w, h)) << w << " x " << h;
  }
}

TEST(WriteBmp, OnePixel) {
  std::unique_ptr<RasterImage> image = CreateRasterImage(1, 1);
  const std::string kHeader(
      "\x42\x4D\x1E\x00\x00\x00\x00\x00\x00\x00\x1A\x00\x00\x00"
      "\x0C\x00\x00\x00\x01\x00\x01\x00\x01\x00\x18\x00",
      26);
  EXPECT_EQ(Hex(Bmp(*image)), Hex(kHeader + std::string("\0\0\0\0", 4)))
      << "an unset pixel is black";
  SetPixel(image.get(), 0, 0, 0xFF, 0, 0);
  EXPECT_EQ(Hex(Bmp(*image)), Hex(kHeader + std::string("\0\0\xFF\0", 4)))
      << "red goes last: blue, green, red";
}

TEST(WriteBmp, TwoByTwoBottomRowFirst) {
  std::unique_ptr<RasterImage> image = CreateRasterImage(2, 2);
  SetPixel(image.get(), 0, 0, 0xFF, 0, 0);        // red
  SetPixel(image.get(), 1, 0, 0, 0xFF, 0);        // green
  SetPixel(image.get(), 0, 1, 0, 0, 0xFF);        // blue
  SetPixel(image.get(), 1, 1, 0xFF, 0xFF, 0xFF);  // white
  EXPECT_EQ(Hex(Bmp(*image)), Hex(testing::TwoByTwoBmp()));
}

// An asymmetric glyph with distinct channels: a flip, a channel swap or a
// wrong pad shows. 3 x 5 "F": red stem, green top bar, blue middle bar.
TEST(WriteBmp, GlyphShowsFlipsSwapsAndPadding) {
  std::unique_ptr<RasterImage> image = CreateRasterImage(3, 5);
  for (int32_t row = 0; row < 5; ++row) SetPixel(image.get(), 0, row, 200, 0, 0);
  SetPixel(image.get(), 1, 4, 0, 150, 0);
  SetPixel(image.get(), 2, 4, 0, 150, 0);
  SetPixel(image.get(), 1, 2, 0, 0, 100);
  const std::string bmp = Bmp(*image);
  ASSERT_EQ(bmp.size(), 26u + 5 * 12);
  const std::string stem("\x00\x00\xC8", 3);
  const std::string black("\x00\x00\x00", 3);
  const std::string green("\x00\x96\x00", 3);
  const std::string blue("\x64\x00\x00", 3);
  const std::string pad("\x00\x00\x00", 3);
  const std::string rows[5] = {
      stem + black + black + pad,  // row 0, the bottom
      stem + black + black + pad,
      stem + blue + black + pad,   // the middle bar
      stem + black + black + pad,
      stem + green + green + pad,  // row 4, the top
  };
  for (int row = 0; row < 5; ++row) {
    EXPECT_EQ(Hex(bmp.substr(26 + static_cast<size_t>(row) * 12, 12)), Hex(rows[row]))
        << "row " << row;
  }
}

TEST(WriteBmp, SinkThatRefusesStopsTheWrite) {
  std::unique_ptr<RasterImage> image = CreateRasterImage(4096, 64);
  struct Budget {
    size_t left;
  } budget{30000};
  auto sink = [](void* context, const uint8_t*, size_t size) {
    auto* b = static_cast<Budget*>(context);
    if (size > b->left) return false;
    b->left -= size;
    return true;
  };
  EXPECT_FALSE(WriteBmp(*image, sink, &budget));
}

TEST(WriteBmpFile, ReplacesALongerFileWhole) {
  testing::TempDir dir;
  const std::string path = dir.Path("out.bmp");
  testing::WriteFile(path, std::string(1000, 'x'));
  std::unique_ptr<RasterImage> image = CreateRasterImage(3, 2);
  ASSERT_TRUE(WriteBmpFile(path.c_str(), *image));
  std::string bytes;
  ASSERT_TRUE(testing::ReadFile(path, &bytes));
  EXPECT_EQ(bytes.size(), 50u);
  EXPECT_EQ(bytes, Bmp(*image));
}

TEST(WriteBmpFile, FailsWhereNoFileCanBeMade) {
  testing::TempDir dir;
  std::unique_ptr<RasterImage> image = CreateRasterImage(1, 1);
  EXPECT_FALSE(WriteBmpFile(dir.Path("no-such-folder/out.bmp").c_str(), *image));
  EXPECT_FALSE(WriteBmpFile(dir.path().c_str(), *image)) << "a folder";
}

}  // namespace
}  // namespace plotmere
