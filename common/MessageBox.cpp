#include "MessageBox.h"

#include "common/DialogOwner.h"
#include "common/ScriptedAnswers.h"

#include <QMessageBox>

namespace MessageBox {
namespace {

ScriptedAnswers<Shown, Answer>& scripted() {
    static ScriptedAnswers<Shown, Answer> answers;
    return answers;
}
bool autoAnswer = false;

Answer firstButton(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
        case Buttons::OkCancel:
            return Answer::Ok;
        case Buttons::YesNo:
        case Buttons::YesNoCancel:
            return Answer::Yes;
    }
    return Answer::Ok;
}

QMessageBox::Icon toQt(Icon icon) {
    switch (icon) {
        case Icon::None:
            return QMessageBox::NoIcon;
        case Icon::Critical:
            return QMessageBox::Critical;
        case Icon::Exclamation:
            return QMessageBox::Warning;
        case Icon::Information:
            return QMessageBox::Information;
        case Icon::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQt(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
            return QMessageBox::Ok;
        case Buttons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case Buttons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case Buttons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

Answer fromQt(int button, Buttons buttons) {
    switch (button) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Cancel:
            return Answer::Cancel;
        default:
            // Escape on a box without Cancel: the one sensible answer.
            return buttons == Buttons::YesNo ? Answer::No : firstButton(buttons);
    }
}

}  // namespace

Answer show(QWidget* parent, const QString& text, const QString& title, Icon icon,
            Buttons buttons) {
    const Shown question{text, title, icon, buttons};
    if (const auto answer = scripted().take(question)) {
        return *answer;
    }
    if (autoAnswer) {
        scripted().record(question);
        return firstButton(buttons);
    }
    QMessageBox box(toQt(icon), title, text, toQt(buttons), DialogOwner::onScreen(parent));
    box.setObjectName(QStringLiteral("messageBox"));
    return fromQt(box.exec(), buttons);
}

void setNextAnswer(Answer answer) {
    scripted().queue(answer);
}

void setAutoAnswer(bool on) {
    autoAnswer = on;
}

const std::vector<Shown>& shownBoxes() {
    return scripted().asked();
}

void clearShownBoxes() {
    scripted().clear();
}

}  // namespace MessageBox
