#pragma once

// The editor window's own state besides the movie itself.
struct EditorState {
    bool modified = false;
    // Frames before the first row shown: 0, 10, ..., 90.
    int pageBase = 0;
    // The row (0 to 9) last right-clicked; the row menu acts on it.
    int selectedRow = 0;
};
