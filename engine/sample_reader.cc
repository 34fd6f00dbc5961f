// The sample reader. It reads the data file through a block buffer of its
// own and parses records by hand: a formatted read per record spends nearly
// all its time on interpreting the format, and its treatment of text that is
// not a record (stop, or loop forever on it) is no use here.
//
// The stream is opened in binary mode and read the way Windows text mode
// reads it on every system: a Ctrl-Z byte ends the data, and a CR is taken
// as whitespace, which it is wherever CR LF can stand in a valid file (a CR
// before a comma fails either way).
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <charconv>
#include <string>
#include <system_error>
#include <vector>

#include "engine/sample_set.h"

namespace plotmere {

bool AllocateSampleArrays(SampleSet* set) {
  // calloc: the fresh pages of a block this size come zeroed from the
  // operating system, so asking for zeros costs nothing extra.
  const size_t n = kSampleCapacity;
  set->xs = static_cast<int32_t*>(calloc(n, sizeof(int32_t)));
  set->ys = static_cast<int32_t*>(calloc(n, sizeof(int32_t)));
  for (double*& values : set->values) {
    values = static_cast<double*>(calloc(n, sizeof(double)));
  }
  if (set->xs == nullptr || set->ys == nullptr || set->values[0] == nullptr ||
      set->values[1] == nullptr || set->values[2] == nullptr) {
    FreeSampleArrays(set);
    return false;
  }
  return true;
}

void FreeSampleArrays(SampleSet* set) {
  free(set->xs);
  free(set->ys);
  set->xs = nullptr;
  set->ys = nullptr;
  for (double*& values : set->values) {
    free(values);
    values = nullptr;
  }
}

void ResetForFile(SampleSet* set, FILE* file) {
  set->file = file;
  set->width = 0;
  set->height = 0;
  set->minX = 0;
  set->minY = 0;
  set->minValue = 0;
  set->droppedLines = 0;
  set->firstDroppedLine = 0;
  set->moreRecords = false;
}

int32_t TruncateToInt32(double v) {
  if (v >= 2147483648.0) return INT32_MAX;
  if (v <= -2147483649.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}

namespace {

constexpr char kCtrlZ = 0x1A;
constexpr size_t kDefaultBlockSize = 1 << 20;

bool ReadFailed(FILE* file) { return ferror(file) != 0; }

}  // namespace

bool ChooseMode(SampleSet* set) {
  FILE* file = set->file;
  int commas = 0;
  char block[16 * 1024];
  bool lineDone = false;
  while (!lineDone) {
    const size_t n = fread(block, 1, sizeof block, file);
    if (n == 0) break;
    for (size_t i = 0; i < n; ++i) {
      const char c = block[i];
      if (c == ',') {
        ++commas;
      } else if (c == '\n' || c == kCtrlZ) {
        lineDone = true;
        break;
      }
    }
  }
  if (ReadFailed(file)) return false;
  set->threeChannel = commas > 2;
  return fseek(file, 0, SEEK_SET) == 0;
}

namespace {

inline bool IsSpace(char c) {
  // The C locale's whitespace: blank, \t, \n, \v, \f, \r.
  return c == ' ' || (c >= '\t' && c <= '\r');
}

inline bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

inline uint32_t DigitValue(char c) {
  return static_cast<uint32_t>(static_cast<unsigned char>(c)) - '0';
}

// Appends the decimal digits at p to *number and returns the position after
// them. Too many digits wrap the number around; callers count the digits and
// refuse such numbers.
template <typename Number>
inline const char* AddDigits(const char* p, Number* number) {
  Number n = *number;
  for (uint32_t d; (d = DigitValue(*p)) < 10; ++p) n = n * 10 + d;
  *number = n;
  return p;
}

// Powers of ten that a double holds exactly.
constexpr double kExactPowersOfTen[] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common case of an unsigned decimal at p, without a library call: at
// most 19 significant digits making at most 2^53, and a power of ten up to
// 22. Both are then exact doubles, and one multiplication or division
// rounds the value correctly (with SSE2 arithmetic, never the x87's 80
// bits). Returns the end of the number, or null when the number is not of
// that kind and the general routine must read it.
// REQUIRES: p starts with a digit, or a point and a digit.
inline const char* ParseShortDecimal(const char* p, double* value) {
  while (*p == '0') ++p;  // leading zeros change nothing
  uint64_t mantissa = 0;
  const char* const first = p;
  p = AddDigits(p, &mantissa);
  // Digits in the mantissa, counted by position: a zero after the first
  // non-zero digit counts too (20 digits may wrap around to exactly 0, as
  // 2^64 does). Zeros leading a fraction count as well, which only sends a
  // few more numbers the general way.
  ptrdiff_t digits = p - first;
  ptrdiff_t exponent = 0;  // power of ten to apply to the mantissa
  if (*p == '.') {
    const char* const fraction = ++p;
    p = AddDigits(p, &mantissa);
    exponent = fraction - p;
    digits -= exponent;
  }
  if (digits > 19) return nullptr;  // the mantissa may have wrapped around
  if ((*p | 0x20) == 'e') {
    // An exponent only when digits follow; else the number ends at the e.
    const char* q = p + 1;
    const bool negative = *q == '-';
    if (*q == '-' || *q == '+') ++q;
    if (IsDigit(*q)) {
      int e = 0;
      for (; IsDigit(*q); ++q) {
        if (e < 100000) e = e * 10 + (*q - '0');
      }
      exponent += negative ? -e : e;
      p = q;
    }
  }
  if (mantissa > (uint64_t{1} << 53) || exponent < -22 || exponent > 22) {
    return nullptr;
  }
  const double m = static_cast<double>(mantissa);
  *value = exponent >= 0 ? m * kExactPowersOfTen[exponent]
                         : m / kExactPowersOfTen[-exponent];
  return p;
}

// The numbers of one record.
struct Fields {
  int32_t x = 0, y = 0;
  double v[3] = {0, 0, 0};
};

// x or y of a line of the common shape (see ParseCommonLine) with its
// comma. Returns the position after the comma, or null.
inline const char* ParseCommonCoordinate(const char* p, int32_t* out) {
  const uint32_t negative = *p == '-';
  p += negative;
  const char* const first = p;
  uint32_t magnitude = 0;  // may wrap past 9 digits, which are refused
  for (uint32_t d; (d = DigitValue(*p)) < 10; ++p) {
    magnitude = magnitude * 10 + d;
  }
  if (p == first || p - first > 9 || *p != ',') return nullptr;
  // Negated when negative, without a branch.
  *out = static_cast<int32_t>((magnitude ^ (0 - negative)) + negative);
  return p + 1;
}

// The common shape of a line, read in one go: "x,y,value" (or five
// numbers) with each number right after the line start or its comma, "-"
// as the only sign, x and y of at most 9 digits, values of digits then
// optionally a point and more digits, at most 19 digits, no exponent; and
// the line ending in LF or CR LF right after the last number. Every such
// line is a record, read exactly as ParseRecord reads it: x and y are in
// range, and a value of at most 2^53 comes out of the same mantissa and
// power of ten as in ParseShortDecimal, by the same single rounding step.
// Returns the start of the next line, or null when the line at p is of any
// other shape (or runs into the end of the buffer) and the general parser
// must read it. The scans stop at the buffer's NUL end mark at the latest.
// Its digit loops are written out rather than calling AddDigits: through the
// helper, colour lines read 2-3% slower with GCC 12.
template <int kValueCount>
inline const char* ParseCommonLine(const char* p, Fields* fields) {
  p = ParseCommonCoordinate(p, &fields->x);
  if (p == nullptr) return nullptr;
  p = ParseCommonCoordinate(p, &fields->y);
  if (p == nullptr) return nullptr;

  for (int c = 0; c < kValueCount; ++c) {
    const uint64_t negative = *p == '-';
    p += negative;
    const char* const first = p;
    uint64_t mantissa = 0;  // may wrap past 19 digits, which are refused
    for (uint32_t d; (d = DigitValue(*p)) < 10; ++p) {
      mantissa = mantissa * 10 + d;
    }
    if (p == first) return nullptr;
    ptrdiff_t digits = p - first;
    ptrdiff_t fraction = 0;
    if (*p == '.') {
      const char* const point = p++;
      for (uint32_t d; (d = DigitValue(*p)) < 10; ++p) {
        mantissa = mantissa * 10 + d;
      }
      fraction = p - point - 1;
      digits += fraction;
    }
    if (digits > 19 || mantissa > (uint64_t{1} << 53)) return nullptr;
    // The sign goes onto the integer, without a branch: signs that vary at
    // random from line to line would defeat the branch predictor. The
    // division rounds alike on both sides of zero, so (-m) / p is -(m / p);
    // only a zero needs its sign put back, as -0.
    const int64_t signedMantissa =
        static_cast<int64_t>((mantissa ^ (0 - negative)) + negative);
    double value =
        static_cast<double>(signedMantissa) / kExactPowersOfTen[fraction];
    if (mantissa == 0 && negative != 0) value = -0.0;
    fields->v[c] = value;
    if (c + 1 < kValueCount) {
      if (*p != ',') return nullptr;
      ++p;
    }
  }
  if (*p == '\n') return p + 1;
  if (*p == '\r' && p[1] == '\n') return p + 2;
  return nullptr;
}

// Any unsigned decimal at p, rounded to the nearest double. Returns the end
// of the number, or null when there is none.
const char* ParseLongDecimal(const char* p, const char* end, double* value) {
  std::from_chars_result r =
      std::from_chars(p, end, *value, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: the C library gives infinity or
    // the nearest value toward zero, and so do we.
    const std::string digits(p, r.ptr);
    *value = strtod(digits.c_str(), nullptr);
  } else if (r.ec != std::errc()) {
    return nullptr;
  }
  return r.ptr;
}

// Parses the records of one file out of a block buffer. The buffer always
// holds a NUL byte just past its data, so scans stop there without a bounds
// test of their own; whether a stop at that NUL is the end of the data or
// the end of a block is decided afterwards.
class RecordParser {
 public:
  RecordParser(SampleSet* set, size_t blockSize)
      : set_(set), file_(set->file), blockSize_(blockSize) {
    buffer_.resize(blockSize_ + 1);
    buffer_[0] = '\0';
  }

  bool Run();

 private:
  enum class Step { kRecord, kBad, kEnd, kNeedMore };

  // Any decision made this close to the end of the data in the buffer waits
  // for the next block while there is one: a number's last character, or
  // the "e" of an exponent, may stand in it.
  static constexpr size_t kLookahead = 64;

  template <int kValueCount>
  Step ParseRecord(const char* p, const char** next, Fields* fields);
  template <int kValueCount>
  void ReadRecords();
  bool Refill(size_t keepFrom);
  bool SkipToNextLine();
  void NoteDropped(const char* at);
  int64_t LineOfOffset(int64_t offset);

  const char* Begin() const { return buffer_.data(); }
  const char* End() const { return buffer_.data() + end_; }

  SampleSet* set_;
  FILE* file_;
  size_t blockSize_;
  std::vector<char> buffer_;
  size_t pos_ = 0;  // start of the unparsed data in the buffer
  size_t end_ = 0;  // end of the data in the buffer
  int64_t bufferOffset_ = 0;  // file offset of buffer_[0]
  bool eof_ = false;          // nothing more comes from the file
  bool failed_ = false;       // the stream reported a read error
  int64_t firstDropOffset_ = -1;
};

// Reads more of the file into the buffer, keeping the bytes from `keepFrom`
// on (moved to the front). Returns false when nothing more could be had:
// the end of the data, or a read error.
bool RecordParser::Refill(size_t keepFrom) {
  if (eof_) return false;
  if (keepFrom > 0) {
    memmove(buffer_.data(), buffer_.data() + keepFrom, end_ - keepFrom);
    end_ -= keepFrom;
    pos_ -= keepFrom;
    bufferOffset_ += static_cast<int64_t>(keepFrom);
  }
  if (buffer_.size() - 1 - end_ < blockSize_) {
    // What must be kept fills the buffer: a record longer than a block.
    buffer_.resize(end_ + blockSize_ + 1);
  }
  const size_t n = fread(buffer_.data() + end_, 1, blockSize_, file_);
  if (n == 0) {
    eof_ = true;
    failed_ = ReadFailed(file_);
    buffer_[end_] = '\0';
    return false;
  }
  char* fresh = buffer_.data() + end_;
  if (char* stop = static_cast<char*>(memchr(fresh, kCtrlZ, n))) {
    end_ += static_cast<size_t>(stop - fresh);
    eof_ = true;
  } else {
    end_ += n;
  }
  buffer_[end_] = '\0';
  return true;
}

// Scans x, y and the values of one record starting at p. On kRecord the
// numbers are in *fields and *next is just past the last number; on kBad
// *next is where the record went wrong. kNeedMore: the record runs into the
// end of the buffer and more data may follow. kEnd: only whitespace was left.
template <int kValueCount>
inline RecordParser::Step RecordParser::ParseRecord(const char* p,
                                                    const char** next,
                                                    Fields* fields) {
  const char* const end = End();
  // Whether a stop at q may only be the end of what the buffer holds.
  auto tooNearEnd = [&](const char* q) {
    return !eof_ && static_cast<size_t>(end - q) < kLookahead;
  };
  auto bad = [&](const char* q) {
    *next = q;
    return tooNearEnd(q) ? Step::kNeedMore : Step::kBad;
  };

  while (IsSpace(*p)) ++p;
  if (p == end) {
    *next = p;
    return eof_ ? Step::kEnd : Step::kNeedMore;
  }

  // x and y: an optional sign and decimal digits, within 32 bits.
  int32_t* coordinate[2] = {&fields->x, &fields->y};
  for (int32_t* out : coordinate) {
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (!IsDigit(*p)) return bad(p);
    while (*p == '0') ++p;  // leading zeros change nothing
    const char* const first = p;
    uint64_t magnitude = 0;
    p = AddDigits(p, &magnitude);
    // Ten digits cannot wrap 64 bits; more are out of range anyway.
    const uint64_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
    if (p - first > 10 || magnitude > limit) return bad(p);
    *out = negative ? static_cast<int32_t>(0 - magnitude)
                    : static_cast<int32_t>(magnitude);
    if (*p != ',') return bad(p);
    ++p;
    while (IsSpace(*p)) ++p;
  }

  // The values: an optional sign, then digits with an optional fraction, or
  // a fraction alone, and an optional exponent. Not "inf", "nan" or hex.
  for (int c = 0; c < kValueCount; ++c) {
    if (c > 0) {
      if (*p != ',') return bad(p);
      ++p;
      while (IsSpace(*p)) ++p;
    }
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (!IsDigit(*p) && !(*p == '.' && IsDigit(p[1]))) return bad(p);
    double value = 0;
    const char* after = ParseShortDecimal(p, &value);
    if (after == nullptr) {
      after = ParseLongDecimal(p, end, &value);
      if (after == nullptr) return bad(p);
    }
    p = after;
    fields->v[c] = negative ? -value : value;
  }
  // A NUL byte of the data is no end: only the one past the buffer's data.
  if (p != end && !IsSpace(*p)) return bad(p);
  *next = p;
  return p == end && !eof_ ? Step::kNeedMore : Step::kRecord;
}

void RecordParser::NoteDropped(const char* at) {
  if (set_->droppedLines++ == 0) {
    firstDropOffset_ = bufferOffset_ + (at - Begin());
  }
}

// Moves past the next line feed, reading on as far as it takes. Returns
// false when the data ended first.
bool RecordParser::SkipToNextLine() {
  for (;;) {
    const char* from = Begin() + pos_;
    const void* lf = memchr(from, '\n', end_ - pos_);
    if (lf != nullptr) {
      pos_ = static_cast<size_t>(static_cast<const char*>(lf) - Begin()) + 1;
      return true;
    }
    pos_ = end_;
    if (!Refill(pos_)) return false;
  }
}

// The line of a file offset, counted afresh from the start of the file. It
// is needed only for the first dropped line, so the clean path pays nothing.
int64_t RecordParser::LineOfOffset(int64_t offset) {
  if (fseek(file_, 0, SEEK_SET) != 0) return 0;
  int64_t line = 1;
  int64_t done = 0;
  std::vector<char> block(size_t{64} * 1024);
  while (done < offset) {
    const size_t want = static_cast<size_t>(
        std::min<int64_t>(offset - done, static_cast<int64_t>(block.size())));
    const size_t n = fread(block.data(), 1, want, file_);
    if (n == 0) break;
    for (size_t i = 0; i < n; ++i) line += block[i] == '\n';
    done += static_cast<int64_t>(n);
  }
  return line;
}

template <int kValueCount>
void RecordParser::ReadRecords() {
  SampleSet* set = set_;
  int32_t* xs = set->xs;
  int32_t* ys = set->ys;
  double* v0 = set->values[0];
  double* v1 = set->values[1];
  double* v2 = set->values[2];
  int32_t width = set->width, height = set->height;
  int32_t minX = set->minX, minY = set->minY;
  int32_t minValue = set->minValue, maxValue = set->maxValue;
  int32_t i = 0;
  Fields fields;

  auto keep = [&] {
    const int32_t x = fields.x, y = fields.y;
    const double v = fields.v[0];
    xs[i] = x;
    ys[i] = y;
    v0[i] = v;
    if (kValueCount == 3) {
      v1[i] = fields.v[1];
      v2[i] = fields.v[2];
    }
    // Both bounds start at 0, so a value above the largest so far can never
    // be below the smallest.
    if (x > width) {
      width = x;
    } else if (x < minX) {
      minX = x;
    }
    if (y > height) {
      height = y;
    } else if (y < minY) {
      minY = y;
    }
    // Compared as doubles against the integer fields, exactly.
    if (minValue > v) minValue = TruncateToInt32(v);
    if (i == 0 || maxValue < v) maxValue = TruncateToInt32(v);
    ++i;
  };

  while (i < kSampleCapacity) {
    // Lines of the common shape first; the general parser takes the line
    // where they stop.
    {
      const char* p = Begin() + pos_;
      while (i < kSampleCapacity) {
        const char* const next = ParseCommonLine<kValueCount>(p, &fields);
        if (next == nullptr) break;
        p = next;
        keep();
      }
      pos_ = static_cast<size_t>(p - Begin());
      if (i == kSampleCapacity) break;
    }

    const char* next = nullptr;
    const char* const p = Begin() + pos_;
    const Step step = ParseRecord<kValueCount>(p, &next, &fields);
    if (step == Step::kNeedMore) {
      // Keep the record from its start; every byte before it is done with.
      if (!Refill(pos_)) {
        if (failed_) break;
      }
      continue;
    }
    if (step == Step::kEnd) break;
    if (step == Step::kBad) {
      // The drop is told at the line where its record began.
      const char* start = Begin() + pos_;
      while (IsSpace(*start)) ++start;
      NoteDropped(start);
      pos_ = static_cast<size_t>(next - Begin());
      if (!SkipToNextLine()) break;
      continue;
    }
    // On to the next number, where a line of the common shape may begin.
    while (IsSpace(*next)) ++next;
    pos_ = static_cast<size_t>(next - Begin());
    keep();
  }
  // The largest x and y so far, until Run turns them into the size.
  set->width = width;
  set->height = height;
  set->minX = minX;
  set->minY = minY;
  set->minValue = minValue;
  set->maxValue = maxValue;
  set->count = i;
}

bool RecordParser::Run() {
  SampleSet* set = set_;
  Refill(0);
  // A UTF-8 byte-order mark is not part of the data.
  while (!eof_ && end_ < 3) {
    if (!Refill(0)) break;
  }
  if (end_ >= 3 && memcmp(Begin(), "\xEF\xBB\xBF", 3) == 0) pos_ = 3;

  if (set->threeChannel) {
    ReadRecords<3>();
  } else {
    ReadRecords<1>();
  }
  const int32_t i = set->count;

  if (i == kSampleCapacity && !failed_) {
    // Anything but whitespace after the last record read means records
    // were left unread.
    for (;;) {
      const char* p = Begin() + pos_;
      while (IsSpace(*p)) ++p;
      pos_ = static_cast<size_t>(p - Begin());
      if (pos_ < end_) {
        set->moreRecords = true;
        break;
      }
      if (!Refill(pos_)) break;
    }
  }

  // The picture spans largest + 1 - smallest; a span beyond 32 bits
  // saturates, and the size check refuses it.
  auto span = [](int32_t largest, int32_t smallest) {
    const int64_t s = static_cast<int64_t>(largest) + 1 - smallest;
    return s > INT32_MAX ? INT32_MAX : static_cast<int32_t>(s);
  };
  set->width = span(set->width, set->minX);
  set->height = span(set->height, set->minY);
  if (failed_) return false;
  if (firstDropOffset_ >= 0) {
    set->firstDroppedLine = LineOfOffset(firstDropOffset_);
  }
  return true;
}

}  // namespace

bool ReadSamples(SampleSet* set) {
  return ReadSamples(set, kDefaultBlockSize);
}

bool ReadSamples(SampleSet* set, size_t blockSize) {
  RecordParser parser(set, blockSize == 0 ? 1 : blockSize);
  return parser.Run();
}

}  // namespace plotmere
