// Finding and starting the desktop's default application: the Exec line's
// quoting and field codes, and the order of the MIME application rules.
#include "common/DefaultApplication.h"
#include "tests/DesktopSandbox.h"

#include <memory>

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace {

using DefaultApplication::DesktopEntry;

DesktopEntry entryWithExec(const QString& exec) {
    DesktopEntry entry;
    entry.name = QStringLiteral("Viewer");
    entry.icon = QStringLiteral("viewer");
    entry.path = QStringLiteral("/apps/viewer.desktop");
    entry.exec = exec;
    return entry;
}

TEST(DesktopExec, QuotesAndFieldCodesExpand) {
    const QString file = QStringLiteral("/home/a/my file.txt");
    EXPECT_EQ(DefaultApplication::commandFor(
                  entryWithExec(QStringLiteral("\"/opt/my app/run\" --view %f")), file),
              (QStringList{QStringLiteral("/opt/my app/run"), QStringLiteral("--view"), file}));
    EXPECT_EQ(DefaultApplication::commandFor(
                  entryWithExec(QStringLiteral("run \"a\\\"b\" 100%% %c %k %i %U")), file),
              (QStringList{QStringLiteral("run"), QStringLiteral("a\"b"), QStringLiteral("100%"),
                           QStringLiteral("Viewer"), QStringLiteral("/apps/viewer.desktop"),
                           QStringLiteral("--icon"), QStringLiteral("viewer"),
                           QStringLiteral("file:///home/a/my%20file.txt")}));
    // Without a file code the file still reaches the program, at the end.
    EXPECT_EQ(DefaultApplication::commandFor(entryWithExec(QStringLiteral("run %d")), file),
              (QStringList{QStringLiteral("run"), QString(), file}));
    EXPECT_EQ(DefaultApplication::commandFor(entryWithExec(QStringLiteral("run \"unclosed")), file),
              QStringList());
}

class MimeRules : public ::testing::Test {
protected:
    void SetUp() override {
        // Only our entries: the system's own applications would answer first
        // for types they list.
        desktop = std::make_unique<DesktopSandbox>(QDir::tempPath() + QStringLiteral("/share"));
        mimeApps = desktop->mimeApps;
        const QDir golden(QStringLiteral(SLIDEWRIGHT_SOURCE_DIR "/tests/data/mime-rules"));
        for (const QString& entry : golden.entryList({QStringLiteral("*.desktop")})) {
            ASSERT_TRUE(QFile::copy(golden.filePath(entry), desktop->applications + u'/' + entry));
        }
    }
    void TearDown() override { desktop.reset(); }
    static void write(const QString& path, const QByteArray& text) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    static QString idFor(const QString& type) {
        const auto entry = DefaultApplication::forMimeType(type);
        return entry ? entry->id : QString();
    }
    std::unique_ptr<DesktopSandbox> desktop;
    QString mimeApps;
};

TEST_F(MimeRules, DefaultsWinThenAssociationsThenListings) {
    write(mimeApps,
          "[Default Applications]\ntext/plain=gone.desktop;hidden.desktop;second.desktop;\n");
    // Uninstalled and hidden defaults are passed over.
    EXPECT_EQ(idFor(QStringLiteral("text/plain")), QStringLiteral("second.desktop"));
    // A subtype with no application of its own takes its parent's.
    EXPECT_EQ(idFor(QStringLiteral("text/x-csrc")), QStringLiteral("second.desktop"));

    write(mimeApps, "[Removed Associations]\ntext/plain=first.desktop;\n");
    EXPECT_EQ(idFor(QStringLiteral("text/plain")), QStringLiteral("second.desktop"));

    write(mimeApps, "[Added Associations]\nimage/png=first.desktop;\n");
    EXPECT_EQ(idFor(QStringLiteral("image/png")), QStringLiteral("first.desktop"));
    // Nothing claims octet-stream's children through their common ancestor.
    write(mimeApps, "[Default Applications]\napplication/octet-stream=first.desktop;\n");
    EXPECT_EQ(idFor(QStringLiteral("application/winhlp")), QString());
}

}  // namespace
