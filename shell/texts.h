// The main window's texts as the ANSI functions take them: code page 932
// bytes, written as byte escapes so that the source file's own encoding plays
// no part. A literal is split where a hex escape would otherwise swallow the
// letter after it. The Japanese is in the comment above each text.
#ifndef PLOTMERE_SHELL_TEXTS_H_
#define PLOTMERE_SHELL_TEXTS_H_

namespace plotmere {

constexpr char kMainWindowClass[] = "MainWindow";
constexpr char kMainWindowTitle[] = "Plotmere";

// 規格化
constexpr char kNormalizeLabel[] = "\x8B\x4B\x8A\x69\x89\xBB";

// 実行
constexpr char kRunLabel[] = "\x8E\xC0\x8D" "s";

// ファイルを入力/ドラッグアンドドロップ(複数ファイル可)
// The slash and the parentheses are single-byte ASCII.
constexpr char kPrompt[] =
    "\x83t\x83@\x83" "C\x83\x8B\x82\xF0\x93\xFC\x97\xCD/\x83h\x83\x89\x83" "b"
    "\x83O\x83" "A\x83\x93\x83h\x83h\x83\x8D\x83" "b\x83v(\x95\xA1\x90\x94\x83t"
    "\x83@\x83" "C\x83\x8B\x89\xC2)";
constexpr int kPromptLength = sizeof kPrompt - 1;
static_assert(kPromptLength == 53, "the prompt is 53 bytes in code page 932");

}  // namespace plotmere

#endif  // PLOTMERE_SHELL_TEXTS_H_
