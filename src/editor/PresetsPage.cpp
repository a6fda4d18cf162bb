#include "editor/PresetsPage.h"

#include "editor/YButton.h"
#include "editor/YLabel.h"
#include "editor/YPanel.h"
#include "editor/YWindow.h"
#include "foundation/YException.h"
#include "foundation/YFile.h"
#include "foundation/YFormat.h"
#include "presets/YPresetManagerBase.h"
#include "shell/YConfiguration.h"

#include <algorithm>
#include <memory>
#include <set>
#include <utility>

namespace {

using Manager = YPresetManagerBase;
constexpr float kColumnWidth = 300.0f;

// The folder part of a file's path (up to its last separator of either kind).
// The paths (names joined by '/') of the unfolded branches.
void CollectExpanded(const std::vector<YTreeControl::Node>& nodes, const YString& above, std::set<YString>& expanded) {
    for (const YTreeControl::Node& node : nodes) {
        const YString path = above + YString("/") + node.text;
        if (node.expanded) expanded.insert(path);
        CollectExpanded(node.children, path, expanded);
    }
}

}  // namespace

PresetsPage::PresetsPage(YPresetManagerBase& presets, std::function<bool()> confirmations)
    : presets_(presets), confirmations_(std::move(confirmations)) {
    treePanel_ = &Add<YPanel>(YString("PRESETS"));
    tree_ = &Add<YTreeControl>();
    tree_->help = "<name>Presets</name>: click to select, double-click (or Return) to load a preset; a folder's arrow folds it.";
    tree_->onSelect = [this](const YTreeControl::Path& path) { presets_.Select(ItemAt(path)); };
    tree_->onActivate = [this](const YTreeControl::Path&) { LoadSelected(); };

    currentPanel_ = &Add<YPanel>(YString("CURRENT PRESET"));
    current_ = &Add<YLabel>(YString(), YLabel::Role::Bright);
    currentFolder_ = &Add<YLabel>(YString(), YLabel::Role::Dim);
    AddButton("Previous", "<name>Previous</name> loads the preset before the current one (the last after the first).",
              [this] { Step(-1); });
    AddButton("Next", "<name>Next</name> loads the preset after the current one (the first after the last).",
              [this] { Step(1); });

    presetPanel_ = &Add<YPanel>(YString("PRESET"));
    AddButton("Load", "<name>Load</name> the selected preset: its settings replace the current ones.", [this] { LoadSelected(); });
    AddButton("Save new", "<name>Save new</name>: the current settings as a new preset in the selected folder.",
              [this] { SaveNew(); });
    AddButton("Replace", "<name>Replace</name> the selected preset's settings with the current ones.", [this] { Replace(); });
    AddButton("Delete", "<name>Delete</name> the selected preset.", [this] { DeletePreset(); });

    folderPanel_ = &Add<YPanel>(YString("FOLDER"));
    AddButton("New folder", "<name>New folder</name> inside the selected folder.", [this] { NewFolder(); });
    AddButton("Rename folder", "<name>Rename folder</name>: a new name for the selected folder.", [this] { RenameFolder(); });
    AddButton("Export folder", "<name>Export folder</name>: the selected folder (or every preset) into a \".ypresets\" file.",
              [this] { ExportFolder(); });
    AddButton("Import folder", "<name>Import folder</name>: the selected folder's content replaced by a \".ypresets\" file's.",
              [this] { ImportFolder(); });
    AddButton("Delete folder", "<name>Delete folder</name>: the selected folder with its presets and subfolders.",
              [this] { DeleteFolder(); });
    Update(true);
}

YButton& PresetsPage::AddButton(const YString& text, const YString& tip, std::function<void()> click) {
    YButton& button = Add<YButton>(text);
    button.help = tip;
    button.onClick = std::move(click);
    buttons_.push_back(&button);
    return button;
}

YButton* PresetsPage::Button(const YString& text) const {
    for (YButton* button : buttons_)
        if (button->Text() == text) return button;
    return nullptr;
}

// ---- Showing the tree -----------------------------------------------------------------------------

void PresetsPage::Update(bool followCurrent) {
    if (presets_.Revision() != revision_) {
        Rebuild();
        ShowCurrent();
    }
    if (followCurrent || presets_.CurrentPresetIndex() != shownIndex_) FollowCurrent();
}

void PresetsPage::Rebuild() {
    std::set<YString> expanded;
    CollectExpanded(tree_->Roots(), YString(), expanded);
    items_.clear();
    YTreeControl::Path path;
    std::function<void(const YXMLItem&, const YString&, std::vector<YTreeControl::Node>&)> add =
        [&](const YXMLItem& folder, const YString& above, std::vector<YTreeControl::Node>& nodes) {
            for (uint32_t i = 0; i < folder.GetSubItemCount(); ++i) {
                const YXMLItem& child = *folder.GetSubItemAt(i);
                if (!Manager::IsFolder(child) && !Manager::IsPreset(child)) continue;
                YTreeControl::Node node;
                node.text = Manager::NameOf(child);
                path.push_back(static_cast<int32_t>(nodes.size()));
                items_[path] = &child;
                if (Manager::IsFolder(child)) {
                    const YString name = above + YString("/") + node.text;
                    node.branch = true;
                    node.expanded = expanded.count(name) > 0;
                    add(child, name, node.children);
                }
                path.pop_back();
                nodes.push_back(std::move(node));
            }
        };
    std::vector<YTreeControl::Node> roots;
    add(presets_.Root(), YString(), roots);
    revision_ = presets_.Revision();
    tree_->SetRoots(std::move(roots));
    Reveal(presets_.Selected());
}

const YXMLItem* PresetsPage::ItemAt(const YTreeControl::Path& path) const {
    const auto found = items_.find(path);
    return found == items_.end() ? nullptr : found->second;
}

YTreeControl::Path PresetsPage::PathTo(const YXMLItem* item) const {
    for (const auto& [path, shown] : items_)
        if (shown == item) return path;
    return {};
}

void PresetsPage::Reveal(const YXMLItem* item) {
    const YTreeControl::Path path = PathTo(item);
    if (path.empty()) return;
    for (std::size_t depth = 1; depth < path.size(); ++depth)
        tree_->Find(YTreeControl::Path(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(depth)))->expanded = true;
    tree_->Select(path);
    tree_->ScrollTo(path);
}

void PresetsPage::ShowCurrent() {
    const int32_t index = presets_.CurrentPresetIndex();
    const std::vector<const YXMLItem*> order = presets_.StepOrder();
    const YXMLItem* current = index >= 0 && index < static_cast<int32_t>(order.size()) ? order[static_cast<std::size_t>(index)] : nullptr;
    currentName_ = current ? presets_.PathOf(*current) : YString();
    current_->SetText(current ? Manager::NameOf(*current) : TranslateText("No presets yet: save one."));
    const YString folder = YFile::FolderOf(currentName_);
    currentFolder_->SetText(current == nullptr ? YString() : folder.IsEmpty() ? TranslateText("Top level") : folder);
    shownIndex_ = index;
    currentItem_ = current;
}

void PresetsPage::FollowCurrent() {
    ShowCurrent();
    if (currentItem_) Reveal(currentItem_);
}

// ---- Running operations --------------------------------------------------------------------------

bool PresetsPage::Run(const std::function<void()>& operation) {
    bool done = true;
    try {
        operation();
    } catch (const YException& e) {
        ShowMessage(e.Message());
        done = false;
    }
    if (presets_.Revision() != revision_) {
        Rebuild();
        ShowCurrent();
    }
    return done;
}

void PresetsPage::ShowMessage(const YString& message) {
    if (Window()) Window()->Ask(message, {"OK"}, nullptr);
}

void PresetsPage::Confirm(const YString& question, std::function<void()> then) {
    if (!confirmations_ || !confirmations_() || Window() == nullptr) {
        then();
        return;
    }
    Window()->Ask(TranslateText(question), {"No", "Yes"}, [then](int32_t answer) {
        if (answer == 1) then();
    });
}

const YXMLItem* PresetsPage::SelectedPreset() {
    const YXMLItem* item = presets_.Selected();
    if (item && Manager::IsPreset(*item)) return item;
    ShowMessage(TranslateText("Select a preset first."));
    return nullptr;
}

const YXMLItem* PresetsPage::SelectedFolder() {
    const YXMLItem* item = presets_.Selected();
    if (item && Manager::IsFolder(*item)) return item;
    ShowMessage(TranslateText("Select a folder first."));
    return nullptr;
}

const YXMLItem* PresetsPage::TargetFolder() const {
    const YXMLItem* item = presets_.Selected();
    if (item && Manager::IsPreset(*item)) item = item->GetParent();
    return item && Manager::IsFolder(*item) ? item : nullptr;
}

YString PresetsPage::FreeName(const YString& base, const YXMLItem* folder, bool isFolder, bool numberFirst) const {
    const YXMLItem& parent = folder ? *folder : presets_.Root();
    const auto taken = [&](const YString& name) {
        for (uint32_t i = 0; i < parent.GetSubItemCount(); ++i) {
            const YXMLItem& child = *parent.GetSubItemAt(i);
            if ((isFolder ? Manager::IsFolder(child) : Manager::IsPreset(child)) && YString::EqualsNoCase(Manager::NameOf(child), name))
                return true;
        }
        return false;
    };
    if (!numberFirst && !taken(base)) return base;
    const YString numbered = numberFirst ? base : base + YString(" ");
    for (int32_t number = numberFirst ? 1 : 2;; ++number) {
        const YString name = numbered + YFormat("{0}").Arg(number);
        if (!taken(name)) return name;
    }
}

YString PresetsPage::ProposedFile(const YXMLItem* folder) const {
    YString place;
    const std::unique_ptr<YXMLItem> configuration = YConfiguration::Read(YConfiguration::File::Plugin);
    if (const YString* remembered = configuration->FindAttribute(Manager::kDialogFolderKey)) place = *remembered;
    if (place.IsEmpty()) {
        try {
            place = YFile::GetSystemPath(YFile::SystemFolder::UserDocuments);
        } catch (const YException&) {
            // No documents folder: the name alone, in the host's current folder.
        }
    }
    const YString name = (folder ? Manager::NameOf(*folder) : presets_.Prefix() + YString(" presets")) + YString(".") +
                         YString(Manager::kFileExtension);
    return place.IsEmpty() ? name : YFile::Join(place, name);
}

// ---- The operations ------------------------------------------------------------------------------

void PresetsPage::LoadSelected() {
    const YXMLItem* preset = SelectedPreset();
    if (preset == nullptr) return;
    Run([&] { presets_.Load(*preset); });
    FollowCurrent();
}

void PresetsPage::Step(int32_t steps) {
    Run([&] { presets_.Step(steps); });
    FollowCurrent();
}

void PresetsPage::MakeCurrent(const YXMLItem* preset) {
    const std::vector<const YXMLItem*> order = presets_.StepOrder();
    const auto found = std::find(order.begin(), order.end(), preset);
    if (found != order.end()) presets_.SetCurrentPresetIndex(static_cast<int32_t>(found - order.begin()));
    ShowCurrent();
}

void PresetsPage::SaveNew() {
    if (Window() == nullptr) return;
    const YString proposed = FreeName(TranslateText(Manager::kUnnamedPreset), TargetFolder(), false, false);
    Window()->Prompt(TranslateText(Manager::kPromptNewPreset), proposed, [this](const YString& name) {
        const YXMLItem* saved = nullptr;
        Run([&] { saved = presets_.SaveNew(name, TargetFolder()); });
        // Its settings are the current ones.
        if (saved) MakeCurrent(saved);
    });
}

void PresetsPage::Replace() {
    if (SelectedPreset() == nullptr) return;
    Confirm(Manager::kConfirmReplacePreset, [this] {
        const YXMLItem* preset = SelectedPreset();
        if (preset == nullptr) return;
        if (Run([&] { presets_.Replace(*preset); })) MakeCurrent(presets_.Selected());
    });
}

void PresetsPage::DeletePreset() {
    if (SelectedPreset() == nullptr) return;
    Confirm(Manager::kConfirmDeletePreset, [this] {
        if (const YXMLItem* preset = SelectedPreset()) Run([&] { presets_.DeletePreset(*preset); });
    });
}

void PresetsPage::NewFolder() {
    if (Window() == nullptr) return;
    const YString proposed = FreeName(TranslateText(Manager::kProposedFolderName), TargetFolder(), true, true);
    Window()->Prompt(TranslateText(Manager::kPromptNewFolder), proposed, [this](const YString& name) {
        Run([&] { presets_.Select(presets_.NewFolder(name, TargetFolder())); });
    });
}

void PresetsPage::RenameFolder() {
    const YXMLItem* folder = SelectedFolder();
    if (folder == nullptr || Window() == nullptr) return;
    Window()->Prompt(TranslateText(Manager::kPromptRenameFolder), Manager::NameOf(*folder), [this](const YString& name) {
        if (const YXMLItem* renamed = SelectedFolder()) Run([&] { presets_.RenameFolder(*renamed, name); });
    });
}

void PresetsPage::DeleteFolder() {
    if (SelectedFolder() == nullptr) return;
    Confirm(Manager::kConfirmDeleteFolder, [this] {
        if (const YXMLItem* folder = SelectedFolder()) Run([&] { presets_.DeleteFolder(*folder); });
    });
}

void PresetsPage::ExportFolder() {
    if (Window() == nullptr) return;
    Window()->Prompt(TranslateText(Manager::kTitleExportFolder), ProposedFile(TargetFolder()), [this](const YString& typed) {
        YString file = typed.Trimmed();
        const YString extension = YString(".") + YString(Manager::kFileExtension);
        const bool hasExtension = file.Length() >= extension.Length() &&
                                  YString::EqualsNoCase(file.Substring(file.Length() - extension.Length()), extension);
        if (!file.IsEmpty() && !hasExtension) file = file + extension;
        Run([&] {
            if (file.IsEmpty()) throw YException(TranslateText("The file needs a name."));
            const YXMLItem* folder = TargetFolder();
            presets_.ExportFolder(folder ? *folder : presets_.Root(), file);
            RememberFolder(file);
        });
    });
}

void PresetsPage::ImportFolder() {
    const YXMLItem* folder = SelectedFolder();
    if (folder == nullptr || Window() == nullptr) return;
    Window()->Prompt(TranslateText(Manager::kTitleImportFolder), ProposedFile(folder), [this](const YString& typed) {
        const YString file = typed.Trimmed();
        Confirm(Manager::kConfirmImportFolder, [this, file] {
            if (const YXMLItem* target = SelectedFolder()) Run([&] {
                presets_.ImportFolder(*target, file);
                RememberFolder(file);
            });
        });
    });
}

void PresetsPage::RememberFolder(const YString& file) {
    const YString folder = YFile::FolderOf(file);
    if (!folder.IsEmpty()) YConfiguration::WriteText(YConfiguration::File::Plugin, Manager::kDialogFolderKey, folder);
}

// ---- Layout ------------------------------------------------------------------------------------------

void PresetsPage::Layout() {
    const YStyle& style = Style();
    const float row = style.sizes.rowHeight, spacing = 8.0f;
    // A panel's height around content of this height.
    const auto around = [&](float content) { return content + 1.5f * style.sizes.padding + style.sizes.panelTitle; };
    YRect rest = Bounds();
    YRect column = rest.TakeRight(kColumnWidth, style.sizes.gap);
    treePanel_->SetBounds(rest);
    tree_->SetBounds(treePanel_->Content());

    // Buttons two to a row, in the order they were made from the first.
    std::size_t next = 0;
    const auto rows = [&](YRect area, int32_t count) {
        for (int32_t i = 0; i < count; i += 2) {
            YRect line = area.TakeTop(row, spacing);
            const float half = (line.width - spacing) * 0.5f;
            buttons_[next++]->SetBounds(line.TakeLeft(half, spacing));
            if (i + 1 < count) buttons_[next++]->SetBounds(line);
        }
    };
    currentPanel_->SetBounds(column.TakeTop(around(21.0f + style.sizes.labelHeight + 10.0f + row), style.sizes.gap));
    YRect current = currentPanel_->Content();
    current_->SetBounds(current.TakeTop(21.0f));
    currentFolder_->SetBounds(current.TakeTop(style.sizes.labelHeight, 10.0f));
    rows(current, 2);
    presetPanel_->SetBounds(column.TakeTop(around(2.0f * row + spacing), style.sizes.gap));
    rows(presetPanel_->Content(), 4);
    folderPanel_->SetBounds(column.TakeTop(around(3.0f * row + 2.0f * spacing), style.sizes.gap));
    rows(folderPanel_->Content(), 5);
}

// ---- The header's bar ----------------------------------------------------------------------------------

PresetBar::PresetBar(PresetsPage& page) : page_(page) {
    previous_ = &Add<YButton>(YString("<"));
    previous_->help = "<name>Previous preset</name>: loads the preset before the current one.";
    previous_->onClick = [this] { page_.Step(-1); };
    name_ = &Add<YLabel>(YString(), YLabel::Role::Normal, YCanvas::Align::Center);
    name_->help = "The current preset; the <name>Presets</name> page shows them all.";
    next_ = &Add<YButton>(YString(">"));
    next_->help = "<name>Next preset</name>: loads the preset after the current one.";
    next_->onClick = [this] { page_.Step(1); };
}

void PresetBar::Layout() {
    YRect rest = Bounds();
    const float side = Style().sizes.rowHeight + 2.0f;
    previous_->SetBounds(rest.TakeLeft(side, 4.0f));
    next_->SetBounds(rest.TakeRight(side, 4.0f));
    name_->SetBounds(rest);
}

void PresetBar::Sync() { name_->SetText(page_.CurrentName().IsEmpty() ? TranslateText("No preset") : page_.CurrentName()); }
