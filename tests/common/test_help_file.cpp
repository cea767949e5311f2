// Finding the help page beside the executable or where an installed
// program keeps it.
#include "common/HelpFile.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using HelpFile::HelpFilePath;

void touch(const QString& path) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<!DOCTYPE html>");
}

TEST(HelpFile, FoundBesideTheProgramOrInItsShareFolderOrBesideTheTests) {
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    EXPECT_EQ(HelpFilePath(bin), QString()) << "neither place";

    const QString installed = prefix.filePath(QStringLiteral("share/slidewright/Slidewright.html"));
    touch(installed);
    EXPECT_EQ(HelpFilePath(bin), installed);

    const QString beside = bin + QStringLiteral("/Slidewright.html");
    touch(beside);
    EXPECT_EQ(HelpFilePath(bin), beside) << "beside the program comes first";

    // A folder of that name is no help page.
    QTemporaryDir other;
    const QString otherBin = other.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(otherBin + QStringLiteral("/Slidewright.html")));
    ASSERT_TRUE(
        QDir().mkpath(other.filePath(QStringLiteral("share/slidewright/Slidewright.html"))));
    EXPECT_EQ(HelpFilePath(otherBin), QString());

    // Tests are built into the program's own folder, where the page is copied.
    EXPECT_EQ(HelpFilePath(),
              QCoreApplication::applicationDirPath() + QStringLiteral("/Slidewright.html"));
}

}  // namespace
