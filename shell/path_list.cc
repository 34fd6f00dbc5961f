// The path-list buffer between the path edit box and the batch.
#include "shell/path_list.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "engine/batch_run.h"
#include "platform/platform.h"

namespace plotmere {
namespace {

bool gRunInProgress = false;
// The window was destroyed during a run: the buffer goes when the run ends.
bool gReleaseAfterRun = false;

// Frees the buffer that is there and allocates a zero-filled one of `size`
// bytes in its place. Returns false, with no buffer left, when `size` is 0
// (too large to count) or the memory cannot be had.
bool ReplaceBuffer(size_t size) {
  free(gPathList);
  gPathList = nullptr;
  if (size == 0) return false;
  gPathList = static_cast<char*>(calloc(size, 1));
  return gPathList != nullptr;
}

// a + b, or false when a size_t cannot hold it.
bool AddSize(size_t* a, size_t b) {
  if (b > SIZE_MAX - *a) return false;
  *a += b;
  return true;
}

}  // namespace

size_t RunBufferSize(size_t textLength) {
  size_t size = textLength;
  return AddSize(&size, 1) ? size : 0;
}

size_t DropBufferSize(size_t textLength, DroppedFiles& files) {
  size_t size = textLength;
  const size_t count = files.Count();
  for (size_t i = 0; i < count; ++i) {
    // Room for a CR LF before every name, the first one included: when the
    // box is empty that is two bytes more than needed.
    if (!AddSize(&size, 2) || !AddSize(&size, files.NameLength(i))) return 0;
  }
  return AddSize(&size, 1) ? size : 0;
}

bool AppendDroppedName(char* text, size_t size, DroppedFiles& files,
                       size_t index) {
  size_t used = strnlen(text, size);
  if (used == size) return false;  // no NUL inside the block
  const bool first = used == 0;
  const size_t nameLength = files.NameLength(index);
  const size_t room = size - 1 - used;
  const size_t separator = first ? 0 : 2;
  if (room < separator || nameLength > room - separator) return false;
  if (!first) {
    text[used++] = '\r';
    text[used++] = '\n';
  }
  // Should the name come back shorter than announced, the text still ends.
  text[used] = '\0';
  files.CopyName(index, text + used, nameLength + 1);
  return true;
}

bool RunCommand(PathBox& box, int normalize, BatchFunction batch) {
  // A run started from inside one of the batch's message boxes would pull
  // the buffer away from under the batch.
  if (gRunInProgress) return false;
  const size_t size = RunBufferSize(box.TextLength());
  if (!ReplaceBuffer(size)) {
    Platform& platform = CurrentPlatform();
    platform.ShowMessage(platform.Texts().outOfMemory,
                         platform.Texts().errorCaption, MessageButtons::kOk);
    return false;
  }
  box.CopyText(gPathList, size);
  gRunInProgress = true;
  batch(normalize);  // what went wrong, the batch has already said
  gRunInProgress = false;
  if (gReleaseAfterRun) {
    gReleaseAfterRun = false;
    ReplaceBuffer(0);
  }
  return true;
}

bool DropFiles(PathBox& box, DroppedFiles& files) {
  if (gRunInProgress) return false;
  const size_t size = DropBufferSize(box.TextLength(), files);
  if (!ReplaceBuffer(size)) return false;
  box.CopyText(gPathList, size);
  const size_t count = files.Count();
  for (size_t i = 0; i < count; ++i) {
    // Fails only when the drop now reports a name longer than when the
    // buffer was sized; the box then keeps its text rather than get part of
    // the drop.
    if (!AppendDroppedName(gPathList, size, files, i)) return false;
  }
  box.SetText(gPathList);
  return true;
}

void ReleasePathList() {
  if (gRunInProgress) {
    gReleaseAfterRun = true;
    return;
  }
  ReplaceBuffer(0);
}

bool RunInProgress() { return gRunInProgress; }

}  // namespace plotmere
