#include "system/BrowseForFolder.h"

#include <QDir>
#include <QFileDialog>

#include <deque>

namespace MDIALOG_SAN {
namespace {

std::deque<QString> scriptedFolders;
std::vector<Shown> shown;

}  // namespace

void setNextFolder(const QString& folder) {
    scriptedFolders.push_back(folder);
}

const std::vector<Shown>& shownDialogs() {
    return shown;
}

void clearShownDialogs() {
    shown.clear();
    scriptedFolders.clear();
}

QString BrowseForFolder(QWidget* owner, const QString& title, const QString& startFolder) {
    if (!scriptedFolders.empty()) {
        shown.push_back({title, startFolder});
        QString folder = scriptedFolders.front();
        scriptedFolders.pop_front();
        return folder;
    }
    // Only real folders can be chosen, as a file-system picker should.
    const QString folder = QFileDialog::getExistingDirectory(
        owner, title, startFolder, QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    return folder.isEmpty() ? QString() : QDir::toNativeSeparators(folder);
}

}  // namespace MDIALOG_SAN
