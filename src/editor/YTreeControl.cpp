#include "editor/YTreeControl.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kIndent = 16.0f;

void Flatten(const std::vector<YTreeControl::Node>& nodes, YTreeControl::Path& path, int32_t depth,
             std::vector<YTreeControl::Row>& rows) {
    for (int32_t i = 0; i < static_cast<int32_t>(nodes.size()); ++i) {
        path.push_back(i);
        rows.push_back({path, depth});
        const YTreeControl::Node& node = nodes[static_cast<std::size_t>(i)];
        if (node.expanded) Flatten(node.children, path, depth + 1, rows);
        path.pop_back();
    }
}

}  // namespace

void YTreeControl::SetRoots(std::vector<Node> roots) {
    roots_ = std::move(roots);
    selected_.clear();
    first_ = 0;
    Invalidate();
}

YTreeControl::Node* YTreeControl::Find(const Path& path) {
    std::vector<Node>* level = &roots_;
    Node* node = nullptr;
    for (int32_t index : path) {
        if (index < 0 || index >= static_cast<int32_t>(level->size())) return nullptr;
        node = &(*level)[static_cast<std::size_t>(index)];
        level = &node->children;
    }
    return node;
}

std::vector<YTreeControl::Row> YTreeControl::Rows() const {
    std::vector<Row> rows;
    Path path;
    Flatten(roots_, path, 0, rows);
    return rows;
}

int32_t YTreeControl::VisibleRows() const { return std::max(1, static_cast<int32_t>((Bounds().height - 4.0f) / RowHeight())); }

YRect YTreeControl::RowRect(int32_t row) const {
    return {Bounds().x + 2.0f, Bounds().y + 2.0f + RowHeight() * static_cast<float>(row - first_), Bounds().width - 4.0f,
            RowHeight()};
}

int32_t YTreeControl::RowAt(float y) const {
    const auto row = first_ + static_cast<int32_t>(std::floor((y - Bounds().y - 2.0f) / RowHeight()));
    return row >= first_ && row < first_ + VisibleRows() ? row : -1;
}

void YTreeControl::Select(const Path& path) {
    if (path == selected_) return;
    selected_ = path;
    Invalidate();
    if (onSelect) onSelect(path);
}

void YTreeControl::Layout() { first_ = std::clamp(first_, 0, std::max(0, static_cast<int32_t>(Rows().size()) - VisibleRows())); }

void YTreeControl::ScrollTo(const Path& path) {
    const std::vector<Row> rows = Rows();
    for (int32_t row = 0; row < static_cast<int32_t>(rows.size()); ++row) {
        if (rows[static_cast<std::size_t>(row)].path != path) continue;
        if (row < first_) first_ = row;
        if (row >= first_ + VisibleRows()) first_ = row - VisibleRows() + 1;
        Invalidate();
        return;
    }
}

void YTreeControl::Toggle(const Path& path) {
    Node* node = Find(path);
    if (node == nullptr || node->children.empty()) return;
    node->expanded = !node->expanded;
    Invalidate();
}

bool YTreeControl::OnMouseDown(const YMouseEvent& event) {
    const std::vector<Row> rows = Rows();
    const int32_t row = RowAt(event.y);
    if (row < 0 || row >= static_cast<int32_t>(rows.size())) return false;
    const Row& line = rows[static_cast<std::size_t>(row)];
    const Node* node = Find(line.path);
    const float arrow = Bounds().x + 4.0f + kIndent * static_cast<float>(line.depth);
    const bool branch = node && !node->children.empty();
    if (branch && (event.x < arrow + kIndent || event.clicks >= 2)) {
        Toggle(line.path);
        Select(line.path);
        return false;
    }
    Select(line.path);
    if (event.clicks >= 2 && onActivate) onActivate(line.path);
    return false;
}

bool YTreeControl::OnWheel(const YMouseEvent& event) {
    const auto most = std::max(0, static_cast<int32_t>(Rows().size()) - VisibleRows());
    first_ = std::clamp(first_ - static_cast<int32_t>(std::lround(event.wheel * 3.0f)), 0, most);
    Invalidate();
    return true;
}

bool YTreeControl::OnKey(const YKeyEvent& event) {
    if (event.kind != YKeyEvent::Kind::KeyDown) return false;
    const std::vector<Row> rows = Rows();
    if (rows.empty()) return false;
    int32_t current = 0;
    for (int32_t i = 0; i < static_cast<int32_t>(rows.size()); ++i)
        if (rows[static_cast<std::size_t>(i)].path == selected_) current = i;
    Node* node = Find(selected_);
    switch (event.key) {
        case kKeyUp: current = std::max(0, current - 1); break;
        case kKeyDown: current = std::min(static_cast<int32_t>(rows.size()) - 1, current + 1); break;
        case kKeyRight:
            if (node && !node->children.empty() && !node->expanded) Toggle(selected_);
            return true;
        case kKeyLeft:
            if (node && node->expanded) {
                Toggle(selected_);
            } else if (selected_.size() > 1) {
                Select(Path(selected_.begin(), selected_.end() - 1));
            }
            return true;
        case kKeyReturn:
            if (node && onActivate) onActivate(selected_);
            return true;
        default: return false;
    }
    Select(rows[static_cast<std::size_t>(current)].path);
    if (current < first_) first_ = current;
    if (current >= first_ + VisibleRows()) first_ = current - VisibleRows() + 1;
    return true;
}

void YTreeControl::Draw(YCanvas& canvas) {
    const YStyle& style = Style();
    const YRect box = Bounds();
    canvas.FillRoundRect(box, style.sizes.controlRadius, YPaint::Solid(style.colors.well));
    canvas.StrokeRoundRect(box, style.sizes.controlRadius, 1.0f, style.colors.wellBorder);
    canvas.PushClip(box.Inset(1.0f));
    const std::vector<Row> rows = Rows();
    for (int32_t row = first_; row < static_cast<int32_t>(rows.size()) && row < first_ + VisibleRows(); ++row) {
        const Row& line = rows[static_cast<std::size_t>(row)];
        const Node* node = Find(line.path);
        const YRect rect = RowRect(row);
        const bool selected = line.path == selected_;
        if (selected) canvas.FillRoundRect(rect.Inset(1.0f, 1.0f), 3.0f, YPaint::Solid(style.colors.accentDim));
        const float x = rect.x + 4.0f + kIndent * static_cast<float>(line.depth);
        if (node->branch || !node->children.empty()) {
            const float cx = x + 6.0f, cy = rect.CenterY();
            YPath arrow;
            if (node->expanded) {
                arrow.MoveTo(cx - 4.0f, cy - 2.0f);
                arrow.LineTo(cx + 4.0f, cy - 2.0f);
                arrow.LineTo(cx, cy + 3.0f);
            } else {
                arrow.MoveTo(cx - 2.0f, cy - 4.0f);
                arrow.LineTo(cx + 3.0f, cy);
                arrow.LineTo(cx - 2.0f, cy + 4.0f);
            }
            arrow.Close();
            canvas.FillPath(arrow, YPaint::Solid(style.colors.textDim));
        }
        canvas.Text(node->text, {x + kIndent, rect.y, rect.Right() - x - kIndent, rect.height}, style.type.label,
                    selected ? style.colors.textBright : style.colors.text);
    }
    canvas.PopClip();
}
