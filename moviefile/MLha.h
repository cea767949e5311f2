// MLha: the archiver's two command lines, extracting from and storing into a package.
#pragma once

#include <QByteArray>
#include <QString>

// The archiver's two command lines. Both operations return the archiver's
// result: 0 on success, anything else on failure (also when no archiver is
// loaded).
namespace MLha {

// e "package" "folder/" pattern -n
QByteArray ExtractCommandLine(const QString& package, const QString& folder,
                              const QString& memberPattern);
// a -d "package" "file" -n -q -x0
QByteArray StoreCommandLine(const QString& package, const QString& file);

// Extracts the members matching memberPattern (a bare name, a name in
// double quotes, or a wildcard such as *.bmp) into folder, under their bare
// names.
int ExtractFromPackage(const QString& package, const QString& folder, const QString& memberPattern);
// Stores file under its bare name; startNew deletes the package first, so
// that a save starts an empty archive.
int StoreInPackage(const QString& package, const QString& file, bool startNew);

}  // namespace MLha
