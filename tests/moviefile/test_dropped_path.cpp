// Dropped paths and the shortcut files they may be, read from real files.
#include "moviefile/MDROP_GET.h"
#include "moviefile/MWIN_VER.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace MDROP_GET;

namespace {

class DroppedPathTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QTemporaryDir folder;
};

// A shortcut in the layout the NT family's rule reads: binary header, the
// target's folder up to a group separator, a "$" line, the name, three
// more lines of which the last may hold arguments.
QByteArray ntShortcut(const QByteArray& folder, const QByteArray& name,
                      const QByteArray& arguments = "x") {
    return QByteArray("L\0\0\0\x01\x14\x02\0\r\n", 10) + folder + "\x1d\x90\x05junk\r\n" +
           QByteArray("more\0binary\r\n", 13) + "S$\r\n" + name + "\r\n" + "a\r\n" + "b\r\n" +
           arguments + "\r\n" + "tail\r\n";
}

}  // namespace

TEST(PlatformFamily, IsTheNtFamilyHere) {
    EXPECT_EQ(MWIN_VER::OsPlatform(), MWIN_VER::kFamilyNT);
}

TEST_F(DroppedPathTest, OrdinaryFilesAreTheirOwnPath) {
    for (const char* name : {"/pics/a.bmp", "/pics/pic.LNK", "/pics/a.lnk.bmp", "/p/a.lnk/b.lnk",
                             "/pics/a.Lnk", "lnk"}) {
        const DroppedPath result = GetDroppedFilePath(QString::fromUtf8(name));
        EXPECT_EQ(result.code, OrdinaryFile) << name;
        EXPECT_EQ(result.path, QString::fromUtf8(name));
    }
}

TEST_F(DroppedPathTest, NtRuleFollowsTheDollarLine) {
    const QString plain = write("plain.lnk", ntShortcut("C:\\pics\\", "a.bmp"));
    EXPECT_EQ(GetDroppedFilePath(plain).path, QStringLiteral("C:\\pics\\a.bmp"));
    EXPECT_EQ(GetDroppedFilePath(plain).code, ShortcutTarget);

    // A last line longer than one character is a further part.
    const QString extended = write("extended.lnk", ntShortcut("C:\\tools\\", "run.exe", "-x"));
    EXPECT_EQ(GetDroppedFilePath(extended).path, QStringLiteral("C:\\tools\\run.exe -x"));
    EXPECT_EQ(GetDroppedFilePath(extended).code, TargetWithPart);

    // Without a group separator the whole drive line is the folder part.
    const QString whole = write("whole.lnk", "C:\\w\\\r\n$\r\nb.bmp\r\n1\r\n2\r\n3");
    EXPECT_EQ(GetDroppedFilePath(whole).path, QStringLiteral("C:\\w\\b.bmp"));
    EXPECT_EQ(GetDroppedFilePath(whole).code, ShortcutTarget);
}

TEST_F(DroppedPathTest, UnresolvedShortcutsNameThemselves) {
    const QString noDollar = write("nodollar.lnk", "C:\\pics\\a.bmp\r\nno\r\nmarker\r\n");
    EXPECT_EQ(GetDroppedFilePath(noDollar).path, noDollar);
    EXPECT_EQ(GetDroppedFilePath(noDollar).code, ShortcutOnly);

    // A network path stops the reading at once, even after a target; lines
    // read while looking for the "$" line are not looked at for it.
    const QString network =
        write("network.lnk", "\\\\server\\share\r\nC:\\a\\\r\n$\r\nb\r\n1\r\n2\r\n3\r\n");
    const QString late = write("late.lnk", ntShortcut("C:\\a\\", "b.bmp") + "\\\\server\r\n");
    const QString skipped = write("skipped.lnk", "C:\\a\\\r\n\\\\x\r\n$\r\nb.bmp\r\n1\r\n2\r\n3");
    for (const QString& path : {network, late}) {
        EXPECT_EQ(GetDroppedFilePath(path).path, path);
        EXPECT_EQ(GetDroppedFilePath(path).code, ShortcutOnly);
    }
    EXPECT_EQ(GetDroppedFilePath(skipped).path, QStringLiteral("C:\\a\\b.bmp"));
    EXPECT_EQ(GetDroppedFilePath(skipped).code, ShortcutTarget);
}

TEST_F(DroppedPathTest, ShortcutsWithoutTargetOrCutShortGiveNothing) {
    const QString cases[][2] = {
        {QStringLiteral("empty.lnk"), QString()},
        {QStringLiteral("nodrive.lnk"), QStringLiteral("just\r\ntext\r\n")},
        {QStringLiteral("afterdollar.lnk"), QStringLiteral("C:\\a\\\r\n$")},
        {QStringLiteral("inthree.lnk"), QStringLiteral("C:\\a\\\r\n$\r\nb.bmp\r\n1\r\n2")},
    };
    for (const auto& [name, text] : cases) {
        const DroppedPath result = GetDroppedFilePath(write(name, text.toLatin1()));
        EXPECT_EQ(result.code, Nothing) << name.toStdString();
        EXPECT_TRUE(result.path.isEmpty()) << name.toStdString();
    }
    EXPECT_EQ(GetDroppedFilePath(folder.filePath(QStringLiteral("missing.lnk"))).code, Nothing);
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.lnk")));
    EXPECT_EQ(GetDroppedFilePath(folder.filePath(QStringLiteral("folder.lnk"))).code, Nothing);
}

TEST_F(DroppedPathTest, LaterDriveLineReplacesTheTarget) {
    const QByteArray two =
        ntShortcut("C:\\first\\", "one.bmp") + ntShortcut("D:\\second\\", "two.bmp");
    const DroppedPath result = GetDroppedFilePath(write("two.lnk", two));
    EXPECT_EQ(result.path, QStringLiteral("D:\\second\\two.bmp"));
    EXPECT_EQ(result.code, ShortcutTarget);
}

TEST_F(DroppedPathTest, LinesEndAtCarriageReturnsOnly) {
    // A lone LF belongs to the line; a lone CR ends it.
    const DroppedPath result = ReadShortcutText("C:\\a\nb\\\r$\rname.bmp\r\n1\r2\r3\r",
                                                QStringLiteral("f.lnk"), MWIN_VER::kFamilyNT);
    EXPECT_EQ(result.path, QStringLiteral("C:\\a\nb\\name.bmp"));
    EXPECT_EQ(result.code, ShortcutTarget);
}

TEST_F(DroppedPathTest, BytesAreReadAsCp932) {
    // 写真 and 表 in CP932; 表's second byte is a backslash byte, which must
    // not make the line look like a network path.
    const QByteArray folderBytes = "C:\\\x8e\xca\x90\x5e\\\x95\x5c\\";
    const DroppedPath result =
        GetDroppedFilePath(write("cp932.lnk", ntShortcut(folderBytes, "\xb1.bmp")));
    EXPECT_EQ(result.path, QStringLiteral("C:\\写真\\表\\ｱ.bmp"));
    EXPECT_EQ(result.code, ShortcutTarget);
}

TEST_F(DroppedPathTest, Family95RuleTakesTheFirstBlankLine) {
    const QString file = QStringLiteral("f.lnk");
    const DroppedPath plain =
        ReadShortcutText("C:\\a\\b.bmp\x1dxx\r\nno\r\n", file, MWIN_VER::kFamily95);
    EXPECT_EQ(plain.path, QStringLiteral("C:\\a\\b.bmp"));
    EXPECT_EQ(plain.code, ShortcutTarget);
    const DroppedPath extended =
        ReadShortcutText("C:\\a\\run.exe\r\nno\r\n /x\r\n /y\r\n", file, MWIN_VER::kFamily95);
    EXPECT_EQ(extended.path, QStringLiteral("C:\\a\\run.exe /x"));
    EXPECT_EQ(extended.code, TargetWithPart);
}

TEST_F(DroppedPathTest, HugeShortcutsAreReadOnlyToTheirCap) {
    // The "$" line lies past the cap: the target is never completed.
    QByteArray bytes = "C:\\a\\\r\n";
    bytes += QByteArray(kMaxShortcutBytes, 'x');
    bytes += "\r\n$\r\nb.bmp\r\n1\r\n2\r\n3\r\n";
    const QString path = write("huge.lnk", bytes);
    const DroppedPath result = GetDroppedFilePath(path);
    EXPECT_EQ(result.code, ShortcutOnly);
    EXPECT_EQ(result.path, path);
}
