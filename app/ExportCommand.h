#pragma once

#include <QString>

// `slidewright --export OUT PACKAGE`: the package exported without any
// window system and without the single-instance lock, so that it runs on
// a server or beside a running copy of the program.
namespace ExportCommand {

// Exit codes: 0 exported; 1 the export failed (one line on stderr says
// why, and no OUT is left); 2 OUT names no format we write; 130
// interrupted by a signal.
int Run(int argc, char** argv, const QString& target, const QString& package);

}  // namespace ExportCommand
