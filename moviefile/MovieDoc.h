#pragma once

#include <QString>

#include <vector>

// One frame slot of the movie: a picture shown for a while, maybe a sound.
struct FrameEntry {
    bool inUse = false;
    // Bare file names inside the work folder; soundFile is empty for none.
    QString pictureFile;
    int waitMs = 0;  // 32-bit; may be negative, the editor accepts -9 s
    QString soundFile;
};

// The movie being played or edited, one per process. Slots are numbered
// from 1; slot 0 exists and never holds a frame.
struct MovieDoc {
    static constexpr int kEditorSlots = 100;
    static constexpr int kProgramMajorVersion = 3;
    static constexpr int kProgramMinorVersion = 1;

    QString version = QStringLiteral("01.00");
    int frameCount = 1;        // 16-bit
    int loopFlag = 0;          // 16-bit; 1 loops the movie
    int advanceMode = 0;       // 16-bit; 0 manual, 1 automatic, 2 automatic waiting for sounds
    int loopWaitSeconds = 10;  // 16-bit
    std::vector<FrameEntry> frames = std::vector<FrameEntry>(kEditorSlots + 1);
    QString packagePath;
    QString packageFolder;  // packagePath's folder with its trailing "/"

    // Makes slots 0 to lastSlot, all cleared.
    void resetFrames(int lastSlot);
    // The number of the highest slot, 0 when there is none.
    int lastSlot() const { return frames.empty() ? 0 : static_cast<int>(frames.size()) - 1; }
    bool hasSlot(int k) const { return k >= 1 && k <= lastSlot(); }
};

// The process's movie, shared by the editor and the player.
MovieDoc& movieDoc();
