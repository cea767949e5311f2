#pragma once

#include "export/ExportResult.h"
#include "export/MovieExporter.h"

#include <QString>

#include <optional>

// A movie package opened for export, as the player opens it: the script
// read, and every file its frames name taken out into a folder.
namespace ExportPackage {

// Reads `package` through the loaded archiver into `folder` (which the
// caller makes and removes). Nothing when the package cannot be used:
// `problem` says why.
std::optional<MovieToExport> Open(const QString& package, const QString& folder,
                                  ExportResult& problem);

}  // namespace ExportPackage
