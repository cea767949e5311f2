// MWIN_VER (Windows version): the platform family that decides how shortcuts are read.
#pragma once

// The platform family, which decides how a dropped shortcut file is read.
namespace MWIN_VER {

inline constexpr int kFamily95 = 1;
inline constexpr int kFamilyNT = 2;

// 1 for the Windows 95 family, 2 for the NT family, -1 for anything else.
// This system has no such families; it reads shortcuts by the NT rule.
int OsPlatform();

}  // namespace MWIN_VER
