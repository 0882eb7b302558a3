#pragma once
// CPipeWireEqualizer: the equaliser as a filter-chain loaded into this process's PipeWire
// context, on a thread loop of its own. The filter runs only while the equaliser is on and
// the headset's sink exists; it goes when switched off, when the sink goes and when the
// program ends, so nothing stays in the user's sound setup. While it runs and the headset's
// sink was the default, its sink becomes the default (in the "default" metadata, which the
// session manager keeps) and the headset's sink is given back when it goes. A saved
// default that still names the equaliser's sink at start is given back as well.
#include <memory>
#include <mutex>
#include <string>

#include "devices/audio/host_equalizer.h"

namespace audio {

class CPipeWireEqualizer : public CHostEqualizer {
  public:
    CPipeWireEqualizer();
    ~CPipeWireEqualizer() override;

    bool Available(std::string* reason = nullptr) const override;
    void SetHeadsetCard(int cardNumber) override;
    AudioResult SetOn(const EqGains& gains) override;
    AudioResult SetBand(std::size_t band, int gain) override;
    AudioResult SetOff() override;
    bool IsOn() const override;
    EqGains Gains() const override;
    // Whether the filter is loaded now (on, and the headset's sink exists).
    bool IsRunning() const;
    // Whether the server shows the filter's sink (band changes reach it through that node),
    // after waiting a few round trips for it to match whether the filter is loaded.
    bool FilterVisible() const;
    // The default sink the session keeps ("default.configured.audio.sink"), as last seen.
    std::string ConfiguredDefaultSink() const;

    struct State;  // the PipeWire objects and what the registry shows

  private:
    std::unique_ptr<State> state_;
};

}  // namespace audio
