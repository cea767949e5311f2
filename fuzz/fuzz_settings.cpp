// The settings reader on any text: no crash, no hang, and nothing taken
// that the rules do not allow.
#include "fuzz/FuzzCheck.h"
#include "settings/SettingsFile.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    AppSettings settings;
    // Every other folder "exists", so both branches run.
    bool exists = false;
    SettingsFile::ParseSettingsText(text, settings, [&exists](const QString&) {
        exists = !exists;
        return exists;
    });
    // What was read must write back as exactly eight lines.
    FuzzCheck(SettingsFile::SettingsText(settings).count("\r\n") == 8);
    return 0;
}
