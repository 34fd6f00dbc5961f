// The whole-program baseline: converts data files as plotmere-cli -y does,
// but reads each with one formatted read per record (scanf_reader.h). The
// pictures must come out byte for byte the same as plotmere-cli's.
//
// Usage: scanf_convert [-n] FILE...
#include <stdio.h>
#include <string.h>

#include <string>

#include "engine/batch_run.h"
#include "scanf_reader.h"

namespace plotmere {
namespace {

// Replaces existing pictures without asking, and prints the errors.
class YesPlatform : public Platform {
 public:
  MessageAnswer ShowMessage(const std::string& text, const std::string&,
                            MessageButtons buttons) override {
    if (buttons == MessageButtons::kYesNo) return MessageAnswer::kYes;
    fprintf(stderr, "scanf_convert: %s\n", text.c_str());
    return MessageAnswer::kOk;
  }
  bool PathExists(const char* path) override {
    return SystemPlatform().PathExists(path);
  }
  bool MoveOver(const char* from, const char* to) override {
    return SystemPlatform().MoveOver(from, to);
  }
  size_t FileNameOffset(const std::string& path) override {
    return SystemPlatform().FileNameOffset(path);
  }
  const EngineTexts& Texts() override { return SystemPlatform().Texts(); }
};

int Run(int argc, char** argv) {
  int first = 1;
  const int normalize = argc > 1 && strcmp(argv[1], "-n") == 0 ? 1 : 0;
  first += normalize;
  YesPlatform platform;
  SetPlatform(&platform);
  SampleSet set;
  if (!AllocateSampleArrays(&set)) return 1;
  int status = 0;
  for (int i = first; i < argc && status == 0; ++i) {
    FILE* file = fopen(argv[i], "r");
    if (file == nullptr) {
      status = 1;
      break;
    }
    ResetForFile(&set, file);
    ChooseMode(&set);
    bench::ScanfReadSamples(&set);
    fclose(file);
    if (!RenderAndSave(&set, OutputNameFor(argv[i]).c_str(), normalize)) status = 1;
  }
  FreeSampleArrays(&set);
  SetPlatform(nullptr);
  return status;
}

}  // namespace
}  // namespace plotmere

int main(int argc, char** argv) { return plotmere::Run(argc, argv); }
