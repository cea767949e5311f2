#include "system/MDIALOG_SAN.h"

#include "common/ScriptedAnswers.h"

#include <QDir>
#include <QFileDialog>

namespace MDIALOG_SAN {
namespace {

ScriptedAnswers<Shown, QString>& scripted() {
    static ScriptedAnswers<Shown, QString> answers;
    return answers;
}

}  // namespace

void setNextFolder(const QString& folder) {
    scripted().queue(folder);
}

const std::vector<Shown>& shownDialogs() {
    return scripted().asked();
}

void clearShownDialogs() {
    scripted().clear();
}

QString BrowseForFolder(QWidget* owner, const QString& title, const QString& startFolder) {
    if (auto folder = scripted().take({title, startFolder})) {
        return *folder;
    }
    // Only real folders can be chosen, as a file-system picker should.
    const QString folder = QFileDialog::getExistingDirectory(
        owner, title, startFolder, QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    return folder.isEmpty() ? QString() : QDir::toNativeSeparators(folder);
}

}  // namespace MDIALOG_SAN
