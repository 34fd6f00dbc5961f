// plotmere-cli: converts data files to BMP pictures from the command line,
// through the same batch as the window's run button: the arguments become a
// CR LF path list, and the batch's message boxes become lines on standard
// error (or a question on the terminal).
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "engine/batch_run.h"
#include "platform/platform.h"

namespace plotmere {
namespace {

constexpr char kProgram[] = "plotmere-cli";
constexpr char kVersion[] = "0.1.0";

constexpr char kUsage[] =
    "Usage: plotmere-cli [options] FILE...\n"
    "Converts each data file FILE to the 24-bit BMP picture FILE.bmp beside it.\n"
    "\n"
    "A data file holds one record per line: x,y,value (grey levels) or\n"
    "x,y,red,green,blue (colours), x and y integers, values decimal numbers.\n"
    "\n"
    "Options:\n"
    "  -n, --normalize  scale each grey file's value range onto 0 ... 255\n"
    "  -y, --yes        replace existing pictures without asking\n"
    "      --no-clobber never replace an existing picture\n"
    "  -h, --help       show this help and exit\n"
    "      --version    show the version and exit\n"
    "  --               end of options; every later argument is a FILE\n"
    "\n"
    "Without -y or --no-clobber an existing picture is replaced only when you\n"
    "answer y on the terminal; when standard input is no terminal it is kept.\n"
    "\n"
    "Exit status: 0 when every file was converted (or kept on request),\n"
    "1 when the batch stopped on an error or a picture could not be written,\n"
    "2 for a usage error.\n";

enum class Overwrite { kAsk, kYes, kNo };

struct Options {
  bool normalize = false;
  Overwrite overwrite = Overwrite::kAsk;
  std::vector<std::string> files;
};

int UsageError(const std::string& message) {
  fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgram,
          message.c_str(), kProgram);
  return 2;
}

// Returns -1 when the batch should run, else the exit status.
int ParseArguments(int argc, char** argv, Options* options) {
  bool noClobber = false, yes = false;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      if (arg == "--") {
        optionsEnded = true;
      } else if (arg == "-n" || arg == "--normalize") {
        options->normalize = true;
      } else if (arg == "-y" || arg == "--yes") {
        yes = true;
      } else if (arg == "--no-clobber") {
        noClobber = true;
      } else if (arg == "-h" || arg == "--help") {
        fputs(kUsage, stdout);
        return 0;
      } else if (arg == "--version") {
        printf("%s %s\n", kProgram, kVersion);
        return 0;
      } else {
        return UsageError("unknown option '" + arg + "'");
      }
      continue;
    }
    if (arg.empty()) return UsageError("an empty file name");
    if (arg.find_first_of("\r\n") != std::string::npos) {
      return UsageError("a file name with a line break: '" + arg + "'");
    }
    options->files.push_back(arg);
  }
  if (yes && noClobber) return UsageError("-y and --no-clobber exclude each other");
  if (options->files.empty()) return UsageError("no data file given");
  options->overwrite = yes ? Overwrite::kYes
                           : noClobber ? Overwrite::kNo : Overwrite::kAsk;
  return -1;
}

// The batch's message boxes, on the terminal.
class CliPlatform : public Platform {
 public:
  explicit CliPlatform(Overwrite overwrite)
      : system_(SystemPlatform()), overwrite_(overwrite) {}

  void set_current_file(const std::string& path) { currentFile_ = path; }

  MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                            MessageButtons buttons) override {
    if (buttons == MessageButtons::kOk) {
      // The batch's own texts; the stop messages do not name the file, so
      // the line does. A write failure names its picture itself.
      if (text.compare(0, currentFile_.size(), currentFile_) == 0) {
        fprintf(stderr, "%s: %s\n", kProgram, text.c_str());
      } else {
        fprintf(stderr, "%s: %s: %s\n", kProgram, currentFile_.c_str(),
                text.c_str());
      }
      (void)caption;
      return MessageAnswer::kOk;
    }
    switch (overwrite_) {
      case Overwrite::kYes:
        return MessageAnswer::kYes;
      case Overwrite::kNo:
        fprintf(stderr, "%s: %s\n", kProgram, text.c_str());
        fprintf(stderr, "%s: kept (--no-clobber)\n", kProgram);
        return MessageAnswer::kNo;
      case Overwrite::kAsk:
        break;
    }
    if (!isatty(fileno(stdin))) {
      fprintf(stderr, "%s: %s\n", kProgram, text.c_str());
      fprintf(stderr,
              "%s: kept: standard input is no terminal to ask on "
              "(use -y to replace)\n",
              kProgram);
      return MessageAnswer::kNo;
    }
    fprintf(stderr, "%s: %s [y/N] ", kProgram, text.c_str());
    fflush(stderr);
    char answer[64];
    if (fgets(answer, sizeof answer, stdin) == nullptr) {
      fputc('\n', stderr);
      return MessageAnswer::kNo;
    }
    return answer[0] == 'y' || answer[0] == 'Y' ? MessageAnswer::kYes
                                                : MessageAnswer::kNo;
  }

  bool PathExists(const char* path) override { return system_.PathExists(path); }
  bool MoveOver(const char* from, const char* to) override {
    return system_.MoveOver(from, to);
  }
  size_t FileNameOffset(const std::string& path) override {
    return system_.FileNameOffset(path);
  }
  const EngineTexts& Texts() override { return system_.Texts(); }

 private:
  Platform& system_;
  Overwrite overwrite_;
  std::string currentFile_;
};

// The front end's own notes on what the batch did.
class CliListener : public BatchListener {
 public:
  CliListener(CliPlatform* platform, size_t total)
      : platform_(platform), total_(total),
        showProgress_(total > 1 && isatty(fileno(stderr))) {}

  bool anyWriteFailed() const { return anyWriteFailed_; }

  void FileStarted(const char* path) override {
    ++index_;
    platform_->set_current_file(path);
    if (showProgress_) {
      fprintf(stderr, "%s: [%zu/%zu] %s\n", kProgram, index_, total_, path);
    }
  }

  void FileRead(const char* path, const SampleSet& set) override {
    if (set.droppedLines > 0) {
      fprintf(stderr,
              "%s: %s:%lld: %lld line%s without a valid record skipped "
              "(the first here)\n",
              kProgram, path, static_cast<long long>(set.firstDroppedLine),
              static_cast<long long>(set.droppedLines),
              set.droppedLines == 1 ? "" : "s");
    }
    if (set.moreRecords) {
      fprintf(stderr,
              "%s: %s: more than %d records; only the first %d were read\n",
              kProgram, path, kSampleCapacity, kSampleCapacity);
    }
  }

  void PictureDone(const std::string& outputName, Outcome outcome) override {
    (void)outputName;
    if (outcome == Outcome::kWriteFailed) anyWriteFailed_ = true;
  }

 private:
  CliPlatform* platform_;
  size_t total_;
  size_t index_ = 0;
  bool showProgress_;
  bool anyWriteFailed_ = false;
};

int Run(int argc, char** argv) {
  Options options;
  const int status = ParseArguments(argc, argv, &options);
  if (status >= 0) return status;

  std::string list;
  for (const std::string& file : options.files) {
    if (!list.empty()) list += "\r\n";
    list += file;
  }
  std::vector<char> buffer(list.begin(), list.end());
  buffer.push_back('\0');

  CliPlatform platform(options.overwrite);
  Platform* previous = SetPlatform(&platform);
  CliListener listener(&platform, options.files.size());
  gPathList = buffer.data();
  const bool completed = RunBatch(options.normalize ? 1 : 0, &listener);
  gPathList = nullptr;
  SetPlatform(previous);
  return completed && !listener.anyWriteFailed() ? 0 : 1;
}

}  // namespace
}  // namespace plotmere

int main(int argc, char** argv) { return plotmere::Run(argc, argv); }
