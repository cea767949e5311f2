#pragma once

#include <QString>

// Writing a file the safe way: the new contents go to a file beside the
// target, which replaces the target only once it is complete, so that a
// failure never leaves a partial file or costs the earlier one.
namespace ReplaceByRename {

// A new, empty file in the target's folder, under a hidden name that no
// other file has, with the permissions the target has (or a new file
// would get). Its path, or an empty text when none can be made. `pattern`
// is the name to make unique, ending in XXXXXX; by default the target's own
// name, hidden.
QString ReserveBeside(const QString& target, const QString& pattern = QString());

// Renames `finished` over `target` in one step. False when it cannot; the
// caller then deletes `finished`.
bool RenameOver(const QString& finished, const QString& target);

}  // namespace ReplaceByRename
