// MDROP_GET (drop get): the file a dropped path stands for, following shortcut files.
#pragma once

#include <QByteArrayView>
#include <QString>

// The path a dropped file stands for: the file itself, or the target a
// shortcut file (".lnk") names.
namespace MDROP_GET {

// How the path was found. A file is used only when the code is 1 or more.
enum DropCode : int {
    Nothing = 0,         // skip the file
    ShortcutTarget = 1,  // a shortcut's target path
    TargetWithPart = 3,  // a shortcut's target path with a further part
    ShortcutOnly = -1,   // a shortcut without a usable target: its own path
    OrdinaryFile = 4,    // not a shortcut: the dropped path
};

struct DroppedPath {
    QString path;
    int code = Nothing;
};

// Shortcut files are read up to this size; the rest counts as missing.
inline constexpr qsizetype kMaxShortcutBytes = 1024 * 1024;

// `file` as dropped, or the target its shortcut names (the NT family's
// rule). A shortcut that cannot be read, or ends before its target is
// complete, gives Nothing.
DroppedPath GetDroppedFilePath(const QString& file);

// The shortcut rule itself on the shortcut's bytes, read as CP932 lines
// that end at CR; `platform` is an MWIN_VER family.
DroppedPath ReadShortcutText(QByteArrayView bytes, const QString& file, int platform);

}  // namespace MDROP_GET
