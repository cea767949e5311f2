#include "StartOptions.h"

#include "common/ProgramVersion.h"

#include <QCommandLineParser>

#include <algorithm>

namespace StartOptions {
namespace {

// The options QApplication takes out of the command line itself.
const QStringList kQtOptions{
    QStringLiteral("platform"),
    QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),
    QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"),
    QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"),
    QStringLiteral("reverse"),
    QStringLiteral("session"),
    QStringLiteral("style"),
    QStringLiteral("stylesheet"),
    QStringLiteral("widgetcount"),
    QStringLiteral("display"),
    QStringLiteral("geometry"),
    QStringLiteral("title"),
    QStringLiteral("name"),
    QStringLiteral("visual"),
    QStringLiteral("ncols"),
    QStringLiteral("cmap"),
    QStringLiteral("nograb"),
    QStringLiteral("dograb"),
    QStringLiteral("sync"),
};

void describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral("スクリーンムービーの作成と再生"));
    // Qt's own options are single-dash words (-platform xcb): read them whole.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(
        QCommandLineOption(QStringLiteral("play"),
                           QStringLiteral("ランチャーを出さずに再生画面でムービーを開きます。")));
    parser.addOption(
        QCommandLineOption(QStringLiteral("edit"),
                           QStringLiteral("ランチャーを出さずに編集画面でムービーを開きます。")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("export"),
        QStringLiteral("ムービーを動画か GIF に書き出します。形式は <out> の拡張子"
                       "（.mp4、.webm、.gif）で決まります。画面は要りません。"),
        QStringLiteral("out")));
    parser.addPositionalArgument(QStringLiteral("package"),
                                 QStringLiteral("開くムービー（.sdw）。--play も --edit "
                                                "もなければ、再生か編集かはランチャーで選びます。"),
                                 QStringLiteral("[package]"));
}

}  // namespace

Options Parse(const QStringList& arguments) {
    QCommandLineParser parser;
    describe(parser);
    Options options;
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        const bool onlyQt = !unknown.isEmpty() &&
                            std::all_of(unknown.begin(), unknown.end(), [](const QString& name) {
                                return kQtOptions.contains(name);
                            });
        options.action = onlyQt ? Action::LeftToQt : Action::Refused;
        options.message = parser.errorText();
        return options;
    }
    // A path with blanks that the shell split apart is still one path.
    options.package = parser.positionalArguments().join(u' ');
    const bool play = parser.isSet(QStringLiteral("play"));
    const bool edit = parser.isSet(QStringLiteral("edit"));
    const bool exporting = parser.isSet(QStringLiteral("export"));
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        options.action = Action::Help;
    } else if (parser.isSet(QStringLiteral("version"))) {
        options.action = Action::Version;
    } else if (int(play) + int(edit) + int(exporting) > 1) {
        options.action = Action::Refused;
        options.message = QStringLiteral("--play、--edit、--export はどれか一つだけ指定できます。");
    } else if (exporting) {
        options.exportTarget = parser.value(QStringLiteral("export"));
        if (options.package.isEmpty()) {
            options.action = Action::Refused;
            options.message = QStringLiteral("書き出すムービー（.sdw）を指定してください。");
        } else {
            options.action = Action::Export;
        }
    } else if (play) {
        options.action = Action::Play;
    } else if (edit) {
        options.action = Action::Edit;
    }
    return options;
}

QString HelpText() {
    // Qt names the program in the usage line from the running application.
    QCommandLineParser parser;
    describe(parser);
    return parser.helpText();
}

QString VersionText() {
    return QStringLiteral("slidewright ") + ProgramVersion::text() + u'\n';
}

}  // namespace StartOptions
