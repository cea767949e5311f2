#pragma once

class WorkFolderSession;
struct AppSettings;
struct MovieDoc;

// What the editor works on, made by the program's start and passed in: the
// movie, the settings, and the hold on the work folder (opened by the
// editor once the settings name it). The capture window and the options
// dialog get their part of it from the editor.
struct EditorContext {
    MovieDoc& doc;
    AppSettings& settings;
    WorkFolderSession& workFiles;
};
