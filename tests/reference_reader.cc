// The reference reading of a data file: slow and plain on purpose. Each
// number is first delimited by the grammar of the data file, then copied out
// and converted by the C library, which is the authority on its value.
#include "reference_reader.h"

#include <errno.h>
#include <math.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <bit>

namespace plotmere {
namespace testing {

namespace {

// The C locale's whitespace. A CR is a blank like any other: CR LF then
// reads as LF.
bool IsBlank(char c) {
  return c != '\0' && strchr(" \t\n\v\f\r", c) != nullptr;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Walks the data of one file. `pos` is the next byte to look at; after a
// failed Read* it is the byte where the record went wrong.
class Scanner {
 public:
  explicit Scanner(const std::string& data) : data_(data) {}

  size_t pos = 0;

  bool AtEnd() const { return pos >= data_.size(); }
  char Peek() const { return AtEnd() ? '\0' : data_[pos]; }

  void SkipBlanks() {
    while (!AtEnd() && IsBlank(data_[pos])) ++pos;
  }

  bool Expect(char c) {
    if (AtEnd() || data_[pos] != c) return false;
    ++pos;
    return true;
  }

  // [+-]digits, within 32 bits.
  bool ReadInt(int32_t* out) {
    size_t i = pos;
    if (i < data_.size() && (data_[i] == '+' || data_[i] == '-')) ++i;
    const size_t digitsStart = i;
    while (i < data_.size() && IsDigit(data_[i])) ++i;
    if (i == digitsStart) {
      pos = i;
      return false;
    }
    const std::string token = data_.substr(pos, i - pos);
    char* end = nullptr;
    errno = 0;
    const long long v = strtoll(token.c_str(), &end, 10);
    CheckWholeToken(token, end);
    pos = i;
    if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
    *out = static_cast<int32_t>(v);
    return true;
  }

  // [+-] (digits [. digits*] | . digits) [(e|E) [+-] digits]. An "e" that
  // no digit follows is not part of the number.
  bool ReadValue(double* out) {
    size_t i = pos;
    if (i < data_.size() && (data_[i] == '+' || data_[i] == '-')) ++i;
    size_t mantissaDigits = 0;
    while (i < data_.size() && IsDigit(data_[i])) ++i, ++mantissaDigits;
    if (i < data_.size() && data_[i] == '.') {
      ++i;
      while (i < data_.size() && IsDigit(data_[i])) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return false;  // pos stays at the bad token
    if (i < data_.size() && (data_[i] == 'e' || data_[i] == 'E')) {
      size_t j = i + 1;
      if (j < data_.size() && (data_[j] == '+' || data_[j] == '-')) ++j;
      if (j < data_.size() && IsDigit(data_[j])) {
        while (j < data_.size() && IsDigit(data_[j])) ++j;
        i = j;
      }
    }
    const std::string token = data_.substr(pos, i - pos);
    char* end = nullptr;
    // Out of range gives infinity or a tiny value (maybe 0) with ERANGE;
    // both are the value of the token.
    *out = strtod(token.c_str(), &end);
    CheckWholeToken(token, end);
    pos = i;
    return true;
  }

 private:
  // The grammar above and the C library must agree on where a number ends;
  // if they do not, this reference is wrong and nothing it says is worth
  // comparing with.
  static void CheckWholeToken(const std::string& token, const char* end) {
    if (end != token.c_str() + token.size()) {
      fprintf(stderr,
              "reference reader: the C library reads \"%s\" as only \"%.*s\"\n",
              token.c_str(), static_cast<int>(end - token.c_str()),
              token.c_str());
      abort();
    }
  }

  const std::string& data_;
};

// Reads one record at s.pos. On success s.pos is just past it; on failure
// s.pos is where it went wrong.
bool ReadRecord(Scanner& s, bool three, ReferenceRecord* r) {
  s.SkipBlanks();
  if (!s.ReadInt(&r->x) || !s.Expect(',')) return false;
  s.SkipBlanks();
  if (!s.ReadInt(&r->y) || !s.Expect(',')) return false;
  const int valueCount = three ? 3 : 1;
  for (int c = 0; c < valueCount; ++c) {
    if (c > 0 && !s.Expect(',')) return false;
    s.SkipBlanks();
    if (!s.ReadValue(&r->values[c])) return false;
  }
  return s.AtEnd() || IsBlank(s.Peek());
}

int32_t Span(int64_t largest, int64_t smallest) {
  return static_cast<int32_t>(
      std::min<int64_t>(largest + 1 - smallest, INT32_MAX));
}

}  // namespace

int32_t ReferenceTruncate(double v) {
  const double t = trunc(v);
  if (t >= 2147483647.0) return INT32_MAX;
  if (t <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(t);
}

std::string Hexfloat(double v) {
  char text[64];
  snprintf(text, sizeof text, "%a", v);
  return text;
}

bool SameBits(double a, double b) {
  return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

std::string DifferenceFromReference(const SampleSet& set,
                                    const ReferenceResult& want) {
  if (set.threeChannel != want.threeChannel) {
    return std::string(set.threeChannel ? "three channels" : "single value") +
           ", expected the other mode";
  }
  const size_t common = std::min(static_cast<size_t>(std::max(set.count, 0)),
                                 want.records.size());
  const int channels = want.threeChannel ? 3 : 1;
  for (size_t i = 0; i < common; ++i) {
    const ReferenceRecord& r = want.records[i];
    const std::string at = "record " + std::to_string(i) + ": ";
    if (set.xs[i] != r.x || set.ys[i] != r.y) {
      return at + "x,y " + std::to_string(set.xs[i]) + "," +
             std::to_string(set.ys[i]) + ", expected " + std::to_string(r.x) +
             "," + std::to_string(r.y);
    }
    for (int c = 0; c < channels; ++c) {
      if (!SameBits(set.values[c][i], r.values[c])) {
        return at + "value " + std::to_string(c) + " " +
               Hexfloat(set.values[c][i]) + ", expected " +
               Hexfloat(r.values[c]);
      }
    }
  }
  const struct {
    const char* name;
    int64_t got, expected;
    bool compared;
  } kFields[] = {
      {"count", set.count, static_cast<int64_t>(want.records.size()), true},
      {"droppedLines", set.droppedLines, want.droppedLines, true},
      {"firstDroppedLine", set.firstDroppedLine, want.firstDroppedLine, true},
      {"width", set.width, want.width, true},
      {"height", set.height, want.height, true},
      {"minX", set.minX, want.minX, true},
      {"minY", set.minY, want.minY, true},
      {"minValue", set.minValue, want.minValue, true},
      {"maxValue", set.maxValue, want.maxValue, !want.records.empty()},
      {"moreRecords", set.moreRecords, 0, true},
  };
  for (const auto& f : kFields) {
    if (f.compared && f.got != f.expected) {
      return std::string(f.name) + " " + std::to_string(f.got) + ", expected " +
             std::to_string(f.expected);
    }
  }
  return "";
}

ReferenceResult ReferenceRead(const std::string& bytes) {
  ReferenceResult result;
  // Ctrl-Z ends the data.
  const std::string data = bytes.substr(0, bytes.find('\x1A'));

  // The mode: more than two commas on the first line, line feed included.
  const size_t firstLf = data.find('\n');
  const std::string firstLine =
      firstLf == std::string::npos ? data : data.substr(0, firstLf + 1);
  result.threeChannel = std::count(firstLine.begin(), firstLine.end(), ',') > 2;

  Scanner s(data);
  if (data.compare(0, 3, "\xEF\xBB\xBF") == 0) s.pos = 3;
  for (;;) {
    s.SkipBlanks();
    if (s.AtEnd()) break;
    const size_t start = s.pos;
    ReferenceRecord record;
    if (ReadRecord(s, result.threeChannel, &record)) {
      result.records.push_back(record);
      continue;
    }
    if (result.droppedLines++ == 0) {
      result.firstDroppedLine =
          1 + std::count(data.begin(),
                         data.begin() + static_cast<ptrdiff_t>(start), '\n');
    }
    const size_t lf = data.find('\n', s.pos);
    if (lf == std::string::npos) break;
    s.pos = lf + 1;
  }

  int64_t maxX = 0, minX = 0, maxY = 0, minY = 0;
  for (const ReferenceRecord& r : result.records) {
    maxX = std::max<int64_t>(maxX, r.x);
    minX = std::min<int64_t>(minX, r.x);
    maxY = std::max<int64_t>(maxY, r.y);
    minY = std::min<int64_t>(minY, r.y);
  }
  result.width = Span(maxX, minX);
  result.height = Span(maxY, minY);
  result.minX = static_cast<int32_t>(minX);
  result.minY = static_cast<int32_t>(minY);
  if (!result.records.empty()) {
    double smallest = result.records[0].values[0];
    double largest = smallest;
    for (const ReferenceRecord& r : result.records) {
      smallest = std::min(smallest, r.values[0]);
      largest = std::max(largest, r.values[0]);
    }
    result.minValue = std::min(0, ReferenceTruncate(smallest));
    result.maxValue = ReferenceTruncate(largest);
  }
  return result;
}

}  // namespace testing
}  // namespace plotmere
