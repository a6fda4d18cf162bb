#pragma once

#include "editor/YControl.h"

#include <functional>
#include <vector>

// A choice of one item from a list: a field showing the current item that opens the
// list on a click; the wheel steps through the items. An optional caption stands
// above the field.
class YMenu : public YControl {
public:
    YMenu(const YString& caption, std::vector<YString> items) : caption_(caption), items_(std::move(items)) {}

    std::function<int32_t()> selected;       // the current item
    std::function<void(int32_t)> choose;     // the user picked an item
    YString placeholder;                      // shown while no item is current

    const YString& Caption() const { return caption_; }
    const std::vector<YString>& Items() const { return items_; }
    void SetItems(std::vector<YString> items);
    int32_t Shown() const { return shown_; }
    YRect Field() const;
    // Opens the list, as a click does.
    void Open();

    bool OnMouseDown(const YMouseEvent& event) override;
    bool OnWheel(const YMouseEvent& event) override;
    void OnHover(bool inside) override { (void)inside; Invalidate(); }

protected:
    void Draw(YCanvas& canvas) override;
    void Sync() override;

private:
    void Pick(int32_t index);

    YString caption_;
    std::vector<YString> items_;
    int32_t shown_ = -1;
};
