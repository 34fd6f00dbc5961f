// The few operating-system services that the conversion engine and the front
// ends need: a modal message box, an existence test and the replacement of one
// file by another. The engine reaches them only through the process-wide
// `Platform` that CurrentPlatform() returns, so tests can put a scripted fake
// in its place and the command-line front end can answer on the terminal.
//
// One implementation file per operating system is picked by CMake:
// platform_win32.cc (MessageBoxA, FindFirstFileA, MoveFileExA) and
// platform_host.cc (POSIX). Names here never match a Win32 macro.
#ifndef PLOTMERE_PLATFORM_PLATFORM_H_
#define PLOTMERE_PLATFORM_PLATFORM_H_

#include <stddef.h>

#include <string>

namespace plotmere {

/// Buttons of a message box. The values are those of MB_OK and MB_YESNO.
enum class MessageButtons { kOk = 0, kYesNo = 4 };

/// What the user answered. The values are those of IDOK, IDYES and IDNO.
enum class MessageAnswer { kOk = 1, kYes = 6, kNo = 7 };

/// The texts the engine shows, as narrow strings in the platform's own
/// charset: code page 932 bytes on Windows (what the ANSI functions take),
/// UTF-8 elsewhere (what file names and terminals hold there).
struct EngineTexts {
  const char* cannotOpen;   ///< "ファイルが開けません。処理を中断します。"
  const char* tooLarge;     ///< "画像サイズが大きくなりすぎます。処理を中断します。"
  const char* outOfMemory;  ///< "メモリが不足しています。処理を中断します。"
  const char* errorCaption;    ///< "ERROR"
  const char* confirmCaption;  ///< "確認"
  const char* existsSuffix;    ///< "が存在します。上書きしますか？" after the name
  const char* cannotWriteSuffix;  ///< "に書き込めません。" after the name
};

/// Both tables, so that tests can compare the bytes of each.
extern const EngineTexts kCp932Texts;
extern const EngineTexts kUtf8Texts;

/// The operating-system services. Every call is made on the batch's thread.
class Platform {
 public:
  virtual ~Platform() = default;

  /// Shows a modal message box with no owner window and no icon and returns
  /// when the user has closed it. With kOk the answer is kOk; with kYesNo it
  /// is kYes only for an explicit Yes, and kNo otherwise.
  virtual MessageAnswer ShowMessage(const std::string& text,
                                    const std::string& caption,
                                    MessageButtons buttons) = 0;

  /// True when a file or directory of that name exists.
  virtual bool PathExists(const char* path) = 0;

  /// Moves `from` over `to` in one step, replacing whatever `to` is when it
  /// is a file. On success `from` is gone and `to` holds its bytes. On
  /// failure both are left as they were and false is returned.
  virtual bool MoveOver(const char* from, const char* to) = 0;

  /// Where the last component of `path` (its file name) begins: 0 when the
  /// path has no folder part. On Windows the path is code page 932, whose
  /// double-byte characters may end in a backslash byte.
  virtual size_t FileNameOffset(const std::string& path) = 0;

  /// The charset of the texts above that this platform shows.
  virtual const EngineTexts& Texts() = 0;
};

/// The real services of the operating system the program was built for.
/// The object lives as long as the process.
Platform& SystemPlatform();

/// The platform the engine uses: SystemPlatform() unless SetPlatform() put
/// another in its place.
Platform& CurrentPlatform();

/// Makes `platform` the current one and returns the previous one. The caller
/// keeps ownership and must restore the previous platform before `platform`
/// is destroyed. A null pointer restores SystemPlatform().
Platform* SetPlatform(Platform* platform);

}  // namespace plotmere

#endif  // PLOTMERE_PLATFORM_PLATFORM_H_
