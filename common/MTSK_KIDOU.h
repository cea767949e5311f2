// MTSK_KIDOU (task launch): hands a file, folder or program to the desktop to open or start.
#pragma once

#include <QString>

#include <cstdint>

class QWidget;

// A folder opens in the file manager, a document in the default application
// of its type, a program (with or without arguments) starts.
namespace MTSK_KIDOU {

inline constexpr std::int16_t kLaunched = 0;
// A missing file, no application for the type, or a start that failed.
inline constexpr std::int16_t kFailed = 2;

// A bare name, or one starting with "../", is taken relative to the
// program's folder. The owner is kept for the desktop's own messages.
std::int16_t TaskLaunch(QWidget* owner, const QString& target);

// The path the target names, before anything is launched: relative forms
// resolved against `programFolder`; empty when "../" climbs above the root.
QString resolveTarget(const QString& target, const QString& programFolder);

// Tests point the relative forms at a folder of their own.
void setProgramFolder(const QString& folder);

}  // namespace MTSK_KIDOU
