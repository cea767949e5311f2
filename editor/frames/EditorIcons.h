#pragma once

#include <QIcon>

// The editor's toolbar and sound-button pictures, drawn rather than shipped
// so they stay crisp at any scale.
namespace EditorIcons {

enum class Kind { New, Open, Save, SaveAs, OpenFolder, Capture, Preview, Options };

QIcon icon(Kind kind);

// The 15 x 13 play and stop pictures of the rows' sound buttons.
QPixmap soundPlay();
QPixmap soundStop();

}  // namespace EditorIcons
