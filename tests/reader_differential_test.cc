// Differential tests of the sample reader.
//
// The reader parses numbers by hand for speed; these tests hold it to the C
// library. Generated files of valid records are compared record for record,
// values bit for bit, with the C library's strtoll/strtod reading of the
// very tokens that were written. Generated files that mix valid records with
// text that is none are compared with the slow reference reader
// (reference_reader.h). Every file is read with block sizes that put block
// boundaries inside every token, and must give the same result each time.
//
// The seeds are fixed, so a run is reproducible; a failure names its seed,
// the input (shrunk to a small one that still fails) and both values in
// hexfloat. Configure with -DPLOTMERE_EXHAUSTIVE=ON for a much longer sweep.
#include <ctype.h>
#include <gtest/gtest.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/sample_set.h"
#include "reference_reader.h"
#include "test_util.h"

namespace plotmere {
namespace {

using testing::DifferenceFromReference;
using testing::Hexfloat;
using testing::ReadResult;
using testing::ReadText;
using testing::ReferenceRead;
using testing::ReferenceRecord;
using testing::ReferenceResult;
using testing::SameBits;

#if PLOTMERE_EXHAUSTIVE
constexpr int kScale = 50;
constexpr size_t kSweepLength = 5;
#else
constexpr int kScale = 1;
constexpr size_t kSweepLength = 4;
#endif

// Block sizes every generated file is read with; 0 is the reader's own.
// One more, drawn per file, is added by BlockSizesFor.
const size_t kBlockSizes[] = {0, 1, 2, 3, 7, 64};

// The input with its control bytes escaped, cut short when long.
std::string Printable(const std::string& text, size_t limit = 600) {
  std::string out;
  for (size_t i = 0; i < text.size() && i < limit; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c == '"') {
      out += "\\\"";
    } else if (c < 0x20 || c >= 0x7F) {
      char hex[8];
      snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
      // A hex digit right after would read as part of the escape.
      if (i + 1 < text.size() &&
          isxdigit(static_cast<unsigned char>(text[i + 1]))) {
        out += "\" \"";
      }
    } else {
      out += static_cast<char>(c);
    }
  }
  if (text.size() > limit)
    out += "... (" + std::to_string(text.size()) + " bytes)";
  return "\"" + out + "\"";
}

// The first difference between a reading and the reference's, or "".
std::string Difference(const ReadResult& got, const ReferenceResult& want) {
  if (!got.ok) return "ReadSamples failed";
  return DifferenceFromReference(got.set, want);
}

// Removes lines, then single bytes, from `text` as long as `fails` holds,
// so that a failure is reported with an input small enough to read. Gives
// up after a thousand tries, so that a failure is told in seconds.
std::string Shrink(std::string text,
                   const std::function<bool(const std::string&)>& fails) {
  int budget = 1000;
  const std::function<bool(const std::string&)> tryFails =
      [&](const std::string& candidate) {
        return budget-- > 0 && fails(candidate);
      };
  for (bool progress = true; progress && budget > 0;) {
    progress = false;
    for (size_t start = 0; start < text.size();) {
      size_t end = text.find('\n', start);
      end = end == std::string::npos ? text.size() : end + 1;
      std::string candidate = text.substr(0, start) + text.substr(end);
      if (tryFails(candidate)) {
        text = candidate;
        progress = true;
      } else {
        start = end;
      }
    }
    for (size_t i = 0; i < text.size();) {
      std::string candidate = text.substr(0, i) + text.substr(i + 1);
      if (tryFails(candidate)) {
        text = candidate;
        progress = true;
      } else {
        ++i;
      }
    }
  }
  return text;
}

// The seeded source of everything random here: mt19937_64 is the same
// sequence on every platform, and only plain modulo is used on it. (Where
// one expression draws twice, the order of the draws is the compiler's, so
// a seed names the same file for the same build only.)
class Random {
 public:
  explicit Random(uint64_t seed) : engine_(seed) {}
  uint64_t Next() { return engine_(); }
  /// 0 ... n-1.
  size_t Below(size_t n) { return static_cast<size_t>(engine_() % n); }
  bool OneIn(size_t n) { return Below(n) == 0; }
  template <size_t N>
  const char* Pick(const char* const (&options)[N]) {
    return options[Below(N)];
  }
  std::string Digits(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += static_cast<char>('0' + Below(10));
    return s;
  }

 private:
  std::mt19937_64 engine_;
};

// Writes valid data files: every notation of the numbers and every spacing
// the grammar allows. Each token written is also read back with the C
// library, which gives the records the file must read as.
class ValidFileWriter {
 public:
  explicit ValidFileWriter(Random& random) : random_(random) {}

  /// A file of 1 ... maxRecords records; their expected reading goes to
  /// *records.
  std::string File(bool three, size_t maxRecords,
                   std::vector<ReferenceRecord>* records) {
    std::string text;
    if (random_.OneIn(8)) text += "\xEF\xBB\xBF";
    const size_t n = 1 + random_.Below(maxRecords);
    records->clear();
    for (size_t i = 0; i < n; ++i) {
      const bool first = i == 0;
      ReferenceRecord r;
      // Three-channel mode is chosen by the commas of the first line: the
      // first record keeps three of them on it. In single-value mode the
      // first line holds only the first record.
      const bool keepOnLine = first && three;
      text += Blanks(!keepOnLine);
      text += Int(&r.x);
      text += ',';
      text += Blanks(!keepOnLine);
      text += Int(&r.y);
      text += ',';
      text += Blanks(!keepOnLine);
      text += Value(&r.values[0]);
      if (three) {
        for (int c = 1; c < 3; ++c) {
          text += ',';
          text += Blanks(true);
          text += Value(&r.values[c]);
        }
      }
      records->push_back(r);
      if (i + 1 < n) {
        text += Separator(first && !three);
      } else {
        text += random_.OneIn(3)
                    ? ""
                    : random_.Pick({"\n", "\r\n", " ", "\n\n", "\r\n\r\n \t"});
      }
    }
    return text;
  }

  /// An integer token, and its value as strtoll reads it.
  std::string Int(int32_t* value) {
    int64_t v = 0;
    switch (random_.Below(6)) {
      case 0:
        v = static_cast<int64_t>(random_.Below(10));
        break;
      case 1:
        v = static_cast<int64_t>(random_.Below(4097)) - 2048;
        break;
      case 2:
        v = INT32_MAX - static_cast<int64_t>(random_.Below(3));
        break;
      case 3:
        v = INT32_MIN + static_cast<int64_t>(random_.Below(3));
        break;
      default:
        v = static_cast<int32_t>(static_cast<uint32_t>(random_.Next()));
        break;
    }
    std::string sign = v < 0 ? "-" : random_.Pick({"", "", "+"});
    if (v == 0 && random_.OneIn(4)) sign = "-";
    std::string zeros =
        random_.OneIn(5) ? std::string(1 + random_.Below(12), '0') : "";
    std::string token = sign + zeros + std::to_string(v < 0 ? -v : v);
    *value = static_cast<int32_t>(strtoll(token.c_str(), nullptr, 10));
    return token;
  }

  /// A value token, and its value as strtod reads it.
  std::string Value(double* value) {
    std::string token = random_.Pick({"", "", "-", "+"}) + UnsignedValue();
    char* end = nullptr;
    *value = strtod(token.c_str(), &end);
    if (*end != '\0') ADD_FAILURE() << "the test wrote a bad value " << token;
    return token;
  }

 private:
  std::string UnsignedValue() {
    switch (random_.Below(10)) {
      case 0:  // the usual data: three decimals
        return std::to_string(random_.Below(1000)) + "." + random_.Digits(3);
      case 1:  // a fraction alone, or a point with nothing after it
        return random_.OneIn(2) ? "." + random_.Digits(1 + random_.Below(20))
                                : random_.Digits(1 + random_.Below(6)) + ".";
      case 2:
      case 3:
        return DigitsWithPoint() + Exponent();
      case 4:
        return ShortestOfRandomDouble();
      case 5:
        return NearHalfway();
      case 6:
        return random_.Pick({
            "1.7976931348623157e308",  // the largest double
            "1.7976931348623158e308",  // rounds down to it
            "1.7976931348623159e308",  // rounds up to infinity
            "1e309",
            "1e400",
            "1E99999",
            "1e0000000000000000000000000000000000001",
            "4.9406564584124654e-324",  // the smallest subnormal
            "2.4703282292062327e-324",  // just below half of it: 0
            "2.4703282292062328e-324",  // just above: the smallest subnormal
            "2.2250738585072011e-308",  // just below the smallest normal
            "2.2250738585072014e-308",  // the smallest normal
            "1e-400",
            "0e999999999",
            "0.0",
            "000",
            "0.",
            ".0",
            "9007199254740992",
            "9007199254740993",
            "9007199254740995",
            "18446744073709551615",
            "18446744073709551616",
        });
      case 7: {  // very many digits: longer than the reader's look-ahead
        std::string digits = random_.Digits(60 + random_.Below(700));
        return "0." + digits + Exponent();
      }
      default:  // integers
        return random_.Digits(1 + random_.Below(19)) +
               (random_.OneIn(3) ? Exponent() : "");
    }
  }

  // 1 ... 25 significant digits, leading zeros at times, the point anywhere.
  std::string DigitsWithPoint() {
    std::string digits =
        random_.Digits(1 + random_.Below(random_.OneIn(2) ? 25 : 8));
    if (random_.OneIn(4))
      digits = std::string(1 + random_.Below(20), '0') + digits;
    if (random_.OneIn(5)) return digits;
    const size_t point = random_.Below(digits.size() + 1);
    return digits.substr(0, point) + "." + digits.substr(point);
  }

  std::string Exponent() {
    if (random_.OneIn(3)) return "";
    std::string e = random_.Pick({"e", "E"});
    e += random_.Pick({"", "+", "-"});
    if (random_.OneIn(6)) e += std::string(1 + random_.Below(5), '0');
    switch (random_.Below(4)) {
      case 0:
        return e + std::to_string(random_.Below(23));  // exact powers of ten
      case 1:
        return e + std::to_string(random_.Below(400));  // to the ends of double
      case 2:
        return e + std::to_string(290 + random_.Below(50));
      default:
        return e + std::to_string(random_.Below(100000));
    }
  }

  // A finite double of random bits, written in few digits (the shortest
  // form that reads back) or in many.
  std::string ShortestOfRandomDouble() {
    double d;
    do {
      const uint64_t bits = random_.Next();
      memcpy(&d, &bits, sizeof d);
    } while (!std::isfinite(d));
    if (d < 0) d = -d;
    char text[128];
    std::to_chars_result r;
    switch (random_.Below(3)) {
      case 0:
        r = std::to_chars(text, text + sizeof text, d);
        break;
      case 1:
        r = std::to_chars(text, text + sizeof text, d,
                          std::chars_format::scientific,
                          static_cast<int>(16 + random_.Below(9)));
        break;
      default:
        r = std::to_chars(text, text + sizeof text, d,
                          std::chars_format::general,
                          static_cast<int>(1 + random_.Below(25)));
        break;
    }
    std::string s(text, r.ptr);
    // to_chars writes "1e+300"; both forms are fine, and so is "E".
    if (random_.OneIn(2)) {
      for (char& c : s) {
        if (c == 'e') c = 'E';
      }
    }
    return s;
  }

  // Exactly halfway between two doubles, or a hair beside: an odd multiple
  // of half a unit in the last place, for doubles from 2^53 to 2^64.
  std::string NearHalfway() {
    const int shift = static_cast<int>(random_.Below(11));  // ulp = 2^(shift+1)
    uint64_t m =
        (uint64_t{1} << 52) | (random_.Next() & ((uint64_t{1} << 52) - 1));
    const uint64_t half = uint64_t{1} << shift;
    const uint64_t tie = (m << (shift + 1)) + half;  // < 2^64
    switch (random_.Below(4)) {
      case 0:
        return std::to_string(tie);
      case 1:
        return std::to_string(tie) + "." +
               std::string(1 + random_.Below(10), '0');
      case 2:
        return std::to_string(tie) + ".0000000000000000001";  // above
      default:
        return std::to_string(tie - 1) + ".9999999999999999999";  // below
    }
  }

  std::string Blanks(bool lineEndsToo) {
    if (random_.OneIn(2)) return "";
    if (lineEndsToo && random_.OneIn(3)) {
      return random_.Pick(
          {"\n", "\r\n", "\n\n", " \r\n\t", "\n \n", "\r\n\r\n"});
    }
    return random_.Pick({" ", "\t", "  ", "\v", "\f", "\r", " \t "});
  }

  // Between two records: at least one blank; a line end after the first
  // record of a single-value file.
  std::string Separator(bool lineEnd) {
    if (lineEnd || random_.OneIn(2)) {
      return random_.Pick({"\n", "\r\n", "\n\n", "\n\t", "\r\n \r\n", " \n"});
    }
    return random_.Pick({" ", "\t", "  ", "\r", "\v", "\f"});
  }

  Random& random_;
};

// Reads `text` with every block size and compares the result with `want`.
// Returns "" when all agree, else the first difference.
std::string CompareAllBlockSizes(const std::string& text,
                                 const ReferenceResult& want,
                                 size_t extraBlockSize) {
  std::vector<size_t> sizes(std::begin(kBlockSizes), std::end(kBlockSizes));
  sizes.push_back(extraBlockSize);
  for (size_t blockSize : sizes) {
    const std::string d = Difference(ReadText(text, blockSize), want);
    if (!d.empty()) return "block size " + std::to_string(blockSize) + ": " + d;
  }
  return "";
}

// Reports a difference against the reference reader, with the input shrunk.
void ReportAgainstReference(uint64_t seed, const std::string& text,
                            const std::string& difference) {
  const std::string small = Shrink(text, [](const std::string& t) {
    return !CompareAllBlockSizes(t, ReferenceRead(t), 5).empty();
  });
  ADD_FAILURE() << "seed " << seed << ": " << difference
                << "\n  input: " << Printable(text)
                << "\n  shrunk: " << Printable(small) << "\n  there: "
                << CompareAllBlockSizes(small, ReferenceRead(small), 5);
}

// Files of valid records only: every record must come out, bit for bit as
// the C library reads its tokens, whatever the block size.
TEST(ReaderDifferential, ValidRecordsMatchTheCLibrary) {
  const int files = 400 * kScale;
  int failures = 0;
  for (int i = 0; i < files && failures < 5; ++i) {
    const uint64_t seed = 1000 + static_cast<uint64_t>(i);
    Random random(seed);
    ValidFileWriter writer(random);
    const bool three = random.OneIn(3);
    std::vector<ReferenceRecord> records;
    const std::string text = writer.File(three, 40, &records);

    // The reference must read a valid file as the tokens say; the reader
    // is then compared with it, bounds and value range included.
    ReferenceResult want = ReferenceRead(text);
    want.records = records;
    const std::string d =
        CompareAllBlockSizes(text, want, 1 + random.Below(300));
    if (!d.empty()) {
      ++failures;
      ReportAgainstReference(seed, text, d);
    }
    const ReferenceResult reference = ReferenceRead(text);
    ASSERT_EQ(reference.threeChannel, three) << "seed " << seed;
    ASSERT_EQ(reference.droppedLines, 0)
        << "seed " << seed << ", " << Printable(text);
    ASSERT_EQ(reference.records.size(), records.size()) << "seed " << seed;
    for (size_t r = 0; r < records.size(); ++r) {
      ASSERT_EQ(reference.records[r].x, records[r].x) << "seed " << seed;
      ASSERT_EQ(reference.records[r].y, records[r].y) << "seed " << seed;
      for (int c = 0; c < (three ? 3 : 1); ++c) {
        ASSERT_TRUE(
            SameBits(reference.records[r].values[c], records[r].values[c]))
            << "the reference reader, seed " << seed << " record " << r;
      }
    }
  }
}

// Twenty digits whose mantissa wraps around 64 bits to exactly 0 (the
// multiples of 2^64): once read as 0 by the short way of reading values.
TEST(ReaderDifferential, MantissaWrappingToZeroAt64Bits) {
  static const char* const kValues[] = {
      "18446744073709551616",  "36893488147419103232",
      "55340232221128654848",  "73786976294838206464",
      "92233720368547758080",  "184467440737095516160",
      "1844674407370955161.6", "18446744073709551616e-5",
      ".18446744073709551616",
  };
  for (const char* value : kValues) {
    const std::string text = std::string("0,0,") + value + "\n";
    const ReadResult r = ReadText(text);
    ASSERT_EQ(r.set.count, 1) << value;
    const double expected = strtod(value, nullptr);
    EXPECT_TRUE(SameBits(r.set.values[0][0], expected))
        << value << ": " << Hexfloat(r.set.values[0][0]) << ", expected "
        << Hexfloat(expected);
  }
}

// Mangles valid text: bytes replaced, inserted or removed, drawn from those
// that matter to the grammar.
std::string Mangle(Random& random, std::string text) {
  static const char kBytes[] =
      ",,,..--++eE05 \t\r\n\n\0\x1A"
      "x\xEF\xBB\xBF";
  const size_t edits = 1 + random.Below(4);
  for (size_t e = 0; e < edits && !text.empty(); ++e) {
    const size_t at = random.Below(text.size());
    const char c = kBytes[random.Below(sizeof kBytes - 1)];
    switch (random.Below(3)) {
      case 0:
        text[at] = c;
        break;
      case 1:
        text.insert(text.begin() + static_cast<ptrdiff_t>(at), c);
        break;
      default:
        text.erase(at, 1);
        break;
    }
  }
  return text;
}

// A line that is no record, or only almost one.
std::string BadLine(Random& random, ValidFileWriter& writer) {
  double v;
  int32_t n;
  switch (random.Below(8)) {
    case 0:
      return random.Pick({"x,y,value", "x,y,r,g,b", "", "abc", "#comment 1,2,3",
                          ",,,,", "1,2", "1,2,", ",1,2,3", "1,,2,3",
                          "\xEF\xBB\xBF"
                          "1,2,3"});
    case 1:  // not decimal notation
      return "1,2," +
             std::string(random.Pick(
                 {"inf",  "nan", "-inf",  "INFINITY", "0x10",  "0x1p3", "1e",
                  "1e+",  "1E-", ".",     "-",        "+",     "+-1",   "--1",
                  "1..2", ".e1", "1.2.3", "e5",       "1e5e5", "1,5"}));
    case 2:  // coordinates beyond 32 bits, or not integers
      return std::string(random.Pick({"2147483648", "-2147483649",
                                      "99999999999999999999", "4294967296",
                                      "1.0", "1e3", "+", "0x1"})) +
             ",0,1";
    case 3:  // a blank before a comma
      return writer.Int(&n) + " ," + writer.Int(&n) + "," + writer.Value(&v);
    case 4:  // an extra field, or one too few
      return writer.Int(&n) + "," + writer.Int(&n) + "," + writer.Value(&v) +
             (random.OneIn(2) ? "," + writer.Value(&v) : "");
    case 5:  // text glued to a number
      return writer.Int(&n) + "," + writer.Int(&n) + "," + writer.Value(&v) +
             (random.OneIn(6)
                  ? std::string(1, '\0')
                  : random.Pick({"x", "%", "\x01", "e", "E+", ".", "-"}));
    case 6: {  // a long line
      std::string line;
      while (line.size() < 100 + random.Below(3000)) {
        line += random.Pick({"1,2,3", " ", ",", "abc", "7.5", "\t", "e9"});
      }
      return line;
    }
    default: {  // random bytes
      std::string line;
      const size_t len = random.Below(40);
      for (size_t i = 0; i < len; ++i)
        line += static_cast<char>(random.Below(256));
      return line;
    }
  }
}

// Files that mix valid records with text that is none: the reader must keep
// and drop exactly what the reference keeps and drops.
TEST(ReaderDifferential, MixedInputMatchesTheReference) {
  const int files = 1500 * kScale;
  int failures = 0;
  for (int i = 0; i < files && failures < 5; ++i) {
    const uint64_t seed = 50000 + static_cast<uint64_t>(i);
    Random random(seed);
    ValidFileWriter writer(random);
    const bool three = random.OneIn(3);
    std::string text;
    std::vector<ReferenceRecord> unused;
    switch (random.Below(3)) {
      case 0:  // valid text, mangled
        text = Mangle(random, writer.File(three, 12, &unused));
        break;
      default: {  // lines of records and of non-records
        if (random.OneIn(6)) text += "\xEF\xBB\xBF";
        const size_t lines = 1 + random.Below(15);
        for (size_t l = 0; l < lines; ++l) {
          text += random.OneIn(3) ? BadLine(random, writer)
                                  : writer.File(three && l > 0, 3, &unused);
          text += random.Pick({"\n", "\r\n", "\n", " \n", "\r"});
        }
        if (random.OneIn(8)) {
          text.insert(random.Below(text.size() + 1), 1, '\x1A');
        }
        if (random.OneIn(8)) {
          text.insert(random.Below(text.size() + 1), 1, '\0');
        }
        break;
      }
    }
    const std::string d =
        CompareAllBlockSizes(text, ReferenceRead(text), 1 + random.Below(300));
    if (!d.empty()) {
      ++failures;
      ReportAgainstReference(seed, text, d);
    }
  }
}

// Every short string of the bytes that matter to a value, in the place of
// the last value of a record, followed by a valid record on the next line:
// whether the value counts, what it reads as, and where reading resumes.
TEST(ReaderDifferential, EveryShortValueText) {
  static const char kAlphabet[] = "01.e-+, \n";
  const size_t letters = sizeof kAlphabet - 1;
  int failures = 0;
  std::string value;
  std::vector<size_t> digits;  // value as a number in base `letters`
  for (size_t length = 0; length <= kSweepLength && failures < 5; ++length) {
    digits.assign(length, 0);
    for (bool more = true; more && failures < 5;) {
      value.clear();
      for (size_t d : digits) value += kAlphabet[d];
      for (const char* prefix : {"1,2,", "1,2,3,4,"}) {
        const std::string text = prefix + value + "\n5,6,7,8,9\n";
        const ReferenceResult want = ReferenceRead(text);
        for (size_t blockSize : {size_t{1}, size_t{4096}}) {
          const std::string d = Difference(ReadText(text, blockSize), want);
          if (!d.empty() && failures++ < 5) {
            ADD_FAILURE() << "block size " << blockSize << ": " << d
                          << "\n  input: " << Printable(text);
          }
        }
      }
      more = false;
      for (size_t k = 0; k < length; ++k) {
        if (++digits[k] < letters) {
          more = true;
          break;
        }
        digits[k] = 0;
      }
    }
  }
}

}  // namespace
}  // namespace plotmere
