#pragma once

#include <QObject>

#include <array>

class PictureBox;
class ProgressBox;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class QWidget;

// The controls of the editor's ten frame rows, the page controls and the
// playback options group, laid out in the editor's client area and named
// as the editor's controls, with the typing rules of their boxes: a
// character limit, and the whole text selected when the box is entered.
// What the controls show and do is FrameRows'.
class FrameRowControls : public QObject {
    Q_OBJECT

public:
    static constexpr int kRows = 10;

    explicit FrameRowControls(QWidget* area);

    std::array<PictureBox*, kRows> picDat{};
    std::array<QLabel*, kRows> lblNo{};
    std::array<QLineEdit*, kRows> txtWait{};
    std::array<QLineEdit*, kRows> txtSound{};
    std::array<QToolButton*, kRows> cmdSound{};
    QPushButton* cmdBack = nullptr;
    QPushButton* cmdNext = nullptr;
    QLabel* lblList = nullptr;
    ProgressBox* picBar = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, 3> optJidou{};
    QCheckBox* chkLoop = nullptr;
    QLineEdit* txtLoop = nullptr;
    QLabel* lblLoop = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    QWidget* area_;
    // The advance-mode options, by index.
    QButtonGroup* jidouGroup_ = nullptr;

private:
    void createRows(QWidget* area);
    void createPageControls(QWidget* area);
    void createOptions(QWidget* area);
    bool selectsAllOnClick(QObject* watched, QEvent* event);
};
