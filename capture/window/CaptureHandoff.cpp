#include "CaptureHandoff.h"

CapturePosition capturePosition;
bool captureSaved = false;
