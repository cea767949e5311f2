#pragma once

#include "MovieMessages.h"

#include <QString>

#include <optional>
#include <vector>

// One frame slot of the movie: a picture shown for a while, maybe a sound.
struct FrameEntry {
    bool inUse = false;
    // Bare file names inside the work folder; soundFile is empty for none.
    QString pictureFile;
    int waitMs = 0;  // 32-bit; may be negative, the editor accepts -9 s
    QString soundFile;
};

// Whether the used frames are an unbroken run from slot 1.
struct FrameSequence {
    int count = 0;  // n when slots 1 to n are the frames, 0 when none, -1 on a gap
    MovieMessage message = MovieMessage::None;  // NoFrames or GapInFrames
};

// The movie being played or edited. Slots are numbered from 1; slot 0
// exists and never holds a frame. The windows change it only through these
// operations and its plain fields.
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

    // An empty movie in the editor's 100 slots, with a new movie's settings;
    // the package fields stay.
    void beginEditorMovie();

    // Takes `path`, double quotes removed, as the package, and its folder as
    // packageFolder. False, with nothing changed, when no file is there.
    bool setPackagePath(const QString& path);
    // No package: file dialogs start in `folder`.
    void clearPackage(const QString& folder);
    // packageFolder as a file dialog takes it: without its trailing "/",
    // unless it is the root.
    QString dialogFolder() const;

    enum class InsertResult { Inserted, TableFull, NoSuchSlot };
    // An empty frame at slot k, the frames from k on one slot further. Full
    // when the last slot holds a picture; whatever else it held gives way.
    InsertResult insertFrame(int k);
    // Takes slot k out, the frames after it one slot up, and returns what it
    // held. Its files are the caller's to release.
    std::optional<FrameEntry> removeFrame(int k);
    // Slot k shows the picture `name` from now on; its wait and sound stay.
    void setFramePicture(int k, const QString& name);

    // The highest slot in use up to slot 100, 0 for none.
    int highestFrameInUse() const;
    // The slot a frame added after the others takes: 1 for an empty table,
    // 101 when slot 100 is in use.
    int nextFreeFrame() const { return highestFrameInUse() + 1; }
    // True when a slot other than `exceptSlot` names `name` as its picture
    // or sound.
    bool namesFile(const QString& name, int exceptSlot = 0) const;
    // Checks that the frames are an unbroken run from slot 1, as a save and
    // a preview need them.
    FrameSequence CheckFrameSequence() const;
};
