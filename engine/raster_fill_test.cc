#include "engine/raster_fill.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/raster_image.h"
#include "test_util.h"

namespace plotmere {
namespace {

// Reads `text` as a data file and fills its picture.
std::unique_ptr<RasterImage> Render(const std::string& text, bool normalize) {
  testing::ReadResult r = testing::ReadText(text);
  EXPECT_TRUE(r.ok);
  std::unique_ptr<RasterImage> image = CreateRasterImage(r.set.width, r.set.height);
  EXPECT_TRUE(image);
  SampleSet& set = testing::SharedSampleArrays();
  set = r.set;
  set.image = image.get();
  FillRaster(&set, normalize);
  set.image = nullptr;
  return image;
}

// Single-value files: each value stands at its own column of row 0, so the
// grey of value i is pixel i.
TEST(FillRaster, GreyLevels) {
  static const struct {
    bool normalize;
    std::vector<std::pair<const char*, int>> values;  // value, grey
    const char* why;
  } kCases[] = {
      {false, {{"127.9", 127}, {"300", 255}, {"255.99", 255}, {"0.999", 0},
               {"-0.5", 0}}, "minValue 0: truncated and clipped"},
      {false, {{"-5", 0}, {"10", 15}, {"-4.5", 0}}, "shifted up by 5"},
      {false, {{"-100", 0}, {"0", 100}, {"155", 255}, {"200", 255}},
       "shifted up by 100, then clipped"},
      {true, {{"500", 127}, {"999.9", 254}, {"1000", 255}, {"3.9", 0},
              {"4.0", 1}}, "range 0 ... 1000"},
      {true, {{"-3", 0}, {"2", 127}, {"7", 255}, {"-2.5", 12}}, "range -3 ... 7"},
      {true, {{"-10", 0}, {"-6.5", 127}, {"-3", 255}}, "all negative"},
      {true, {{"33", 254}, {"16.5", 127}},
       "divisor first: 33 / (33 / 255) is 254.99999999999997"},
      {true, {{"2.9", 255}}, "maxValue 2: 369.75 is clipped"},
      {true, {{"-0.5", 0}, {"1.0", 255}}, "below the range, not shifted"},
      {true, {{"-10.5", 0}, {"-2.5", 239}}, "range -10 ... -2"},
      {true, {{"0", 0}, {"0.5", 255}, {"0.999", 255}},
       "range 0: infinity clips to 255, NaN gives 0"},
      {true, {{"3e9", 255}, {"-3e9", 0}, {"0", 127}},
       "saturated range, computed without overflow"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    std::string text;
    for (size_t i = 0; i < c.values.size(); ++i) {
      text += std::to_string(i) + ",0," + c.values[i].first + "\n";
    }
    std::unique_ptr<RasterImage> image = Render(text, c.normalize);
    ASSERT_EQ(image->bcWidth, static_cast<int32_t>(c.values.size()));
    for (size_t i = 0; i < c.values.size(); ++i) {
      SCOPED_TRACE(c.values[i].first);
      EXPECT_EQ(image->red[i], c.values[i].second);
      EXPECT_EQ(image->green[i], c.values[i].second);
      EXPECT_EQ(image->blue[i], c.values[i].second);
    }
  }
}

TEST(FillRaster, ColoursAreClippedAndNeverNormalized) {
  static const struct {
    const char* record;
    uint8_t r, g, b;
  } kCases[] = {
      {"0,0,300,-5,12.7\n", 255, 0, 12},
      {"0,0,254.999,0.999,255.0\n", 254, 0, 255},
      {"0,0,1e400,-1e400,128\n", 255, 0, 128},
  };
  for (bool normalize : {false, true}) {
    for (const auto& c : kCases) {
      SCOPED_TRACE(c.record);
      std::unique_ptr<RasterImage> image = Render(c.record, normalize);
      EXPECT_EQ(image->red[0], c.r);
      EXPECT_EQ(image->green[0], c.g);
      EXPECT_EQ(image->blue[0], c.b);
    }
  }
}

TEST(FillRaster, Placement) {
  std::unique_ptr<RasterImage> image =
      Render("-2,-1,50\n0,0,60\n1,1,70\n", false);
  ASSERT_EQ(image->bcWidth, 4);
  ASSERT_EQ(image->bcHeight, 3);
  for (int i = 0; i < 12; ++i) {
    const int expected = i == 0 ? 50 : i == 6 ? 60 : i == 11 ? 70 : 0;
    EXPECT_EQ(image->red[i], expected) << "index " << i;
  }
}

TEST(FillRaster, LaterRecordWins) {
  std::unique_ptr<RasterImage> image = Render("0,0,10\n1,0,20\n0,0,30\n", false);
  ASSERT_EQ(image->bcWidth, 2);
  EXPECT_EQ(image->red[0], 30);
  EXPECT_EQ(image->green[0], 30);
  EXPECT_EQ(image->blue[0], 30);
  EXPECT_EQ(image->red[1], 20);
}

// A record outside the picture writes nothing, wherever it lies, including
// offsets that would wrap around in 32 bits.
TEST(FillRaster, RecordsOutsideThePictureAreSkipped) {
  std::vector<int32_t> xs = {0, 2, -1, INT32_MAX, INT32_MIN, 1};
  std::vector<int32_t> ys = {0, 0, 0, 0, 0, 3};
  std::vector<double> v = {9, 9, 9, 9, 9, 9};
  std::unique_ptr<RasterImage> image = CreateRasterImage(2, 2);
  SampleSet set;
  set.xs = xs.data();
  set.ys = ys.data();
  set.values[0] = v.data();
  set.count = static_cast<int32_t>(xs.size());
  set.minX = 0;
  set.minY = 0;
  set.image = image.get();
  FillRaster(&set, false);
  EXPECT_EQ(image->red[0], 9);
  EXPECT_EQ(image->red[1], 0);
  EXPECT_EQ(image->red[2], 0);
  EXPECT_EQ(image->red[3], 0);
}

}  // namespace
}  // namespace plotmere
