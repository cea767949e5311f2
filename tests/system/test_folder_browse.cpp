// The folder picker: Qt's own dialog with the caller's title when nothing
// is scripted.
#include "system/MDIALOG_SAN.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// Answers the modal picker that the call below opens, once it shows.
void answerPicker(QObject* scope, const QString& expectedStart, const QString& choice) {
    auto* poll = new QTimer(scope);
    QObject::connect(poll, &QTimer::timeout, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        poll->stop();
        EXPECT_EQ(dialog->windowTitle(), MDIALOG_SAN::kWorkFolderTitle);
        EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(expectedStart).canonicalPath());
        if (choice.isEmpty()) {
            dialog->reject();
        } else {
            // Into the folder, then Choose: what a user does.
            dialog->setDirectory(choice);
            static_cast<QDialog*>(dialog)->accept();
        }
    });
    poll->start(10);
}

TEST(FolderBrowse, QtsOwnDialogReturnsTheChosenFolder) {
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("作業 BMP")));
    const QString chosen = root.path() + QStringLiteral("/作業 BMP");
    for (const QString& choice : {chosen, QString()}) {
        QObject scope;
        answerPicker(&scope, root.path(), choice);
        EXPECT_EQ(MDIALOG_SAN::BrowseForFolder(nullptr, MDIALOG_SAN::kWorkFolderTitle, root.path())
                      .toStdString(),
                  choice.toStdString());
    }
}

}  // namespace
