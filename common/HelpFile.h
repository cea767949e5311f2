#pragma once

#include <QString>

// Where the program's help page is.
namespace HelpFile {

inline const QString kFileName = QStringLiteral("Slidewright.html");

// Shown by the help command when there is no help page.
inline const QString kNoHelpText = QStringLiteral("ヘルプファイルがありません");
inline const QString kNoHelpTitle = QStringLiteral("ヘルプ無し");

// The help page beside the executable, else in ../share/slidewright beside
// it (where an installed program has it); empty when neither exists.
QString HelpFilePath();
// The same, for an executable in `programFolder`.
QString HelpFilePath(const QString& programFolder);

}  // namespace HelpFile
