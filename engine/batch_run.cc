// The batch run: walks the path list, reads each data file, and renders and
// saves its picture.
#include "engine/batch_run.h"

#include <stdio.h>
#include <string.h>

#include <memory>

#include "engine/raster_fill.h"
#include "engine/raster_image.h"

namespace plotmere {

char* gPathList = nullptr;

namespace {

bool gBatchRunning = false;

// Releases the sample arrays however the batch is left.
class SampleArraysOwner {
 public:
  explicit SampleArraysOwner(SampleSet* set) : set_(set) {}
  ~SampleArraysOwner() { FreeSampleArrays(set_); }
  SampleArraysOwner(const SampleArraysOwner&) = delete;
  SampleArraysOwner& operator=(const SampleArraysOwner&) = delete;

 private:
  SampleSet* set_;
};

class RunningFlag {
 public:
  RunningFlag() { gBatchRunning = true; }
  ~RunningFlag() { gBatchRunning = false; }
  RunningFlag(const RunningFlag&) = delete;
  RunningFlag& operator=(const RunningFlag&) = delete;
};

void ShowError(const char* text) {
  Platform& platform = CurrentPlatform();
  platform.ShowMessage(text, platform.Texts().errorCaption,
                       MessageButtons::kOk);
}

// A name in the folder of `outputName` that nothing has yet, for the new
// picture to be written under before it replaces the old one. It is kept
// shorter than the picture's own name (which is at least "x.bmp"), so that
// a name the system takes for the picture it takes for this one too.
std::string TemporaryNameFor(const std::string& outputName) {
  Platform& platform = CurrentPlatform();
  const std::string folder =
      outputName.substr(0, platform.FileNameOffset(outputName));
  std::string name;
  int n = 0;
  do {
    name = folder + "~pm" + std::to_string(n++);
  } while (platform.PathExists(name.c_str()));
  return name;
}

// Writes the picture completely beside `outputName` and only then moves it
// over that name, so that a failed write never costs the user the file that
// was there. Returns false, with nothing changed, on any failure.
bool SavePicture(const RasterImage& image, const std::string& outputName) {
  const std::string temporary = TemporaryNameFor(outputName);
  if (WriteBmpFile(temporary.c_str(), image) &&
      CurrentPlatform().MoveOver(temporary.c_str(), outputName.c_str())) {
    return true;
  }
  remove(temporary.c_str());
  return false;
}

// Opens, reads and closes one data file. Returns false (the file could not
// be opened or read) when the batch must stop.
bool ReadDataFile(const char* path, SampleSet* set) {
  // Binary mode: the reader does what Windows text mode does (CR LF as LF,
  // Ctrl-Z as the end) itself, the same way on every system.
  FILE* file = fopen(path, "rb");
  if (file == nullptr) return false;
  ResetForFile(set, file);
  // A directory opens on some systems but cannot be read; the read error
  // lands here like any other.
  const bool ok = ChooseMode(set) && ReadSamples(set);
  fclose(file);
  set->file = nullptr;
  return ok;
}

}  // namespace

std::string OutputNameFor(const char* path) {
  return std::string(path) + ".bmp";
}

std::string OverwriteQuestion(const std::string& outputName,
                              const EngineTexts& texts) {
  return outputName + texts.existsSuffix;
}

std::string CannotWriteMessage(const std::string& outputName,
                               const EngineTexts& texts) {
  return outputName + texts.cannotWriteSuffix;
}

bool BatchIsRunning() { return gBatchRunning; }

bool RenderAndSave(SampleSet* set, const char* outputName, int normalize,
                   BatchListener* listener) {
  Platform& platform = CurrentPlatform();
  const EngineTexts& texts = platform.Texts();
  if (set->width > kMaxPictureSide || set->height > kMaxPictureSide) {
    ShowError(texts.tooLarge);
    return false;
  }
  std::unique_ptr<RasterImage> image =
      CreateRasterImage(set->width, set->height);
  if (!image) {
    ShowError(texts.outOfMemory);
    return false;
  }
  set->image = image.get();
  if (set->count >= 1) FillRaster(set, normalize != 0);
  set->image = nullptr;

  BatchListener::Outcome outcome = BatchListener::Outcome::kWritten;
  const std::string name(outputName);
  if (platform.PathExists(outputName) &&
      platform.ShowMessage(OverwriteQuestion(name, texts),
                           texts.confirmCaption, MessageButtons::kYesNo) !=
          MessageAnswer::kYes) {
    outcome = BatchListener::Outcome::kKept;
  } else if (!SavePicture(*image, name)) {
    outcome = BatchListener::Outcome::kWriteFailed;
    platform.ShowMessage(CannotWriteMessage(name, texts), texts.errorCaption,
                         MessageButtons::kOk);
  }
  if (listener != nullptr) listener->PictureDone(name, outcome);
  return true;
}

bool RunBatch(int normalize) { return RunBatch(normalize, nullptr); }

bool RunBatch(int normalize, BatchListener* listener) {
  if (gBatchRunning) return false;
  RunningFlag running;

  // The list is taken once; the front end keeps it unchanged meanwhile.
  char* list = gPathList;
  const size_t len = list != nullptr ? strlen(list) : 0;
  for (size_t i = 0; i < len; ++i) {
    if (list[i] == '\r') list[i] = '\0';
  }
  // Each line now ends in a NUL, followed by the LF of its line break.
  auto skipLineEnds = [&](size_t pos) {
    while (pos < len && (list[pos] == '\0' || list[pos] == '\n')) ++pos;
    return pos;
  };
  size_t pos = skipLineEnds(0);

  SampleSet set;
  SampleArraysOwner owner(&set);
  const EngineTexts& texts = CurrentPlatform().Texts();
  if (!AllocateSampleArrays(&set)) {
    ShowError(texts.outOfMemory);
    return false;
  }

  while (pos < len) {
    const char* path = list + pos;
    const size_t pathLength = strnlen(path, len - pos);
    if (listener != nullptr) listener->FileStarted(path);
    if (!ReadDataFile(path, &set)) {
      ShowError(texts.cannotOpen);
      return false;
    }
    if (listener != nullptr) listener->FileRead(path, set);
    const std::string outputName = OutputNameFor(path);
    if (!RenderAndSave(&set, outputName.c_str(), normalize, listener)) {
      return false;
    }
    pos = skipLineEnds(pos + pathLength);
  }
  return true;
}

}  // namespace plotmere
