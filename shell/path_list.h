// What the run button and a drop do with the path list, apart from the
// window: the path-list buffer (gPathList, which the batch walks) is sized,
// filled and replaced here, and the text of the path edit box is built after
// a drop. The window reaches the edit box and the drop handle through the two
// small interfaces below, so all of this is tested without a window.
//
// The buffer always holds whole lines. A run copies the box's whole text,
// however long its lines are, so the batch never opens a path that lost its
// tail; a drop sizes its buffer for the box's text and every dropped name
// with its line break, so nothing is written past the buffer and no name is
// cut.
#ifndef PLOTMERE_SHELL_PATH_LIST_H_
#define PLOTMERE_SHELL_PATH_LIST_H_

#include <stddef.h>

namespace plotmere {

/// The path edit box.
class PathBox {
 public:
  virtual ~PathBox() = default;
  /// The length of the text in bytes, or more (never less).
  virtual size_t TextLength() = 0;
  /// Copies the text into `buffer`: at most `size` - 1 bytes, then a NUL.
  /// REQUIRES: `size` >= 1.
  virtual void CopyText(char* buffer, size_t size) = 0;
  /// Replaces the text.
  virtual void SetText(const char* text) = 0;
};

/// The files of one drop, in the order the drop lists them.
class DroppedFiles {
 public:
  virtual ~DroppedFiles() = default;
  virtual size_t Count() = 0;
  /// The length of the name in bytes.
  virtual size_t NameLength(size_t index) = 0;
  /// Copies the name into `buffer`: at most `size` - 1 bytes, then a NUL.
  /// REQUIRES: `size` >= 1.
  virtual void CopyName(size_t index, char* buffer, size_t size) = 0;
};

/// The batch as the run command calls it: RunBatch, or a stand-in in tests.
using BatchFunction = bool (*)(int normalize);

/// Bytes needed to hold a text of `textLength` bytes and its NUL; 0 when
/// that is more than a size_t can count.
size_t RunBufferSize(size_t textLength);

/// Bytes needed to hold a text of `textLength` bytes with every name of
/// `files` appended, each after a CR LF, and the NUL; 0 when that is more
/// than a size_t can count.
size_t DropBufferSize(size_t textLength, DroppedFiles& files);

/// Appends name `index` of `files` to the NUL-terminated `text`: after a
/// CR LF when `text` is not empty, alone when it is. `size` is the size of
/// the whole block that `text` starts. Returns false, leaving `text` as it
/// was, when the result and its NUL would not fit.
bool AppendDroppedName(char* text, size_t size, DroppedFiles& files,
                       size_t index);

/// The run command: replaces the path-list buffer by one holding the whole
/// text of `box` and calls `batch` with `normalize`. The box keeps its text,
/// and the buffer keeps whatever the batch left in it until the next run,
/// drop or ReleasePathList.
/// Returns false without calling `batch` when the command came while a run
/// was in progress (from inside one of the batch's message boxes), leaving
/// the buffer the batch walks alone; or when no buffer could be allocated,
/// after the out-of-memory message box (the old buffer is released then).
bool RunCommand(PathBox& box, int normalize, BatchFunction batch);

/// The drop: appends the names of `files` to the text of `box`, each on a
/// line of its own. The path-list buffer is replaced by one holding the new
/// text. Returns false and leaves the box unchanged when a run is in progress
/// (the buffer is untouched then) or when no buffer could be allocated (the
/// old buffer is released then).
bool DropFiles(PathBox& box, DroppedFiles& files);

/// Releases the path-list buffer, as the window does when it is destroyed.
/// While a run is in progress the batch still walks the buffer; it is then
/// released when the run returns.
void ReleasePathList();

/// True from the start of RunCommand's call of the batch to its return.
bool RunInProgress();

}  // namespace plotmere

#endif  // PLOTMERE_SHELL_PATH_LIST_H_
