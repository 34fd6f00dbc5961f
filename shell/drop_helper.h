// What the window test and its helper DLL inside plotmere.exe share.
#ifndef PLOTMERE_SHELL_DROP_HELPER_H_
#define PLOTMERE_SHELL_DROP_HELPER_H_

#include <stdint.h>

/// A drop to deliver: the window (as a 32-bit number, the same in both
/// processes) and the DROPFILES block that follows this header.
struct DropRequest {
  uint32_t window;
  uint32_t payloadSize;
};

/// What InspectMainWindowClass found; each bit set holds.
enum ClassFinding : uint32_t {
  kClassRegistered = 1u << 0,
  kClassNoStyles = 1u << 1,
  kClassNoExtraBytes = 1u << 2,
  kClassNoIcon = 1u << 3,
  kClassNoCursor = 1u << 4,
  kClassWhiteBackground = 1u << 5,
  kClassNoMenu = 1u << 6,
  kClassOfTheProgram = 1u << 7,
  kClassAll = (1u << 8) - 1,
};

#endif  // PLOTMERE_SHELL_DROP_HELPER_H_
