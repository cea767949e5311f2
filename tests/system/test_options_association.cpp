// The options dialog's association buttons: each answer to their questions,
// and what the desktop then sees, in the throw-away XDG folders this test
// runs in.
#include "system/frmOption.h"

#include "common/MessageBox.h"
#include "moviefile/WorkFolderSession.h"
#include "settings/AppSettings.h"
#include "system/MKakucyoSet.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

namespace {

using MessageBox::Answer;

QString defaultApplication() {
    QProcess process;
    process.start(QStringLiteral("xdg-mime"),
                  {QStringLiteral("query"), QStringLiteral("default"), MKakucyoSet::kMimeType});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

class OptionsAssociation : public ::testing::Test {
protected:
    void SetUp() override {
        dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        ASSERT_TRUE(dataHome.startsWith(qEnvironmentVariable("HOME").section(u'/', 0, -2)))
            << "runs only in a throw-away HOME";
        MessageBox::clearShownBoxes();
        dialog.show();
    }

    void TearDown() override {
        MessageBox::clearShownBoxes();
        MKakucyoSet::UnregisterFileType(MKakucyoSet::kExtension, MKakucyoSet::kTypeName,
                                        MKakucyoSet::kDescription, {}, 0, {});
    }

    bool registered() const {
        return QFileInfo::exists(dataHome + QStringLiteral("/mime/packages/slidewright.xml")) &&
               QFileInfo::exists(dataHome + QStringLiteral("/applications/slidewright.desktop"));
    }

    void click(QPushButton* button, Answer answer) {
        MessageBox::clearShownBoxes();
        MessageBox::setNextAnswer(answer);
        if (answer == Answer::Yes) {
            MessageBox::setNextAnswer(Answer::Ok);
        }
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // The boxes' texts tell which question and outcome they were.
    static QStringList boxTexts() {
        QStringList texts;
        for (const auto& box : MessageBox::shownBoxes()) {
            texts << box.text;
        }
        return texts;
    }

    AppSettings settings{.workFolder = QDir::tempPath(), .saveFolder = QDir::tempPath()};
    WorkFolderSession files;
    frmOption dialog{settings, files};
    QString dataHome;
    QString configHome;
};

TEST_F(OptionsAssociation, EachButtonAsksAndActsOnlyOnYes) {
    using namespace MKakucyoSet;
    click(dialog.cmdSet, Answer::No);
    EXPECT_EQ(boxTexts(), QStringList{kAskRegister});
    EXPECT_FALSE(registered());
    EXPECT_EQ(defaultApplication(), QString());

    // Twice: registering again is a success too.
    for (int round = 0; round < 2; ++round) {
        click(dialog.cmdSet, Answer::Yes);
        EXPECT_EQ(boxTexts(), QStringList({kAskRegister, kRegistered}));
        EXPECT_TRUE(registered());
        EXPECT_EQ(defaultApplication(), kDesktopEntryFile);
    }
    // The entry starts the running program.
    QFile entry(dataHome + QStringLiteral("/applications/") + kDesktopEntryFile);
    EXPECT_TRUE(
        entry.open(QIODevice::ReadOnly) &&
        entry.readAll().contains(execLine(QCoreApplication::applicationFilePath()).toUtf8()));

    click(dialog.cmdDel, Answer::No);
    EXPECT_EQ(boxTexts(), QStringList{kAskUnregister});
    EXPECT_TRUE(registered());
    // Twice: nothing left to remove is still a success.
    for (int round = 0; round < 2; ++round) {
        click(dialog.cmdDel, Answer::Yes);
        EXPECT_EQ(boxTexts(), QStringList({kAskUnregister, kUnregistered}));
        EXPECT_FALSE(registered());
        EXPECT_EQ(defaultApplication(), QString());
    }
    EXPECT_TRUE(dialog.isVisible()) << "the buttons act at once and leave the dialog open";
}

TEST_F(OptionsAssociation, FailuresAreReported) {
    // Root writes anywhere, so a file stands where the MIME folder goes.
    QDir(dataHome + QStringLiteral("/mime")).removeRecursively();
    ASSERT_TRUE(QFile(dataHome + QStringLiteral("/mime")).open(QIODevice::WriteOnly));
    click(dialog.cmdSet, Answer::Yes);
    EXPECT_EQ(boxTexts().value(1), MKakucyoSet::kRegisterFailed);
    QFile::remove(dataHome + QStringLiteral("/mime"));

    // A folder where the list of default applications should be cannot be
    // read or rewritten.
    ASSERT_TRUE(QDir().mkpath(configHome + QStringLiteral("/mimeapps.list")));
    click(dialog.cmdDel, Answer::Yes);
    EXPECT_EQ(boxTexts().value(1), MKakucyoSet::kUnregisterFailed);
    QDir(configHome + QStringLiteral("/mimeapps.list")).removeRecursively();

    EXPECT_EQ(settings.workFolder, QDir::tempPath()) << "no folder setting is touched";
}

}  // namespace
