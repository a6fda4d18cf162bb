#pragma once

#include "editor/YValueControl.h"

// A horizontal control: name and value text on one line, the track below it.
// Dragging right turns it up; the whole track is the whole range.
class YSlider : public YValueControl {
public:
    YSlider(std::unique_ptr<YValueModel> model, const YString& name, bool bipolar = false)
        : YValueControl(std::move(model), name), bipolar_(bipolar) {}

    YRect ValueRect() const override;
    YRect Track() const;

protected:
    void Draw(YCanvas& canvas) override;
    float Travel(const YMouseEvent& from, const YMouseEvent& to) const override;

private:
    bool bipolar_;
};
