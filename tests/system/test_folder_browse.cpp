// The folder picker: scripted answers for the windows that use it, and
// Qt's own dialog with the caller's title when nothing is scripted.
#include "system/MDIALOG_SAN.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

namespace {

TEST(FolderBrowse, ScriptedAnswersAreRecorded) {
    MDIALOG_SAN::clearShownDialogs();
    MDIALOG_SAN::setNextFolder(QStringLiteral("/srv/movies"));
    MDIALOG_SAN::setNextFolder(QString());
    EXPECT_EQ(MDIALOG_SAN::BrowseForFolder(nullptr, MDIALOG_SAN::kWorkFolderTitle,
                                           QStringLiteral("/tmp")),
              QStringLiteral("/srv/movies"));
    EXPECT_EQ(MDIALOG_SAN::BrowseForFolder(nullptr, MDIALOG_SAN::kSaveFolderTitle), QString());
    ASSERT_EQ(MDIALOG_SAN::shownDialogs().size(), 2u);
    EXPECT_EQ(MDIALOG_SAN::shownDialogs()[0].title, MDIALOG_SAN::kWorkFolderTitle);
    EXPECT_EQ(MDIALOG_SAN::shownDialogs()[0].startFolder, QStringLiteral("/tmp"));
    EXPECT_EQ(MDIALOG_SAN::shownDialogs()[1].title, MDIALOG_SAN::kSaveFolderTitle);
}

// Answers the modal picker that the call below opens.
void answerPicker(const QString& expectedTitle, const QString& expectedStart,
                  const QString& choice) {
    QTimer::singleShot(50, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), expectedTitle);
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
        EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
        EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(expectedStart).canonicalPath());
        if (choice.isEmpty()) {
            dialog->reject();
        } else {
            // Into the folder, then Choose: what a user does.
            dialog->setDirectory(choice);
            static_cast<QDialog*>(dialog)->accept();
        }
    });
}

TEST(FolderBrowse, QtsOwnDialogReturnsTheChosenFolder) {
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("作業 BMP")));
    const QString chosen = root.path() + QStringLiteral("/作業 BMP");

    answerPicker(MDIALOG_SAN::kWorkFolderTitle, root.path(), chosen);
    EXPECT_EQ(MDIALOG_SAN::BrowseForFolder(nullptr, MDIALOG_SAN::kWorkFolderTitle, root.path())
                  .toStdString(),
              chosen.toStdString());

    answerPicker(MDIALOG_SAN::kSaveFolderTitle, root.path(), QString());
    EXPECT_EQ(MDIALOG_SAN::BrowseForFolder(nullptr, MDIALOG_SAN::kSaveFolderTitle, root.path()),
              QString());
}

}  // namespace
