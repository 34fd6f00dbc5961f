// The ids of the main window's controls, as WM_COMMAND carries them in the
// low word of wParam.
#ifndef PLOTMERE_SHELL_CONTROL_IDS_H_
#define PLOTMERE_SHELL_CONTROL_IDS_H_

namespace plotmere {

constexpr int kNormalizeCheckboxId = 0;
constexpr int kRunButtonId = 1;
constexpr int kPathEditId = 2;

}  // namespace plotmere

#endif  // PLOTMERE_SHELL_CONTROL_IDS_H_
