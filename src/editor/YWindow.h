#pragma once

#include "editor/YCanvas.h"
#include "editor/YControl.h"
#include "editor/YPixelBuffer.h"
#include "editor/YStyle.h"
#include "foundation/YString.h"

#include <functional>
#include <memory>
#include <vector>

// The top of a control tree: owns the pixels the controls paint into, routes mouse
// and key events to the controls, keeps the region that needs repainting, and shows
// popups (menus, text entry, questions) above everything. It knows no window system:
// a platform window hands it events in logical units and copies its pixels to the
// screen; headless, the pixels go to a PNG. User-interface thread only.
class YQuestion;

class YWindow {
public:
    explicit YWindow(const YStyle& style = YStyle::Dark());
    ~YWindow();
    YWindow(const YWindow&) = delete;
    YWindow& operator=(const YWindow&) = delete;

    const YStyle& Style() const { return style_; }
    void SetRoot(std::unique_ptr<YControl> root);
    YControl& Root() { return *root_; }

    // Logical size and the screen's density; the pixels are their product.
    void SetSize(float width, float height, float scale);
    float Width() const { return width_; }
    float Height() const { return height_; }
    float Scale() const { return scale_; }
    const YPixelBuffer& Pixels() const { return pixels_; }

    void Invalidate(const YRect& area);
    void InvalidateAll() { Invalidate({0.0f, 0.0f, width_, height_}); }
    bool NeedsPaint() const { return !dirty_.empty(); }
    // Repaints what was invalidated; answers the areas (logical units; none when
    // nothing needed painting).
    std::vector<YRect> Paint();
    // Every text painted from now on is also listed in record (null stops it).
    void RecordTexts(std::vector<YCanvas::DrawnText>* record) { record_ = record; }
    // Lets every visible control re-read its model.
    void Sync();

    // ---- Events from the platform window, in logical units --------------------------------
    void MouseDown(const YMouseEvent& event);
    void MouseMove(const YMouseEvent& event);
    void MouseUp(const YMouseEvent& event);
    void MouseLeave();
    void Wheel(const YMouseEvent& event);
    // True when a control took the key (else the host may use it).
    bool Key(const YKeyEvent& event);

    // ---- Focus, help and popups ----------------------------------------------------------------
    void SetFocus(YControl* control);
    YControl* Focus() const { return focus_; }
    const YString& HelpText() const { return helpText_; }
    // The control that shows the help text; repainted when the text changes.
    void SetHelpLine(YControl* helpLine) { helpLine_ = helpLine; }
    void SetHelpText(const YString& text);

    // Shows a control above the tree; a modal one takes every event, a plain one
    // closes when the mouse goes down outside it.
    void OpenPopup(std::unique_ptr<YControl> popup, bool modal);
    void ClosePopup(YControl* popup);
    bool HasPopup() const { return !popups_.empty(); }
    YControl* TopPopup() const { return popups_.empty() ? nullptr : popups_.back().control.get(); }
    // A one-line text field over area, holding text (selected); Return or a click
    // elsewhere hands the typed text to commit, Escape drops it.
    void EditText(const YRect& area, const YString& text, const YFontStyle& font,
                  std::function<void(const YString&)> commit);
    // A list of items below (or above) anchor; choose gets the picked index.
    void OpenMenu(const YRect& anchor, const std::vector<YString>& items, int32_t selected,
                  std::function<void(int32_t)> choose);
    // A modal question with buttons; answer gets the index of the pressed button.
    void Ask(const YString& question, const std::vector<YString>& buttons, std::function<void(int32_t)> answer);
    // A modal question with a text field holding text and the buttons "Cancel" and
    // "OK"; answer gets the typed text after OK.
    void Prompt(const YString& question, const YString& text, std::function<void(const YString&)> answer);

    // A control is going away or hiding: no more events for it.
    void Forget(YControl* control);

private:
    struct Popup {
        std::unique_ptr<YControl> control;
        bool modal = false;
    };

    void OpenQuestion(std::unique_ptr<YQuestion> dialog, std::function<void(YQuestion&, int32_t)> answer);
    YControl* HitTest(float x, float y);
    void UpdateHover(float x, float y);
    void DropClosed();

    const YStyle& style_;
    float width_ = 0.0f, height_ = 0.0f, scale_ = 1.0f;
    YPixelBuffer pixels_;
    std::vector<YRect> dirty_;  // a few areas; overlapping ones are merged
    std::vector<YCanvas::DrawnText>* record_ = nullptr;
    YControl* capture_ = nullptr;
    YControl* hover_ = nullptr;
    YControl* focus_ = nullptr;
    YControl* helpLine_ = nullptr;
    YString helpText_;
    std::vector<Popup> popups_;
    std::vector<std::unique_ptr<YControl>> closed_;  // popups closed during an event, freed after it
    std::unique_ptr<YControl> root_;
};
