#pragma once

#include "editor/YCanvas.h"
#include "editor/YGeometry.h"
#include "editor/YStyle.h"
#include "foundation/YString.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class YWindow;

// Modifier bits of mouse and key events (Shift is the bit the VST 2.4 key
// translation uses).
enum YModifier : uint32_t {
    kModifierShift = 64,
    kModifierControl = 128,
    kModifierAlt = 256,
    kModifierCommand = 512,
};

// Windows virtual key codes, which the bindings' key translation produces.
enum YKey : int32_t {
    kKeyBack = 8, kKeyTab = 9, kKeyReturn = 13, kKeyEscape = 27, kKeySpace = 32, kKeyPageUp = 33, kKeyPageDown = 34,
    kKeyEnd = 35, kKeyHome = 36, kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40, kKeyDelete = 46,
};

struct YMouseEvent {
    float x = 0.0f, y = 0.0f;  // logical units, window coordinates
    uint32_t modifiers = 0;
    int32_t button = 0;  // 0 left, 1 right, 2 middle
    int32_t clicks = 1;  // 2 for the second press of a double click
    float wheel = 0.0f;  // notches, positive away from the user

    bool Fine() const { return (modifiers & (kModifierShift | kModifierControl)) != 0; }
};

struct YKeyEvent {
    enum class Kind { Character, KeyDown, KeyUp };
    Kind kind = Kind::KeyDown;
    char16_t character = 0;  // Character events
    int32_t key = 0;         // KeyDown and KeyUp: a YKey or the Windows code of a letter or digit
    uint32_t modifiers = 0;
};

// A rectangle of the editor that draws itself and takes events; controls form a tree
// whose root a YWindow holds. Everything runs on the user-interface thread.
class YControl {
public:
    YControl() = default;
    virtual ~YControl();
    YControl(const YControl&) = delete;
    YControl& operator=(const YControl&) = delete;

    template <class Control, class... Arguments>
    Control& Add(Arguments&&... arguments) {
        auto child = std::make_unique<Control>(std::forward<Arguments>(arguments)...);
        Control& added = *child;
        Adopt(std::move(child));
        return added;
    }
    void Adopt(std::unique_ptr<YControl> child);
    YControl* Parent() const { return parent_; }
    const std::vector<std::unique_ptr<YControl>>& Children() const { return children_; }
    YWindow* Window() const { return window_; }
    const YStyle& Style() const;

    const YRect& Bounds() const { return bounds_; }
    // Moves the control and lets it place its children.
    void SetBounds(const YRect& bounds);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // The help text (with "<name>" markup) the help line shows over this control.
    YString help;

    // Asks the window to repaint this control, or a part of it.
    void Invalidate();
    void Invalidate(const YRect& part);
    // Visible itself and every ancestor.
    bool Shown() const;
    void DrawTree(YCanvas& canvas);
    // The deepest visible, enabled control at a point, this one if no child is.
    YControl* HitTest(float x, float y);
    // Re-reads what the control shows from its model; repaints when it changed.
    void SyncTree();

    // Events; the mouse handlers answer whether they took the press (the window then
    // sends the drags and the release to this control).
    virtual bool OnMouseDown(const YMouseEvent& event) { (void)event; return false; }
    virtual void OnMouseDrag(const YMouseEvent& event) { (void)event; }
    virtual void OnMouseUp(const YMouseEvent& event) { (void)event; }
    virtual void OnMouseMove(const YMouseEvent& event) { (void)event; }
    virtual bool OnWheel(const YMouseEvent& event) { (void)event; return false; }
    virtual bool OnKey(const YKeyEvent& event) { (void)event; return false; }
    virtual void OnHover(bool inside) { (void)inside; }
    virtual void OnFocus(bool focused) { (void)focused; }
    // The help text for a point inside the control; the nearest ancestor's help when
    // the control has none.
    virtual YString HelpAt(float x, float y) const;

protected:
    virtual void Draw(YCanvas& canvas) { (void)canvas; }
    // Places the children inside the bounds.
    virtual void Layout() {}
    virtual void Sync() {}
    // Whether the point hits the control itself (not only its rectangle).
    virtual bool Hits(float x, float y) const { return bounds_.Contains(x, y); }
    bool Hovered() const { return hovered_; }

private:
    friend class YWindow;
    void AttachTo(YWindow* window);

    YRect bounds_;
    bool visible_ = true;
    bool enabled_ = true;
    bool hovered_ = false;
    YControl* parent_ = nullptr;
    YWindow* window_ = nullptr;
    std::vector<std::unique_ptr<YControl>> children_;
};
