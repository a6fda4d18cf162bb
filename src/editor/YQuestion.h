#pragma once

#include "editor/YControl.h"
#include "editor/YTextLayout.h"

#include <functional>
#include <vector>

// A modal question over the whole window: a message (with the help texts' markup) and
// a row of buttons. Return presses the last button, Escape the first.
class YQuestion : public YControl {
public:
    YQuestion(const YString& message, std::vector<YString> buttons);

    std::function<void(int32_t)> onAnswer;
    YRect ButtonRect(int32_t index) const;
    const YString& Message() const { return message_; }

    bool OnMouseDown(const YMouseEvent& event) override;
    bool OnKey(const YKeyEvent& event) override;

protected:
    void Draw(YCanvas& canvas) override;

private:
    YTextLayout Text() const;
    YRect Box() const;
    void Answer(int32_t index);

    YString message_;
    std::vector<YString> buttons_;
};
