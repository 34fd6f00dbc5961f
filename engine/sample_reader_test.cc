#include <gtest/gtest.h>

#include <math.h>
#include <stdint.h>
#include <string.h>

#include <bit>
#include <limits>
#include <string>
#include <vector>

#include "engine/sample_set.h"
#include "test_util.h"

namespace plotmere {
namespace {

using testing::ReadResult;
using testing::ReadText;

struct Record {
  int32_t x, y;
  double v[3];
};

bool SameBits(double a, double b) {
  return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

// The block sizes every parse case is read with as well: boundaries fall
// inside every token of the short cases.
const size_t kBlockSizes[] = {1, 2, 3, 5, 7, 64, 65, 1 << 20};

void ExpectRecords(const ReadResult& r, const std::vector<Record>& expected,
                   bool three) {
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.set.count, static_cast<int32_t>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("record " + std::to_string(i));
    EXPECT_EQ(r.set.xs[i], expected[i].x);
    EXPECT_EQ(r.set.ys[i], expected[i].y);
    for (int c = 0; c < (three ? 3 : 1); ++c) {
      EXPECT_TRUE(SameBits(r.set.values[c][i], expected[i].v[c]))
          << "value " << c << ": " << r.set.values[c][i] << " expected "
          << expected[i].v[c];
    }
  }
}

TEST(ModeChoice, CommasOfTheFirstLineDecide) {
  static const struct {
    const char* text;
    bool three;
    const char* why;
  } kCases[] = {
      {"0,0,1.5\n1,1,2,3,4\n", false, "two commas"},
      {"0,0,255,128,0\n", true, "four commas"},
      {"0,0,1,2\n", true, "three commas are already three-channel"},
      {"\n0,0,1,2,3\n", false, "an empty first line"},
      {"", false, "an empty file"},
      {"0,0,1,2,3", true, "no line feed at all"},
      {"0,0,1\r\n2,2,3,4,5\r\n", false, "CR LF line ends"},
      {"0,0,1\x1A,,,,\n", false, "Ctrl-Z ends the data, and the line"},
      {"x,y,r,g,b\n", true, "a header line counts too"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    ReadResult r = ReadText(c.text);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.set.threeChannel, c.three);
  }
}

// Whether a record counts, and what it holds. Every case is read whole and
// in small blocks, and must give the same records either way.
TEST(ReadSamples, RecordsAndDroppedLines) {
  const double inf = std::numeric_limits<double>::infinity();
  static const struct Case {
    std::string text;
    std::vector<Record> records;
    int64_t dropped;
    int64_t firstDropped;
    const char* why;
  } kCases[] = {
      {"0,0,1.5\n", {{0, 0, {1.5}}}, 0, 0, "one record"},
      {"3,-4,12.5", {{3, -4, {12.5}}}, 0, 0, "no line end at the end"},
      {"0,0,255,128,0\n", {{0, 0, {255, 128, 0}}}, 0, 0, "three channels"},
      {"1,2,3\r\n4,5,6\r\n", {{1, 2, {3}}, {4, 5, {6}}}, 0, 0, "CR LF"},
      {"0,0,0\n1,2,3\r4,5,6", {{0, 0, {0}}, {1, 2, {3}}, {4, 5, {6}}}, 0, 0,
       "a lone CR is a blank (and no line end for the mode choice)"},
      {"0,0,0\n1,2,3 4,5,6\t7,8,9\n",
       {{0, 0, {0}}, {1, 2, {3}}, {4, 5, {6}}, {7, 8, {9}}}, 0, 0,
       "records need not stand one to a line (after the first line)"},
      {"1,\n2,\n\n 3\n", {{1, 2, {3}}}, 0, 0, "a record goes on after a comma"},
      {"1, 2,\t3\n", {{1, 2, {3}}}, 0, 0, "blanks after commas"},
      {"\n\n  1,2,3\n\n\n4,5,6\n\n", {{1, 2, {3}}, {4, 5, {6}}}, 0, 0,
       "empty lines anywhere"},
      {"+1,+2,+3.5\n-1,-2,-3.5\n", {{1, 2, {3.5}}, {-1, -2, {-3.5}}}, 0, 0,
       "signs"},
      {"007,-0,0.1000\n", {{7, 0, {0.1}}}, 0, 0, "leading and trailing zeros"},
      {"0,0,.5\n0,0,5.\n0,0,-.5e1\n0,0,1E2\n0,0,1e-2\n0,0,2.5E+3\n",
       {{0, 0, {0.5}}, {0, 0, {5.0}}, {0, 0, {-5.0}}, {0, 0, {100.0}},
        {0, 0, {0.01}}, {0, 0, {2500.0}}},
       0, 0, "the forms of a value"},
      {"0,0,0.1234567890123456789012345\n", {{0, 0, {0.1234567890123456789012345}}},
       0, 0, "more digits than a double holds, rounded to nearest"},
      {"0,0,9007199254740993\n", {{0, 0, {9007199254740992.0}}}, 0, 0,
       "2^53 + 1 rounds to even"},
      {"2147483647,-2147483648,0\n", {{INT32_MAX, INT32_MIN, {0}}}, 0, 0,
       "the 32-bit limits"},
      {"0,0,1e400\n0,0,-1e400\n0,0,1e-400\n",
       {{0, 0, {inf}}, {0, 0, {-inf}}, {0, 0, {0.0}}}, 0, 0,
       "beyond a double: infinity, or zero"},
      {"\xEF\xBB\xBF" "1,2,3\n", {{1, 2, {3}}}, 0, 0, "a UTF-8 byte-order mark"},
      {"1,2,3\n4,5,6\x1A" "7,8,9\n", {{1, 2, {3}}, {4, 5, {6}}}, 0, 0,
       "Ctrl-Z ends the data"},
      {"x,y,value\n1,2,3\n", {{1, 2, {3}}}, 1, 1, "a header line"},
      {"1,2,3\n1 ,2,3\n4,5,6", {{1, 2, {3}}, {4, 5, {6}}}, 1, 2,
       "a blank before a comma"},
      {"1,2,abc\n4,5,6\n", {{4, 5, {6}}}, 1, 1, "a value that is no number"},
      {"1.5,2,3\n4,5,6\n", {{4, 5, {6}}}, 1, 1, "a point in a coordinate"},
      {"1,2,3\n4,5,6,7,8\n9,9,9", {{1, 2, {3}}, {9, 9, {9}}}, 1, 2,
       "more fields than the mode has"},
      {"0,0,1,2,3\n1,1,5\n2,2,4,5,6", {{0, 0, {1, 2, 3}}, {2, 2, {4, 5, 6}}}, 1,
       2, "fewer fields than the mode has"},
      {"1,2,3,4\n5,6,7\n", {}, 2, 1, "three commas choose three channels"},
      {"0,0,inf\n0,0,nan\n0,0,0x10\n0,0,+-1\n0,0,1e\n0,0,.\n0,0,-\n1,1,1\n",
       {{1, 1, {1}}}, 7, 1, "not decimal notation"},
      {"2147483648,0,0\n0,-2147483649,0\n99999999999999999999,0,0\n1,1,1\n",
       {{1, 1, {1}}}, 3, 1, "coordinates beyond 32 bits"},
      {"1,2,3x\n4,5,6", {{4, 5, {6}}}, 1, 1, "text glued to the last number"},
      {"1,2,3 junk\n4,5,6", {{1, 2, {3}}, {4, 5, {6}}}, 1, 1,
       "a record, then text after a blank"},
      {std::string("1,2,3\0\n4,5,6", 12), {{4, 5, {6}}}, 1, 1,
       "a NUL byte is no end"},
      {"1,2,\n", {}, 1, 1, "the data ends inside a record"},
      {"1,\n\n2", {}, 1, 1, "a drop is told at the line its record began"},
      {"0,0,1\n\n  \n 1,\n2\n3,3,3\n", {{0, 0, {1}}, {3, 3, {3}}}, 1, 4,
       "the record began after blank lines"},
      {"", {}, 0, 0, "an empty file"},
      {" \t\r\n\n", {}, 0, 0, "whitespace only"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    ReadResult whole = ReadText(c.text);
    const bool three = whole.set.threeChannel;
    ExpectRecords(whole, c.records, three);
    EXPECT_EQ(whole.set.droppedLines, c.dropped);
    EXPECT_EQ(whole.set.firstDroppedLine, c.firstDropped);
    for (size_t blockSize : kBlockSizes) {
      SCOPED_TRACE("block size " + std::to_string(blockSize));
      ReadResult r = ReadText(c.text, blockSize);
      ExpectRecords(r, c.records, three);
      EXPECT_EQ(r.set.droppedLines, c.dropped);
      EXPECT_EQ(r.set.firstDroppedLine, c.firstDropped);
    }
  }
}

// Lines of the common shape ("x,y,value" with plain numbers and a line end
// right after them) are read by a quicker way than the rest; every limit
// of that way is met from both sides here, and a line just outside it must
// read as any other. Each case stands between two plain lines, which must
// be read the same whatever the case did.
TEST(ReadSamples, LinesOfTheCommonShapeAndJustOutside) {
  static const struct Case {
    const char* line;
    std::vector<Record> records;
    int64_t dropped;
  } kCases[] = {
      {"123456789,-987654321,1.5\n", {{123456789, -987654321, {1.5}}}, 0},
      {"1234567890,-2147483648,1\n", {{1234567890, INT32_MIN, {1}}}, 0},
      {"000000000,-000000000,-0.000\n", {{0, 0, {-0.0}}}, 0},
      {"0000000000,-0000000007,-0\n", {{0, -7, {-0.0}}}, 0},
      {"2147483648,0,0\n", {}, 1},
      {"1,2,000000000000000001.5\n", {{1, 2, {1.5}}}, 0},  // 19 digits
      {"1,2,0000000000000000001.5\n", {{1, 2, {1.5}}}, 0},  // 20
      {"1,2,0.000000000000000001\n", {{1, 2, {1e-18}}}, 0},
      {"1,2,0.0000000000000000001\n", {{1, 2, {1e-19}}}, 0},
      {"1,2,9007199254740992\n", {{1, 2, {9007199254740992.0}}}, 0},  // 2^53
      {"1,2,-900719925474099.3\n", {{1, 2, {-900719925474099.3}}}, 0},
      {"1,2,9007199254740993\n", {{1, 2, {9007199254740992.0}}}, 0},
      {"1,2,1844674407370955161.7\n", {{1, 2, {1844674407370955161.7}}}, 0},
      {"1,2,18446744073709551616\n", {{1, 2, {18446744073709551616.0}}}, 0},
      {"1,2,0.1\n", {{1, 2, {0.1}}}, 0},
      {"1,2,-999.999\r\n", {{1, 2, {-999.999}}}, 0},
      {"1,2,3.5\r\r\n", {{1, 2, {3.5}}}, 0},
      {"1,2,3.5 \n", {{1, 2, {3.5}}}, 0},
      {"1,2,3.5\t\n", {{1, 2, {3.5}}}, 0},
      {"1,2,3.5\n\n", {{1, 2, {3.5}}}, 0},
      {"1,2,5.\n", {{1, 2, {5.0}}}, 0},
      {"1,2,.5\n", {{1, 2, {0.5}}}, 0},
      {"1,2,-.5\n", {{1, 2, {-0.5}}}, 0},
      {"+1,+2,+3\n", {{1, 2, {3}}}, 0},
      {" 1,2,3\n", {{1, 2, {3}}}, 0},
      {"1,2, 3\n", {{1, 2, {3}}}, 0},
      {"1,2,1.5e1\n", {{1, 2, {15.0}}}, 0},
      {"1,2,1.5E-1\n", {{1, 2, {0.15}}}, 0},
      {"1,2,3\n4,5,6\n", {{1, 2, {3}}, {4, 5, {6}}}, 0},
      {"1,2,1.5e\n", {}, 1},
      {"1,2,1.5.5\n", {}, 1},
      {"1,2,1..5\n", {}, 1},
      {"1,2,.\n", {}, 1},
      {"1,2,-\n", {}, 1},
      {"1,2,--1\n", {}, 1},
      {"-,2,3\n", {}, 1},
      {"1,-,3\n", {}, 1},
      {",2,3\n", {}, 1},
      {"1,,3\n", {}, 1},
      {"1,2,,\n", {}, 1},
      {"1,2,3,\n", {}, 1},
      {"1,2,3,4\n", {}, 1},
      {"1.0,2,3\n", {}, 1},
      {"1,2.0,3\n", {}, 1},
      {"1,2,3x\n", {}, 1},
      {"1,2,3\x01\n", {}, 1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    const std::string text = std::string("0,0,0.5\n") + c.line + "7,-8,9.25\n";
    std::vector<Record> expected = {{0, 0, {0.5}}};
    expected.insert(expected.end(), c.records.begin(), c.records.end());
    expected.push_back({7, -8, {9.25}});
    for (size_t blockSize : kBlockSizes) {
      SCOPED_TRACE("block size " + std::to_string(blockSize));
      ReadResult r = ReadText(text, blockSize);
      ExpectRecords(r, expected, false);
      EXPECT_EQ(r.set.droppedLines, c.dropped);
      EXPECT_EQ(r.set.firstDroppedLine, c.dropped > 0 ? 2 : 0);
    }
  }
}

// The same for three values per line.
TEST(ReadSamples, ColourLinesOfTheCommonShapeAndJustOutside) {
  static const struct Case {
    const char* line;
    std::vector<Record> records;
    int64_t dropped;
  } kCases[] = {
      {"1,2,3.25,-4.5,255\n", {{1, 2, {3.25, -4.5, 255}}}, 0},
      {"1,2,3,4,5\r\n", {{1, 2, {3, 4, 5}}}, 0},
      {"1,2,0.1,0.2,0.3\n", {{1, 2, {0.1, 0.2, 0.3}}}, 0},
      {"1,2,3,4.,5\n", {{1, 2, {3, 4, 5}}}, 0},
      {"1,2,3,.5,5\n", {{1, 2, {3, 0.5, 5}}}, 0},
      {"1,2,3, 4,5\n", {{1, 2, {3, 4, 5}}}, 0},
      {"1,2,3,4,1e2\n", {{1, 2, {3, 4, 100}}}, 0},
      {"1,2,3,0000000000000000001.5,5\n", {{1, 2, {3, 1.5, 5}}}, 0},
      {"1,2,3,4\n", {}, 1},
      {"1,2,3,4,,\n", {}, 1},
      {"1,2,3,,5\n", {}, 1},
      {"1,2,3,4,5,6\n", {}, 1},
      {"1,2,3.5.5,4,5\n", {}, 1},
      {"1,2,3,4 ,5\n", {}, 1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    const std::string text =
        std::string("0,0,0.5,1,2\n") + c.line + "7,-8,9.25,0,-1\n";
    std::vector<Record> expected = {{0, 0, {0.5, 1, 2}}};
    expected.insert(expected.end(), c.records.begin(), c.records.end());
    expected.push_back({7, -8, {9.25, 0, -1}});
    for (size_t blockSize : kBlockSizes) {
      SCOPED_TRACE("block size " + std::to_string(blockSize));
      ReadResult r = ReadText(text, blockSize);
      ExpectRecords(r, expected, true);
      EXPECT_EQ(r.set.droppedLines, c.dropped);
      EXPECT_EQ(r.set.firstDroppedLine, c.dropped > 0 ? 2 : 0);
    }
  }
}

// Short decimals are read by exact double arithmetic, the rest by the
// general routine; both sides of every limit of the short way must round
// the same as the compiler rounds the literal.
TEST(ReadSamples, ValuesOnBothSidesOfTheShortWay) {
  static const struct {
    const char* text;
    double expected;
  } kCases[] = {
      {"9007199254740992", 9007199254740992.0},  // 2^53: short
      {"9007199254740993", 9007199254740993.0},  // above 2^53: general
      {"1234567890123456789", 1234567890123456789.0},    // 19 digits
      {"12345678901234567890", 12345678901234567890.0},  // 20 digits
      {"0.000000000000000000001234", 0.000000000000000000001234},
      {"1e22", 1e22},
      {"1e23", 1e23},
      {"1e-22", 1e-22},
      {"1e-23", 1e-23},
      {"123.456e-20", 123.456e-20},
      {"0.1e23", 0.1e23},
      {"4.9e-324", 4.9e-324},
      {"2.2250738585072011e-308", 2.2250738585072011e-308},
      {"1.7976931348623157e308", 1.7976931348623157e308},
      {"000000000000000000000000000001.5", 1.5},
      {"0e999999999", 0.0},
      {"1e+00000000000000000000000002", 100.0},
  };
  for (const auto& c : kCases) {
    for (const char* sign : {"", "-"}) {
      const std::string text = std::string("0,0,") + sign + c.text + "\n";
      SCOPED_TRACE(text);
      ReadResult r = ReadText(text);
      const double expected = *sign == '-' ? -c.expected : c.expected;
      ExpectRecords(r, {{0, 0, {expected}}}, false);
    }
  }
}

TEST(ReadSamples, BoundsAndValueRange) {
  static const struct {
    const char* text;
    int32_t width, height, minX, minY, minValue, maxValue, count;
    const char* why;
  } kCases[] = {
      {"5,3,1\n2,1,0\n", 6, 4, 0, 0, 0, 1, 2, "all at x, y >= 0"},
      {"-3,-2,1\n", 4, 3, -3, -2, 0, 1, 1, "only negative: the origin stays in"},
      {"1000,0,1\n1009,0,1\n", 1010, 1, 0, 0, 0, 1, 2, "x from 1000 to 1009"},
      {"0,0,7\n", 1, 1, 0, 0, 0, 7, 1, "one record at the origin"},
      {"", 1, 1, 0, 0, 0, 0, 0, "no records: 1 x 1"},
      {"-2,-1,0\n1,1,0\n", 4, 3, -2, -1, 0, 0, 2, "both sides"},
      {"0,0,2.7\n0,0,2.9\n", 1, 1, 0, 0, 0, 2, 2, "truncated toward zero"},
      {"0,0,-0.5\n", 1, 1, 0, 0, 0, 0, 1, "-0.5 leaves minValue at 0"},
      {"0,0,-1.5\n", 1, 1, 0, 0, -1, -1, 1, "-1.5 makes it -1"},
      {"0,0,-5\n0,0,-7\n", 1, 1, 0, 0, -7, -5, 2,
       "maxValue comes from the records, not from 0"},
      {"0,0,10\n0,0,20\n0,0,15\n", 1, 1, 0, 0, 0, 20, 3, "minValue stays 0"},
      {"0,0,3e9\n0,0,-3e9\n", 1, 1, 0, 0, INT32_MIN, INT32_MAX, 2,
       "values beyond 32 bits saturate"},
      {"0,0,1e400\n0,0,-1e400\n", 1, 1, 0, 0, INT32_MIN, INT32_MAX, 2,
       "infinities saturate"},
      {"2147483647,0,0\n-2147483648,0,0\n", INT32_MAX, 1, INT32_MIN, 0, 0, 0, 2,
       "a span beyond 32 bits saturates"},
      {"0,2147483647,0\n", 1, INT32_MAX, 0, 0, 0, 0, 1,
       "the largest y: the height just fits"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    ReadResult r = ReadText(c.text);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.set.width, c.width);
    EXPECT_EQ(r.set.height, c.height);
    EXPECT_EQ(r.set.minX, c.minX);
    EXPECT_EQ(r.set.minY, c.minY);
    EXPECT_EQ(r.set.minValue, c.minValue);
    EXPECT_EQ(r.set.count, c.count);
    if (c.count > 0) {
      EXPECT_EQ(r.set.maxValue, c.maxValue);
    }
  }
}

TEST(ReadSamples, TruncateToInt32) {
  static const struct {
    double v;
    int32_t expected;
  } kCases[] = {
      {0.0, 0},           {2.9, 2},
      {-2.9, -2},         {-0.5, 0},
      {2147483647.9, INT32_MAX},  {2147483648.0, INT32_MAX},
      {-2147483648.9, INT32_MIN}, {-2147483649.0, INT32_MIN},
      {1e300, INT32_MAX}, {-1e300, INT32_MIN},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(TruncateToInt32(c.v), c.expected) << c.v;
  }
}

// The first dropped line is counted from the start of the file, across
// blocks and a byte-order mark.
TEST(ReadSamples, FirstDroppedLineFarIntoTheFile) {
  std::string text = "\xEF\xBB\xBF";
  for (int i = 0; i < 5000; ++i) text += "1,2,3\r\n";
  text += "bad\n1,2,3\nworse\n";
  for (size_t blockSize : {size_t{0}, size_t{100}, size_t{4096}}) {
    ReadResult r = ReadText(text, blockSize);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.set.count, 5001);
    EXPECT_EQ(r.set.droppedLines, 2);
    EXPECT_EQ(r.set.firstDroppedLine, 5001);
  }
}

// A record longer than a block: the buffer grows to hold it.
TEST(ReadSamples, RecordLongerThanTheBuffer) {
  const std::string zeros(300000, '0');
  const std::string text = "1,\n" + std::string(100000, ' ') + "2," + zeros +
                           "1.5e0\n" + "3,4,5";
  for (size_t blockSize : {size_t{0}, size_t{1000}}) {
    ReadResult r = ReadText(text, blockSize);
    ExpectRecords(r, {{1, 2, {1.5}}, {3, 4, {5}}}, false);
  }
}

// The reader stops at the capacity and says that more followed.
TEST(ReadSamples, StopsAtTheCapacity) {
  std::string text;
  text.reserve(6 * (static_cast<size_t>(kSampleCapacity) + 2));
  for (int32_t i = 0; i < kSampleCapacity; ++i) text += "0,0,1\n";
  ReadResult exact = ReadText(text);
  ASSERT_TRUE(exact.ok);
  EXPECT_EQ(exact.set.count, kSampleCapacity);
  EXPECT_FALSE(exact.set.moreRecords);

  text += "1,1,2\n";
  ReadResult more = ReadText(text);
  ASSERT_TRUE(more.ok);
  EXPECT_EQ(more.set.count, kSampleCapacity);
  EXPECT_TRUE(more.set.moreRecords);
  EXPECT_EQ(more.set.width, 1) << "the record after the capacity is not read";
}

}  // namespace
}  // namespace plotmere
