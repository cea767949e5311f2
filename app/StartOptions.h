#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for. Read before any window system is
// touched, so that --help and --version work without a display.
namespace StartOptions {

enum class Action {
    Launcher,  // the launcher, with an optional package for player or editor
    Play,      // the player at once, without the launcher
    Edit,      // the editor at once, without the launcher
    Export,    // the package exported to `exportTarget`, without any window
    Help,
    Version,
    Refused,   // an unknown option or a missing value: `message` says which
    LeftToQt,  // options QApplication takes itself: read again once it has
};

struct Options {
    Action action = Action::Launcher;
    // The package path, as the player and the editor take the command line.
    QString package;
    QString exportTarget;
    QString message;
};

// `arguments` as main() has them, the program's name first.
Options Parse(const QStringList& arguments);

QString HelpText();
QString VersionText();

}  // namespace StartOptions
