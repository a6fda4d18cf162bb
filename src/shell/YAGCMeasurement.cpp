#include "shell/YAGCMeasurement.h"

#include "foundation/YException.h"
#include "shell/YAudioPlugin.h"

#include <algorithm>
#include <cmath>

namespace {

// The processor's gain after the waits becomes the fixed gain.
class FixedGainSteps : public YAGCMeasurement::Steps {
public:
    explicit FixedGainSteps(YAudioPlugin& plugin) : plugin_(plugin) {}
    int32_t Count() const override { return 1; }
    void Finish(int32_t) override {
        double gain = 0.0;
        {
            YScopedLock processing(plugin_.processingLock);
            gain = plugin_.AGCProcessor().Gain();
        }
        // The processor starts from 0 and never goes below its minimum once it ran.
        if (!(gain >= YAGCProcessor::kMinGain))
            throw YException(YString("No audio passed the plug-in during the measurement."));
        plugin_.SetFixedOutputGain(gain);
    }

private:
    YAudioPlugin& plugin_;
};

}  // namespace

const YString& YAGCMeasurement::ProgressText() {
    static const YString text("Computing optimal output gain using AGC");
    return text;
}

YAGCMeasurement::YAGCMeasurement(YAudioPlugin& plugin, std::unique_ptr<Steps> steps, double now)
    : plugin_(plugin), steps_(std::move(steps)), stepStart_(now) {
    if (!plugin_.BeginAGCMeasurement()) throw YException(YString("A gain measurement is already running."));
    switchWasOn_ = plugin_.AGCEnabled();
    if (!switchWasOn_) plugin_.SetAGCEnabled(true);
    steps_->Begin(0);
}

YAGCMeasurement::~YAGCMeasurement() {
    YGuarded("YAGCMeasurement::~YAGCMeasurement", [&] { Cancel(); });
}

std::unique_ptr<YAGCMeasurement> YAGCMeasurement::FixedGain(YAudioPlugin& plugin, double now) {
    return std::make_unique<YAGCMeasurement>(plugin, std::make_unique<FixedGainSteps>(plugin), now);
}

bool YAGCMeasurement::Poll(double now) {
    if (!Running()) return false;
    // A hair of slack, so that audio time in whole waits counts them all.
    const double waits = std::floor((now - stepStart_) / kWaitSeconds + 1e-6);
    waited_ = static_cast<int32_t>(std::clamp(waits, 0.0, static_cast<double>(kWaits)));
    if (waited_ < kWaits) return true;
    try {
        steps_->Finish(step_);
    } catch (const YException& e) {
        error_ = e.Message();
        End(State::Failed);
        return false;
    }
    if (++step_ >= steps_->Count()) {
        End(State::Done);
        return false;
    }
    waited_ = 0;
    stepStart_ = now;
    steps_->Begin(step_);
    return true;
}

void YAGCMeasurement::Cancel() {
    if (Running()) End(State::Cancelled);
}

double YAGCMeasurement::Progress() const {
    if (state_ == State::Done) return 1.0;
    const int32_t count = std::max(1, steps_->Count());
    return std::min(1.0, (step_ + static_cast<double>(waited_) / kWaits) / count);
}

void YAGCMeasurement::End(State state) {
    state_ = state;
    if (state != State::Done) steps_->Undo();
    if (plugin_.AGCEnabled() != switchWasOn_) plugin_.SetAGCEnabled(switchWasOn_);
    plugin_.EndAGCMeasurement();
}
