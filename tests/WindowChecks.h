#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

// What every window keeps whatever its texts and layout, checked once per
// window instead of copying its captions and coordinates: each control lies
// inside the window, no caption, label or number is cut off, and Tab keeps
// the controls of one group together.
namespace WindowChecks {

inline std::string nameOf(const QWidget* widget) {
    return (widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                           : widget->objectName())
        .toStdString();
}

// The window's own controls as the user sees them: Qt's private helpers
// (named qt_...) and hidden controls aside.
inline std::vector<QWidget*> shownControls(QWidget* window) {
    std::vector<QWidget*> controls;
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->isWindow() || !child->isVisibleTo(window) ||
            child->objectName().startsWith(QStringLiteral("qt_"))) {
            continue;
        }
        controls.push_back(child);
    }
    return controls;
}

inline void expectControlsInside(QWidget* window) {
    const QRect inside = window->rect();
    for (QWidget* control : shownControls(window)) {
        const QRect place(control->mapTo(window, QPoint(0, 0)), control->size());
        EXPECT_TRUE(inside.contains(place)) << nameOf(control) << " lies outside the window";
        EXPECT_FALSE(control->size().isEmpty()) << nameOf(control) << " has no size";
    }
}

inline void expectTextsWhole(QWidget* window) {
    for (QWidget* control : shownControls(window)) {
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            if (button->text().isEmpty() || qobject_cast<QToolButton*>(control) != nullptr) {
                continue;
            }
            // Where the style draws the caption, beside a check box's or
            // radio button's mark.
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            const QStyle::SubElement element =
                qobject_cast<QCheckBox*>(control)      ? QStyle::SE_CheckBoxContents
                : qobject_cast<QRadioButton*>(control) ? QStyle::SE_RadioButtonContents
                                                       : QStyle::SE_PushButtonContents;
            const QRect room = button->style()->subElementRect(element, &option, button);
            const QString caption = QString(button->text()).remove(u'&');
            EXPECT_LE(button->fontMetrics().horizontalAdvance(caption), room.width())
                << nameOf(control) << " cuts \"" << caption.toStdString() << '"';
            EXPECT_LE(button->fontMetrics().height(), button->height()) << nameOf(control);
        } else if (auto* label = qobject_cast<QLabel*>(control)) {
            if (label->text().isEmpty() || label->wordWrap()) {
                continue;
            }
            EXPECT_LE(label->sizeHint().width(), label->width()) << nameOf(control);
            EXPECT_LE(label->fontMetrics().height(), label->height()) << nameOf(control);
        } else if (auto* box = qobject_cast<QLineEdit*>(control)) {
            // A cut number reads as another; a long path or name scrolls.
            bool isNumber = false;
            box->text().toDouble(&isNumber);
            if (!isNumber) {
                continue;
            }
            // The frame and Qt's two-pixel margin on each side.
            const int frame =
                box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) * 2 : 0;
            const QMargins margins = box->textMargins();
            const int room = box->width() - frame - 4 - margins.left() - margins.right();
            EXPECT_LE(box->fontMetrics().horizontalAdvance(box->text()), room)
                << nameOf(control) << " cuts \"" << box->text().toStdString() << '"';
        } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
            EXPECT_LT(group->fontMetrics().horizontalAdvance(group->title()), group->width())
                << nameOf(control);
        }
    }
}

// Tab visits the controls of a group box one after another: it never
// leaves a group and comes back to it.
inline void expectTabKeepsGroupsTogether(QWidget* window) {
    std::vector<QWidget*> stops;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(window) && w->isEnabled() &&
            !w->objectName().startsWith(QStringLiteral("qt_")) && w->window() == window) {
            stops.push_back(w);
        }
    }
    std::vector<const QGroupBox*> left;
    const QGroupBox* current = nullptr;
    for (QWidget* stop : stops) {
        const QGroupBox* group = nullptr;
        for (QWidget* up = stop->parentWidget(); up != nullptr && up != window;
             up = up->parentWidget()) {
            if (auto* found = qobject_cast<QGroupBox*>(up)) {
                group = found;
                break;
            }
        }
        if (group == current) {
            continue;
        }
        if (group != nullptr) {
            EXPECT_EQ(std::count(left.begin(), left.end(), group), 0)
                << "Tab comes back into " << nameOf(group) << " at " << nameOf(stop);
        }
        left.push_back(current);
        current = group;
    }
}

inline void expectWellFormed(QWidget* window) {
    expectControlsInside(window);
    expectTextsWhole(window);
    expectTabKeepsGroupsTogether(window);
}

}  // namespace WindowChecks
