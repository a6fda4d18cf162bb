#pragma once

#include "editor/YControl.h"
#include "editor/YValueModel.h"

#include <functional>
#include <memory>
#include <vector>

// The phaser's sweep over one LFO period on a logarithmic frequency scale (20 Hz to
// 20 kHz upwards, the period across): the band between the minimum and the maximum
// frequency, the path the notches take, and where each channel is now. Dragging the
// band's lower or upper edge sets the minimum or the maximum.
class YSweepView : public YControl {
public:
    static constexpr double kLowHz = 20.0;
    static constexpr double kHighHz = 20000.0;

    YSweepView(std::unique_ptr<YValueModel> minimum, std::unique_ptr<YValueModel> maximum);

    // The sweep in hertz at evenly spaced phases of one period, and the current
    // positions (phase, hertz) of the channels.
    void SetSweep(std::vector<float> hertz);
    void SetMarkers(std::vector<YPoint> markers);
    // Where a frequency lies on the scale, and back.
    float YOf(double hertz) const;
    double HertzAt(float y) const;
    // The band's edges: the stored minimum and maximum in hertz.
    double MinimumHz() const;
    double MaximumHz() const;

    bool OnMouseDown(const YMouseEvent& event) override;
    void OnMouseDrag(const YMouseEvent& event) override;
    void OnMouseUp(const YMouseEvent& event) override;
    YString HelpAt(float x, float y) const override;

protected:
    void Draw(YCanvas& canvas) override;
    void Sync() override;

private:
    YRect Plot() const;
    YValueModel* EdgeNear(float y) const;

    std::unique_ptr<YValueModel> minimum_, maximum_;
    std::vector<float> sweep_;
    std::vector<YPoint> markers_;
    YValueModel* dragging_ = nullptr;
    double shownMinimum_ = -1.0, shownMaximum_ = -1.0;
};
