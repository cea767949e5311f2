#include "MidiSynth.h"

#include "export/SoundClip.h"
#include "player/SoundFont.h"

#include <QFile>

#include <fluidsynth.h>

#include <algorithm>

struct MidiSynth::Engine {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;

    ~Engine() {
        if (synth != nullptr) {
            delete_fluid_synth(synth);
        }
        if (settings != nullptr) {
            delete_fluid_settings(settings);
        }
    }
};

namespace {

// One MIDI sound played on the synthesiser until its length.
class MidiClip final : public SoundClip {
public:
    MidiClip(fluid_synth_t* synth, fluid_player_t* player, std::int64_t frames)
        : synth_(synth), player_(player), left_(frames) {}

    ~MidiClip() override {
        fluid_player_stop(player_);
        delete_fluid_player(player_);
        fluid_synth_system_reset(synth_);
    }

    int read(float* out, int frames) override {
        const int count = static_cast<int>(std::min<std::int64_t>(frames, left_));
        if (count <= 0) {
            return 0;
        }
        // The sample timer that drives the sequence runs inside this call.
        if (fluid_synth_write_float(synth_, count, out, 0, 2, out, 1, 2) != FLUID_OK) {
            left_ = 0;
            return 0;
        }
        left_ -= count;
        return count;
    }

private:
    fluid_synth_t* synth_;
    fluid_player_t* player_;
    std::int64_t left_;
};

}  // namespace

MidiSynth::MidiSynth() = default;
MidiSynth::~MidiSynth() = default;

bool MidiSynth::ready() {
    if (tried_) {
        return engine_ != nullptr;
    }
    tried_ = true;
    // FluidSynth's warnings would only clutter the terminal of an export.
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
        fluid_set_log_function(level, nullptr, nullptr);
    }
    auto engine = std::make_unique<Engine>();
    engine->settings = new_fluid_settings();
    if (engine->settings == nullptr) {
        return false;
    }
    fluid_settings_setnum(engine->settings, "synth.sample-rate", SoundClip::kRate);
    engine->synth = new_fluid_synth(engine->settings);
    if (engine->synth == nullptr) {
        return false;
    }
    // SDL_mixer plays music at full volume as gain 1.0.
    fluid_synth_set_gain(engine->synth, 1.0f);
    bool loaded = false;
    for (const QString& font : SoundFont::paths()) {
        loaded = fluid_synth_sfload(engine->synth, QFile::encodeName(font).constData(), 1) !=
                     FLUID_FAILED ||
                 loaded;
    }
    if (!loaded) {
        return false;
    }
    engine_ = std::move(engine);
    return true;
}

std::unique_ptr<SoundClip> MidiSynth::Play(const QByteArray& midi,
                                           std::chrono::microseconds length) {
    if (!ready()) {
        return nullptr;
    }
    fluid_synth_system_reset(engine_->synth);
    fluid_player_t* player = new_fluid_player(engine_->synth);
    if (player == nullptr) {
        return nullptr;
    }
    if (fluid_player_add_mem(player, midi.constData(), static_cast<size_t>(midi.size())) !=
            FLUID_OK ||
        fluid_player_play(player) != FLUID_OK) {
        delete_fluid_player(player);
        return nullptr;
    }
    const std::int64_t frames = length.count() * SoundClip::kRate / 1000000;
    return std::make_unique<MidiClip>(engine_->synth, player, frames);
}
