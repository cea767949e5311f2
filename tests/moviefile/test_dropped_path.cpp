// Dropped paths and the shortcut files they may be, read from the files of
// tests/data/shortcuts as expected.txt there says.
#include "WholeFiles.h"
#include "moviefile/MDROP_GET.h"
#include "moviefile/MWIN_VER.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace MDROP_GET;

namespace {

const QString kShortcuts = QStringLiteral(SLIDEWRIGHT_SOURCE_DIR "/tests/data/shortcuts/");

int codeNamed(const QString& name) {
    const QStringList names = {"Nothing", "ShortcutTarget", "TargetWithPart", "ShortcutOnly"};
    const int codes[] = {Nothing, ShortcutTarget, TargetWithPart, ShortcutOnly};
    return names.contains(name) ? codes[names.indexOf(name)] : -99;
}

TEST(DroppedPath, ShortcutsGiveTheTargetTheirRuleReads) {
    ASSERT_EQ(MWIN_VER::OsPlatform(), MWIN_VER::kFamilyNT) << "GetDroppedFilePath's rule";
    QFile table(kShortcuts + QStringLiteral("expected.txt"));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    int cases = 0;
    for (const QString& line : QString::fromUtf8(table.readAll()).split(u'\n')) {
        const QStringList field = line.split(u'\t');
        if (line.startsWith(u'#') || field.size() != 4) {
            continue;
        }
        ++cases;
        const QString file = kShortcuts + field[0];
        DroppedPath result;
        if (field[1] == u"NT") {
            result = GetDroppedFilePath(file);
        } else {
            QFile shortcut(file);
            ASSERT_TRUE(shortcut.open(QIODevice::ReadOnly)) << field[0].toStdString();
            result = ReadShortcutText(shortcut.readAll(), file, MWIN_VER::kFamily95);
        }
        const QString path = field[3] == u"=" ? file : QString(field[3]).replace("<LF>", "\n");
        EXPECT_EQ(result.code, codeNamed(field[2])) << field[0].toStdString();
        EXPECT_EQ(result.path, path) << field[0].toStdString();
    }
    EXPECT_EQ(cases, 16);
}

TEST(DroppedPath, OrdinaryFilesAreTheirOwnPathAndMissingShortcutsNothing) {
    for (const char* name : {"/pics/a.bmp", "/pics/pic.LNK", "/pics/a.lnk.bmp", "/p/a.lnk/b.lnk",
                             "/pics/a.Lnk", "lnk"}) {
        const DroppedPath result = GetDroppedFilePath(QString::fromUtf8(name));
        EXPECT_EQ(result.code, OrdinaryFile) << name;
        EXPECT_EQ(result.path, QString::fromUtf8(name));
    }
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.lnk")));
    for (const char* name : {"missing.lnk", "folder.lnk"}) {
        EXPECT_EQ(GetDroppedFilePath(folder.filePath(QString::fromUtf8(name))).code, Nothing);
    }

    // A huge shortcut is read only to its cap: the "$" line past it is never seen.
    QByteArray bytes = "C:\\a\\\r\n" + QByteArray(kMaxShortcutBytes, 'x');
    bytes += "\r\n$\r\nb.bmp\r\n1\r\n2\r\n3\r\n";
    const QString huge = folder.filePath(QStringLiteral("huge.lnk"));
    writeFile(huge, bytes);
    const DroppedPath result = GetDroppedFilePath(huge);
    EXPECT_EQ(result.code, ShortcutOnly);
    EXPECT_EQ(result.path, huge);
}

}  // namespace
