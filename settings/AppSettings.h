#pragma once

#include <QString>

#include <cstdint>

// The editor's own settings: its window position, the two folders and the
// capture window's options. Read when the editor loads and written when it
// closes; the capture window and the options dialog get them passed in.
struct AppSettings {
    // Window position in twips; kPositionNotSet makes the editor centre itself.
    static constexpr std::int32_t kPositionNotSet = -1000;

    std::int32_t windowTop = kPositionNotSet;
    std::int32_t windowLeft = kPositionNotSet;
    QString workFolder;
    QString saveFolder;
    std::int16_t captureColor = 0;
    std::int16_t captureDelay = 0;
    std::int16_t captureContinuous = 0;
    std::int16_t captureActiveWindow = 0;

    friend bool operator==(const AppSettings&, const AppSettings&) = default;
};
