// MFullPath: the long form of a path, which here is the path itself.
#pragma once

#include <QString>

namespace MFullPath {

// The long form of a path. This file system has no short names, so every
// path already is its long form and comes back unchanged.
QString FullPath(const QString& path);

}  // namespace MFullPath
