#include "FrameRows.h"

#include "common/MessageBox.h"
#include "common/NumericText.h"
#include "common/Twips.h"
#include "editor/frames/MPRO_BAR.h"
#include "editor/frames/MPicSizeChg.h"
#include "editor/frames/PictureBox.h"
#include "editor/frames/ProgressBox.h"
#include "editor/frames/ThumbnailCache.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/MovieMessages.h"
#include "moviefile/WorkFolderSession.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>

namespace {

// n right-aligned in three characters: "  1", " 11", "100".
QString threeCharacterNumber(int n) {
    return (QStringLiteral("  ") + QString::number(n)).right(3);
}

// A wait in seconds in its shortest decimal form: 0, 1.5, 10, 0.25.
QString secondsText(int waitMs) {
    return QString::number(waitMs / 1000.0, 'g', 15);
}

}  // namespace

FrameRows::FrameRows(QWidget* area, MovieDoc& doc, EditorState& state, WorkFolderSession& files)
    : FrameRowControls(area), doc_(doc), state_(state), files_(files) {
    for (int r = 0; r < kRows; ++r) {
        connect(picDat[r], &PictureBox::mouseReleased, this,
                [this, r](Qt::MouseButton button, QPoint position) {
                    picDat_MouseUp(r, button, position);
                });
    }
    connect(cmdBack, &QPushButton::clicked, this, &FrameRows::cmdBack_Click);
    connect(cmdNext, &QPushButton::clicked, this, &FrameRows::cmdNext_Click);
    // Clicking the chosen option again runs its click too: it marks the
    // document modified.
    connect(jidouGroup_, &QButtonGroup::idClicked, this, &FrameRows::optJidou_Click);
    enableDrops();
}

bool FrameRows::eventFilter(QObject* watched, QEvent* event) {
    if (routeDropEvent(watched, event) || FrameRowControls::eventFilter(watched, event)) {
        return true;
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        const bool in = event->type() == QEvent::FocusIn;
        if (watched == txtLoop) {
            if (in) {
                txtLoop_GotFocus();
            }
        } else {
            for (int r = 0; r < kRows; ++r) {
                if (watched == txtWait[r]) {
                    in ? txtWait_GotFocus(r) : txtWait_LostFocus(r);
                }
            }
        }
    }
    return false;
}

QString FrameRows::workFile(const QString& name) const {
    return files_.folder() + u'/' + name;
}

void FrameRows::setModified() {
    state_.modified = true;
    emit modifiedSet();
}

void FrameRows::clearPictures() {
    for (PictureBox* box : picDat) {
        box->clear();
    }
}

void FrameRows::showThumbnail(int index, int frame) {
    PictureBox* box = picDat[index];
    // Fitted at the screen's device pixels, so a scaled screen shows it sharp.
    const qreal ratio = box->devicePixelRatioF();
    MPicSizeChg::TargetBox target;
    target.outerTwips = box->size() * ratio * Twips::kPerPixel;
    target.innerTwips = box->contentsRect().size() * ratio * Twips::kPerPixel;
    target.background = box->background();
    const QString path = workFile(doc_.frames[frame].pictureFile);
    QImage thumbnail = ThumbnailCache::shared().thumbnail(path, target);
    if (thumbnail.isNull()) {
        // The row stays empty and the editor goes on: the user's other
        // frames are still there to save.
        box->clear();
        const auto message = MovieMessages::of(MovieMessage::InvalidPackage);
        MessageBox::show(area_->window(), message.text, message.title, message.icon);
        return;
    }
    thumbnail.setDevicePixelRatio(ratio);
    box->setPicture(thumbnail);
}

void FrameRows::DrawFrameRows(int firstRow) {
    QWidget* window = area_->window();
    window->setEnabled(false);
    MovieDoc& doc = doc_;
    int count = 0;
    for (int r = firstRow; r <= kRows; ++r) {
        picDat[r - 1]->clear();
        const int n = state_.pageBase + r;
        if (doc.hasSlot(n) && doc.frames[n].inUse) {
            ++count;
        }
    }
    if (count == 0) {
        for (int r = firstRow; r <= kRows; ++r) {
            picDat[r - 1]->clear();
            txtSound[r - 1]->clear();
        }
    } else {
        const float step = 100.0f / static_cast<float>(count);
        float progress = 0;
        picBar->clear();
        picBar->show();
        MPRO_BAR::ShowProgress(picBar, 0);
        QCoreApplication::processEvents();
        for (int r = firstRow; r <= kRows; ++r) {
            const int n = state_.pageBase + r;
            const bool inUse = doc.hasSlot(n) && doc.frames[n].inUse;
            if (inUse) {
                showThumbnail(r - 1, n);
                progress += step;
                MPRO_BAR::ShowProgress(picBar, static_cast<int>(std::nearbyint(progress)));
                QCoreApplication::processEvents();
            } else {
                picDat[r - 1]->clear();
            }
            const QString sound = doc.hasSlot(n) ? doc.frames[n].soundFile.trimmed() : QString();
            txtSound[r - 1]->setText(sound.isEmpty() ? QString() : doc.frames[n].soundFile);
        }
    }
    optJidou_Click(doc.advanceMode);
    ShowPageLabel();
    picBar->hide();
    window->setEnabled(true);
}

void FrameRows::StorePageFields() {
    MovieDoc& doc = doc_;
    doc.loopFlag = chkLoop->isChecked() ? 1 : 0;
    doc.loopWaitSeconds =
        NumericText::RoundToInt16(NumericText::LeadingNumber(txtLoop->text().trimmed()))
            .value_or(0);
    for (int r = 1; r <= kRows; ++r) {
        const int n = state_.pageBase + r;
        if (doc.hasSlot(n) && doc.frames[n].inUse) {
            const double seconds = NumericText::LeadingNumber(txtWait[r - 1]->text());
            doc.frames[n].waitMs = NumericText::RoundToInt32(seconds * 1000.0).value_or(0);
        }
    }
}

void FrameRows::ShowRowLabels(int mode) {
    const MovieDoc& doc = doc_;
    for (int r = 1; r <= kRows; ++r) {
        const int n = state_.pageBase + r;
        txtWait[r - 1]->setVisible(mode != 0);
        txtWait[r - 1]->setText(secondsText(doc.hasSlot(n) ? doc.frames[n].waitMs : 0));
        QString label = QStringLiteral("No.") + threeCharacterNumber(n);
        if (mode != 0) {
            label += QStringLiteral("         秒");
        }
        lblNo[r - 1]->setText(label);
    }
}

void FrameRows::ShowPageLabel() {
    lblList->setText(threeCharacterNumber(state_.pageBase + 1) + QStringLiteral("-") +
                     threeCharacterNumber(state_.pageBase + 10));
}

void FrameRows::cmdBack_Click() {
    if (state_.pageBase < 1) {
        return;
    }
    StorePageFields();
    state_.pageBase -= 10;
    DrawFrameRows(1);
}

void FrameRows::cmdNext_Click() {
    if (state_.pageBase > 89) {
        return;
    }
    StorePageFields();
    state_.pageBase += 10;
    DrawFrameRows(1);
}

void FrameRows::selectAdvanceMode(int index) {
    optJidou_Click(index);
}

void FrameRows::optJidou_Click(int index) {
    // A package's unknown mode plays as manual, so it is edited as manual.
    if (index < 0 || index > 2) {
        index = 0;
    }
    optJidou[index]->setChecked(true);
    ShowRowLabels(index);
    doc_.advanceMode = index;
    setModified();
}

void FrameRows::showMovieSettings() {
    const MovieDoc& doc = doc_;
    txtLoop->setText(QString::number(doc.loopWaitSeconds));
    chkLoop->setChecked(doc.loopFlag != 0);
    selectAdvanceMode(doc.advanceMode);
}

void FrameRows::txtWait_GotFocus(int index) {
    txtWait[index]->selectAll();
}

void FrameRows::txtLoop_GotFocus() {
    txtLoop->selectAll();
}

void FrameRows::txtWait_LostFocus(int index) {
    const int n = frameOf(index);
    MovieDoc& doc = doc_;
    if (!doc.hasSlot(n)) {
        return;
    }
    const double value = NumericText::LeadingNumber(txtWait[index]->text()) * 1000.0;
    if (value != static_cast<double>(doc.frames[n].waitMs)) {
        setModified();
    }
    doc.frames[n].waitMs = NumericText::RoundToInt32(value).value_or(0);
}

void FrameRows::picDat_MouseUp(int index, Qt::MouseButton button, QPoint globalPosition) {
    if ((isBusy && isBusy()) || button != Qt::RightButton) {
        return;
    }
    const int n = frameOf(index);
    const bool hasPicture = doc_.hasSlot(n) && !doc_.frames[n].pictureFile.isEmpty();
    state_.selectedRow = index;
    emit rowMenuRequested(index, globalPosition, hasPicture);
}
