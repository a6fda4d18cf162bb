#pragma once

#include "editor/YControl.h"
#include "editor/YTextEntry.h"
#include "editor/YTextLayout.h"

#include <functional>
#include <vector>

// A modal question over the whole window: a message (with the help texts' markup) and
// a row of buttons. Return presses the last button, Escape the first. With a field it
// is a prompt: the keys edit the field's text (it never takes the focus, so that
// leaving it by a click on a button cannot commit it).
class YQuestion : public YControl {
public:
    YQuestion(const YString& message, std::vector<YString> buttons);

    // Adds the field under the message, holding text, all selected.
    void AddField(const YString& text);
    // The field's text; empty without a field.
    YString FieldText() const { return field_ ? field_->Text() : YString(); }

    std::function<void(int32_t)> onAnswer;
    YRect ButtonRect(int32_t index) const;
    const YString& Message() const { return message_; }

    bool OnMouseDown(const YMouseEvent& event) override;
    bool OnKey(const YKeyEvent& event) override;

protected:
    void Draw(YCanvas& canvas) override;
    void Layout() override;

private:
    YTextLayout Text() const;
    YRect Box() const;
    float BoxWidth() const;
    float MessageHeight() const;
    void Answer(int32_t index);

    YString message_;
    std::vector<YString> buttons_;
    YTextEntry* field_ = nullptr;
};
