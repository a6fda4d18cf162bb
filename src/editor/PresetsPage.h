#pragma once

#include "editor/YControl.h"
#include "editor/YTreeControl.h"

#include <functional>
#include <map>
#include <vector>

class YButton;
class YLabel;
class YPanel;
class YPresetManagerBase;
class YXMLItem;

// The user's presets: the preset manager's tree of folders and presets, the current
// preset, and the manager's operations with their questions. A double click (or
// Return) on a preset loads it; a click only selects it, so that the selection can
// take the current settings (Replace) without loading first.
//
// The manager changes the tree and the page shows it again; a preset that a step
// elsewhere (the preset worker, the header) loaded shows at the next Update. Every
// error of the manager is shown in a message and changes nothing.
class PresetsPage : public YControl {
public:
    // confirmations answers whether the replace and delete questions are asked.
    PresetsPage(YPresetManagerBase& presets, std::function<bool()> confirmations);

    // Shows the tree again when the manager has a new one; selects the current preset
    // when its index changed, or always with followCurrent (a preset or a state was
    // loaded). User-interface thread, at the editor's updates.
    void Update(bool followCurrent);
    // Loads the preset steps places on in the manager's order, wrapping around.
    void Step(int32_t steps);
    // The current preset's folders and name; empty without presets.
    const YString& CurrentName() const { return currentName_; }

    // ---- Tests ---------------------------------------------------------------------------------
    YTreeControl& Tree() const { return *tree_; }
    // The manager's node the tree shows at path; null for none.
    const YXMLItem* ItemAt(const YTreeControl::Path& path) const;
    YTreeControl::Path PathTo(const YXMLItem* item) const;
    // The page's button with this text; null for none.
    YButton* Button(const YString& text) const;

protected:
    void Layout() override;

private:
    YButton& AddButton(const YString& text, const YString& tip, std::function<void()> click);
    void Rebuild();
    // The current preset's name; FollowCurrent also selects it.
    void ShowCurrent();
    void FollowCurrent();
    void MakeCurrent(const YXMLItem* preset);
    // Unfolds the branches above the item, selects it and scrolls to it.
    void Reveal(const YXMLItem* item);
    // Runs a manager operation; a failure shows its message. The tree shows the
    // result. False when it failed.
    bool Run(const std::function<void()>& operation);
    void ShowMessage(const YString& message);
    // Asks the question when confirmations are on, then goes on with then on a yes.
    void Confirm(const YString& question, std::function<void()> then);
    // The selected node when it is a preset (or folder); else a message and null.
    const YXMLItem* SelectedPreset();
    const YXMLItem* SelectedFolder();
    // Where new things go: the selected folder, the folder of the selected preset, or
    // null for the root.
    const YXMLItem* TargetFolder() const;
    // base followed by the lowest number (none first when numberFirst is false) that
    // no sibling of the kind in folder has.
    YString FreeName(const YString& base, const YXMLItem* folder, bool isFolder, bool numberFirst) const;
    // The file a folder is exported to or imported from, in the folder last used.
    YString ProposedFile(const YXMLItem* folder) const;
    void RememberFolder(const YString& file);

    void SaveNew();
    void Replace();
    void DeletePreset();
    void NewFolder();
    void RenameFolder();
    void DeleteFolder();
    void ExportFolder();
    void ImportFolder();
    void LoadSelected();

    YPresetManagerBase& presets_;
    std::function<bool()> confirmations_;
    YPanel* treePanel_ = nullptr;
    YPanel* currentPanel_ = nullptr;
    YPanel* presetPanel_ = nullptr;
    YPanel* folderPanel_ = nullptr;
    YTreeControl* tree_ = nullptr;
    YLabel* current_ = nullptr;
    YLabel* currentFolder_ = nullptr;
    std::vector<YButton*> buttons_;
    std::map<YTreeControl::Path, const YXMLItem*> items_;
    uint32_t revision_ = 0;
    int32_t shownIndex_ = -1;
    const YXMLItem* currentItem_ = nullptr;
    YString currentName_;
};

// The header's preset bar: previous and next around the current preset's name.
class PresetBar : public YControl {
public:
    explicit PresetBar(PresetsPage& page);

    YButton& Previous() const { return *previous_; }
    YButton& Next() const { return *next_; }

protected:
    void Layout() override;
    void Sync() override;

private:
    PresetsPage& page_;
    YButton* previous_ = nullptr;
    YButton* next_ = nullptr;
    YLabel* name_ = nullptr;
};
