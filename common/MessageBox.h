#pragma once

#include <QString>

#include <vector>

class QWidget;

// Every box the program shows goes through here, so that tests can answer
// boxes without a person and see what was asked.
namespace MessageBox {

enum class Icon { None, Critical, Exclamation, Information, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

Answer show(QWidget* parent, const QString& text, const QString& title, Icon icon,
            Buttons buttons = Buttons::Ok);

// A box shown, as tests see it.
struct Shown {
    QString text;
    QString title;
    Icon icon;
    Buttons buttons;
};

// Queue an answer for the next box: that box is recorded, not shown.
void setNextAnswer(Answer answer);
// With auto-answer on, every box without a queued answer takes its first
// button (OK, Yes) and is recorded, not shown.
void setAutoAnswer(bool on);
const std::vector<Shown>& shownBoxes();
void clearShownBoxes();

}  // namespace MessageBox
