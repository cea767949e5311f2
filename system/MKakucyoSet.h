// MKakucyoSet (extension setting): registers and removes the .sdw file type with the desktop.
#pragma once

#include <QString>

#include <cstdint>

// The freedesktop way: a shared-mime-info package, a desktop entry with the
// program's icon, and the default in mimeapps.list, all in the user's own
// XDG folders.
namespace MKakucyoSet {

// What the options dialog passes.
inline const QString kExtension = QStringLiteral(".sdw");
inline const QString kTypeName = QStringLiteral("Slidewright-File");
inline const QString kDescription = QStringLiteral("Slidewright ファイル");

// The options dialog's questions and results.
inline const QString kAskRegister =
    QStringLiteral("拡張子(.sdw)を Slidewright に関連付けます\n宜しいですか？");
inline const QString kAskRegisterTitle = QStringLiteral("関連付け確認");
inline const QString kRegistered = QStringLiteral("拡張子(.sdw)を関連付けしました");
inline const QString kRegisterFailed = QStringLiteral("関連付けを失敗しました");
inline const QString kAskUnregister =
    QStringLiteral("拡張子(.sdw)の関連付けを削除します\n宜しいですか？");
inline const QString kAskUnregisterTitle = QStringLiteral("関連付け削除確認");
inline const QString kUnregistered = QStringLiteral("拡張子(.sdw)の関連付けを削除しました");
inline const QString kUnregisterFailed = QStringLiteral("関連付けの削除に失敗しました");
inline const QString kSuccessTitle = QStringLiteral("成功");
inline const QString kFailureTitle = QStringLiteral("失敗");

// The names the registration writes under the XDG folders.
inline const QString kMimeType = QStringLiteral("application/x-slidewright");
inline const QString kMimePackageFile = QStringLiteral("slidewright.xml");
inline const QString kDesktopEntryFile = QStringLiteral("slidewright.desktop");
inline const QString kIconName = QStringLiteral("slidewright");

// True when every file was written and the MIME database refreshed. Files
// written before a failing step stay, as a partial registration. The icon
// file and index are kept for the caller's sake: the icon here is the
// program's own, installed into the user's icon theme.
bool RegisterFileType(const QString& extension, const QString& typeName, const QString& description,
                      const QString& iconFile, std::int16_t iconIndex,
                      const QString& commandProgram);

// Removes exactly what RegisterFileType wrote; true also when nothing was
// registered.
bool UnregisterFileType(const QString& extension, const QString& typeName,
                        const QString& description, const QString& iconFile, std::int16_t iconIndex,
                        const QString& commandProgram);

// The desktop entry's Exec value that starts `program` with one file, the
// path quoted only when it holds a reserved character; empty
// when the path holds a character no desktop entry can carry.
QString execLine(const QString& program);

// The shared-mime-info package declaring the package type. The same text is
// installed system-wide and written per user, so that either alone, or both,
// give one type.
QByteArray mimePackage(const QString& extension, const QString& description);

// The program's desktop entry with `exec` as its Exec value. The installed
// entry and the user's own share its name, so the user's shadows the
// installed one while it exists and leaves it in place when removed.
QByteArray desktopEntry(const QString& exec);

// mimeapps.list text with `entry` as the default for `mimeType`, every other
// line kept as it was.
QString withDefaultApplication(const QString& mimeApps, const QString& mimeType,
                               const QString& entry);
// mimeapps.list text without `entry` as a default for `mimeType`; a section
// left empty goes too.
QString withoutDefaultApplication(const QString& mimeApps, const QString& mimeType,
                                  const QString& entry);

}  // namespace MKakucyoSet
