#include "SoundOutput.h"

#include "player/SdlSoundOutput.h"

namespace {

class NullSoundOutput final : public SoundOutput {
public:
    bool start(const QString&) override { return false; }
    bool isOpen() const override { return false; }
    bool isPlaying() override { return false; }
    void close() override {}
};

}  // namespace

std::unique_ptr<SoundOutput> SoundOutput::openDevice() {
    if (auto device = SdlSoundOutput::open()) {
        return device;
    }
    return std::make_unique<NullSoundOutput>();
}
