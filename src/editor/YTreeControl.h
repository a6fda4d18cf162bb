#pragma once

#include "editor/YControl.h"

#include <functional>
#include <vector>

// A tree of named nodes with folding branches: a click on a branch's arrow (or a
// double click on it) folds or unfolds it, a click selects, a double click on a leaf
// activates it; the arrow keys move, fold and unfold.
class YTreeControl : public YControl {
public:
    struct Node {
        YString text;
        std::vector<Node> children;
        bool expanded = false;
        bool branch = false;  // drawn as a branch even without children (an empty folder)
    };
    // A node's place: the child index at every level.
    using Path = std::vector<int32_t>;

    void SetRoots(std::vector<Node> roots);
    const std::vector<Node>& Roots() const { return roots_; }
    Node* Find(const Path& path);
    const Path& Selected() const { return selected_; }
    void Select(const Path& path);
    // Scrolls the fewest lines that bring the node's line into view (when shown).
    void ScrollTo(const Path& path);
    // The lines shown, in order: each node's path and depth.
    struct Row {
        Path path;
        int32_t depth = 0;
    };
    std::vector<Row> Rows() const;
    float RowHeight() const { return Style().sizes.rowHeight - 2.0f; }
    YRect RowRect(int32_t row) const;

    std::function<void(const Path&)> onSelect;
    std::function<void(const Path&)> onActivate;

    bool OnMouseDown(const YMouseEvent& event) override;
    bool OnWheel(const YMouseEvent& event) override;
    bool OnKey(const YKeyEvent& event) override;

protected:
    void Draw(YCanvas& canvas) override;
    // Scrolls no further than a full last page (a tree scrolled before it had its size).
    void Layout() override;

private:
    int32_t RowAt(float y) const;
    int32_t VisibleRows() const;
    void Toggle(const Path& path);

    std::vector<Node> roots_;
    Path selected_;
    int32_t first_ = 0;
};
