#pragma once

#include <QString>

#include <vector>

class QWidget;

// The open and save dialogs. Qt's own dialog rather than the desktop's, so
// that it speaks Japanese with the rest of the program; tests answer it
// through setNextFileName.
namespace FileDialogs {

// One entry of a dialog's file-type list: the text the user reads and the
// pattern it stands for.
struct FileFilter {
    QString description;
    QString pattern;
};

// The movie package entry both the player and the editor offer.
std::vector<FileFilter> packageFilter();

// Asks for a file to open, starting in startFolder. The file need not
// exist: the caller checks. The full path, or an empty text on cancel.
QString DialogRead(QWidget* owner, const QString& startFolder,
                   const std::vector<FileFilter>& filter);

// Asks for a file to save to. A name typed without an extension gets
// defaultExtension (no dot, as "sdw"); replacing an existing file is asked
// first. The full path, or an empty text on cancel.
QString DialogSave(QWidget* owner, const QString& startFolder,
                   const std::vector<FileFilter>& filter, const QString& defaultExtension);

// A dialog as it was asked for, shown or answered by a test.
struct Asked {
    enum class Kind { Read, Save };
    Kind kind;
    QWidget* owner;
    QString title;
    std::vector<FileFilter> filter;
    QString startFolder;
    QString defaultExtension;
};

// Queue the answer to the next dialog: it is recorded, not shown, and
// returns this path; an empty text answers as a cancel.
void setNextFileName(const QString& path);
const std::vector<Asked>& askedDialogs();
void clearAskedDialogs();

}  // namespace FileDialogs
