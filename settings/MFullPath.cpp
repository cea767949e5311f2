#include "MFullPath.h"

namespace MFullPath {

QString FullPath(const QString& path) {
    return path;
}

}  // namespace MFullPath
