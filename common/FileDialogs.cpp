#include "FileDialogs.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>

#include <deque>

namespace FileDialogs {
namespace {

std::deque<QString> scriptedNames;
std::vector<Asked> asked;

// Qt reads the patterns from the parenthesised end of each entry; an entry
// whose text already shows its pattern there is used as it stands.
QStringList nameFilters(const std::vector<FileFilter>& filter) {
    QStringList result;
    for (const FileFilter& entry : filter) {
        const QString shown = QLatin1Char('(') + entry.pattern + QLatin1Char(')');
        result << (entry.description.endsWith(shown)
                       ? entry.description
                       : entry.description + QLatin1Char(' ') + shown);
    }
    return result;
}

// QFileDialog collapses runs of blanks in the entries it lists; the type
// list shows the texts as given (the dialog filters by position, not text).
void showExactly(QFileDialog& dialog, const QStringList& filters) {
    auto* typeList = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    if (typeList == nullptr || typeList->count() != filters.size()) {
        return;
    }
    for (int i = 0; i < filters.size(); ++i) {
        typeList->setItemText(i, filters[i]);
    }
}

QString ask(Asked request) {
    asked.push_back(request);
    if (!scriptedNames.empty()) {
        QString answer = scriptedNames.front();
        scriptedNames.pop_front();
        return answer;
    }

    // Whatever the dialog does to the current folder, the caller finds its own.
    const QString currentFolder = QDir::currentPath();
    QFileDialog dialog(request.owner, request.title, request.startFolder);
    dialog.setObjectName(request.kind == Asked::Kind::Save ? QStringLiteral("DialogSave")
                                                           : QStringLiteral("DialogRead"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(request.kind == Asked::Kind::Save ? QFileDialog::AcceptSave
                                                           : QFileDialog::AcceptOpen);
    const QStringList filters = nameFilters(request.filter);
    dialog.setNameFilters(filters);
    showExactly(dialog, filters);
    if (!filters.isEmpty()) {
        dialog.selectNameFilter(dialog.nameFilters().first());
    }
    dialog.setDefaultSuffix(request.defaultExtension);
    // With several types to choose from, a bare name takes the chosen type's
    // extension.
    if (request.filter.size() > 1) {
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, &request](const QString& chosen) {
                             const qsizetype i = dialog.nameFilters().indexOf(chosen);
                             const QString pattern =
                                 i >= 0 ? request.filter[static_cast<size_t>(i)].pattern
                                        : QString();
                             if (pattern.startsWith(QLatin1String("*."))) {
                                 dialog.setDefaultSuffix(pattern.mid(2));
                             }
                         });
    }
    QString chosen;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        chosen = dialog.selectedFiles().first();
    }
    QDir::setCurrent(currentFolder);
    return chosen;
}

}  // namespace

std::vector<FileFilter> packageFilter() {
    return {{QStringLiteral("Slidewrightファイル    (*.sdw)"), QStringLiteral("*.sdw")}};
}

QString DialogRead(QWidget* owner, const QString& startFolder,
                   const std::vector<FileFilter>& filter) {
    return ask({Asked::Kind::Read,
                owner,
                QStringLiteral("開くﾌｧｲﾙを指定してください。"),
                filter,
                startFolder,
                {}});
}

QString DialogSave(QWidget* owner, const QString& startFolder,
                   const std::vector<FileFilter>& filter, const QString& defaultExtension) {
    return ask({Asked::Kind::Save, owner, QStringLiteral("保存ﾌｧｲﾙを指定してください。"), filter,
                startFolder, defaultExtension});
}

void setNextFileName(const QString& path) {
    scriptedNames.push_back(path);
}

const std::vector<Asked>& askedDialogs() {
    return asked;
}

void clearAskedDialogs() {
    asked.clear();
    scriptedNames.clear();
}

}  // namespace FileDialogs
