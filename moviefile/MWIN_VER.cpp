#include "MWIN_VER.h"

namespace MWIN_VER {

int OsPlatform() {
    return kFamilyNT;
}

}  // namespace MWIN_VER
