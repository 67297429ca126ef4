#pragma once
// Key codes and modifier bits as the game knows them: the arrow keys are 37..40,
// and the shift state is a bit set of Shift 1, Ctrl 2, Alt 4.

namespace platform {

inline constexpr int KeyLeft = 37;
inline constexpr int KeyUp = 38;
inline constexpr int KeyRight = 39;
inline constexpr int KeyDown = 40;
inline constexpr int KeyShift = 16;
inline constexpr int KeyControl = 17;
inline constexpr int KeyAlt = 18;

inline constexpr int ShiftMask = 1;
inline constexpr int CtrlMask = 2;
inline constexpr int AltMask = 4;

}  // namespace platform
