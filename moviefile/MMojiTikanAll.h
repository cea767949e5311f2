// MMojiTikanAll (replace all text): replaces every occurrence of a text in another.
#pragma once

#include <QString>

namespace MMojiTikanAll {

// Replaces every occurrence of find in text, left to right, never looking
// into a replacement already made; returns how many were replaced. exact
// false compares without regard to case. With escapes, "\n" in find and
// replacement stands for CR LF and "\t" for a tab. An empty find replaces
// nothing.
int ReplaceAllText(bool exact, QString& text, QString find, QString replacement, bool escapes);

}  // namespace MMojiTikanAll
