#pragma once

#include "foundation/YString.h"

#include <cstdint>
#include <memory>

class YAudioPlugin;

// A procedure that lets the automatic gain compensation run on the live audio and
// then takes what it found: the fixed output gain of the "Set" button, or the bank
// values of a multiparameter. It switches the "AGC" switch on, runs its steps one
// after another, each finishing after kWaits waits of kWaitSeconds of running audio,
// and puts the switch back as it was, whether it ends, fails or is cancelled.
//
// Threads: made, polled and cancelled on one thread (the editor's idle, or a tool that
// renders audio between polls). It never waits itself, so the user interface stays
// responsive; the audio keeps running on the host's thread meanwhile. One procedure
// at a time per plug-in.
class YAGCMeasurement {
public:
    static constexpr int32_t kWaits = 40;
    static constexpr double kWaitSeconds = 0.1;
    // "Computing optimal output gain using AGC"
    static const YString& ProgressText();

    // What one kind of procedure does, on the polling thread.
    class Steps {
    public:
        virtual ~Steps() = default;
        virtual int32_t Count() const = 0;
        // Before the waits of a step.
        virtual void Begin(int32_t step) { (void)step; }
        // After its waits. A YException fails the procedure.
        virtual void Finish(int32_t step) = 0;
        // Puts back what Begin and Finish changed (on cancel or failure).
        virtual void Undo() {}
    };

    enum class State { Running, Done, Cancelled, Failed };

    // Starts at time now (seconds on a clock the caller keeps using). Raises when
    // another procedure runs on the plug-in.
    YAGCMeasurement(YAudioPlugin& plugin, std::unique_ptr<Steps> steps, double now);
    // A procedure still running is cancelled.
    ~YAGCMeasurement();
    YAGCMeasurement(const YAGCMeasurement&) = delete;
    YAGCMeasurement& operator=(const YAGCMeasurement&) = delete;

    // The fixed output gain: one step, after which the processor's gain becomes the
    // plug-in's fixed output gain. While it runs the processor's gain is applied
    // instead of the fixed one, so the figure is the whole compensation.
    static std::unique_ptr<YAGCMeasurement> FixedGain(YAudioPlugin& plugin, double now);

    // Advances to time now; answers whether the procedure still runs.
    bool Poll(double now);
    // Stops a running procedure: the switch and everything the steps changed go back.
    void Cancel();
    State GetState() const { return state_; }
    bool Running() const { return state_ == State::Running; }
    // 0..1 over all steps.
    double Progress() const;
    // Why it failed.
    const YString& Error() const { return error_; }

private:
    // Ends the procedure in a final state: undoes on cancel or failure, restores the switch.
    void End(State state);

    YAudioPlugin& plugin_;
    std::unique_ptr<Steps> steps_;
    bool switchWasOn_ = false;
    State state_ = State::Running;
    int32_t step_ = 0;
    int32_t waited_ = 0;
    double stepStart_ = 0.0;
    YString error_;
};
