#pragma once

// True only while the player shows the editor's own movie as a preview:
// the player then reads the editor's table and work folder, and extracts
// and deletes nothing.
extern bool previewMode;
