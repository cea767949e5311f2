// Feeds arbitrary bytes to the shortcut reader under both families' rules.
// Besides not crashing, every answer must be one the drop handlers expect:
// a known code, the shortcut's own path for -1, nothing for 0, and for a
// found target text taken from lines (no CR), with a blank before any
// further part.
#include "fuzz/FuzzCheck.h"
#include "moviefile/MDROP_GET.h"
#include "moviefile/MWIN_VER.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString file = QStringLiteral("/dropped/shortcut.lnk");
    for (int platform : {MWIN_VER::kFamily95, MWIN_VER::kFamilyNT, -1}) {
        const MDROP_GET::DroppedPath result = MDROP_GET::ReadShortcutText(bytes, file, platform);
        switch (result.code) {
            case MDROP_GET::Nothing:
                FuzzCheck(result.path.isEmpty());
                break;
            case MDROP_GET::ShortcutOnly:
                FuzzCheck(result.path == file);
                break;
            case MDROP_GET::ShortcutTarget:
            case MDROP_GET::TargetWithPart:
                // A drive line cut at a group separator before its drive may
                // leave an empty target; the drop skips it by its ending.
                FuzzCheck(!result.path.contains(u'\r'));
                break;
            default:
                FuzzCheck(false);
        }
        FuzzCheck(platform == MWIN_VER::kFamily95 || result.code != MDROP_GET::TargetWithPart ||
                  result.path.contains(u' '));
    }
    return 0;
}
