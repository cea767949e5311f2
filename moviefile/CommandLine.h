#pragma once

#include <QString>
#include <QStringList>

// The program's whole command line after the program name, as one text:
// the player and the editor take it, quotes removed, as a package path.
namespace CommandLine {

void set(const QString& text);
// Joins the arguments with blanks, as a shell split them.
void setFromArguments(const QStringList& arguments);
const QString& get();

}  // namespace CommandLine
