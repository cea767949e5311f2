#include "PreviewMode.h"

bool previewMode = false;
