// The batch: every data file of the path list in turn becomes a BMP picture
// beside it, named after it with ".bmp" added (run1.csv gives run1.csv.bmp).
//
// A file that cannot be read, a picture wider or higher than 4096 pixels, or
// memory that cannot be had ends the batch with a message box; the pictures
// written before stay written. An existing picture is replaced only after
// the user said Yes, and only once the new one is complete: a failed write
// leaves the old file as it was, says so, and the batch goes on.
#ifndef PLOTMERE_ENGINE_BATCH_RUN_H_
#define PLOTMERE_ENGINE_BATCH_RUN_H_

#include <string>

#include "engine/sample_set.h"
#include "platform/platform.h"

namespace plotmere {

/// The path-list buffer: a NUL-terminated list of data-file paths, one a
/// line, lines separated by CR LF (as a multi-line edit box gives them). The
/// front end owns it and fills it before RunBatch; RunBatch turns its CR
/// bytes into NUL bytes in place. The front end must keep it allocated and
/// unchanged until RunBatch returns.
extern char* gPathList;

/// What a front end may want to know besides the message boxes.
class BatchListener {
 public:
  enum class Outcome { kWritten, kKept, kWriteFailed };
  virtual ~BatchListener() = default;
  /// A data file is about to be opened.
  virtual void FileStarted(const char* path) { (void)path; }
  /// The data file was read; `set` holds its bounds and the reader's notes.
  virtual void FileRead(const char* path, const SampleSet& set) {
    (void)path;
    (void)set;
  }
  /// What became of the picture (not called when the batch stops first).
  virtual void PictureDone(const std::string& outputName, Outcome outcome) {
    (void)outputName;
    (void)outcome;
  }
};

/// Converts every file of the path list in gPathList (null: an empty list).
/// Empty lines are skipped; blanks belong to the path. `normalize` is 1 to
/// scale each single-value file's range onto 0 ... 255.
/// Returns true when the end of the list was reached (pictures written or
/// kept on No, or not writable after their message), false when the batch
/// stopped on an error after its message. The sample arrays are released
/// on every way out. A call made while a batch runs (from inside one of its
/// message boxes) does nothing and returns false.
bool RunBatch(int normalize);
bool RunBatch(int normalize, BatchListener* listener);

/// True while RunBatch runs.
bool BatchIsRunning();

/// Renders the file that `set` holds (after ReadSamples) and saves it under
/// `outputName`, asking first when that name exists. Returns false only when
/// the batch must stop (picture too large, no memory), after its message.
bool RenderAndSave(SampleSet* set, const char* outputName, int normalize,
                   BatchListener* listener = nullptr);

/// The picture's name: the data file's path followed by ".bmp".
std::string OutputNameFor(const char* path);

/// "<outputName>が存在します。上書きしますか？" in the platform's charset.
std::string OverwriteQuestion(const std::string& outputName,
                              const EngineTexts& texts);

/// "<outputName>に書き込めません。" in the platform's charset.
std::string CannotWriteMessage(const std::string& outputName,
                               const EngineTexts& texts);

}  // namespace plotmere

#endif  // PLOTMERE_ENGINE_BATCH_RUN_H_
