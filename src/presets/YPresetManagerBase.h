#pragma once

#include "foundation/YString.h"
#include "foundation/YSynchronizer.h"
#include "foundation/YXMLItem.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

// The user's presets of one plug-in: a tree of folders ("Directory", "Name") and
// presets ("preset", "name") in one XML file, prefix + "presets.xml", in the maker's
// folder of the user's roaming application data. Presets are stored packed: the
// whole element written compactly, deflated and kept as upper-case hexadecimal text
// with "compressed" = "1"; unpacked presets of older files are packed by the next save.
//
// Threads: the tree is changed on the user-interface thread (the editor, the
// command-line tool); Step and Load may also run on the plug-in's preset worker. The
// manager's own lock guards the tree and the file; it is never held while the owner
// stores or loads settings, so the owner may take its own locks then.
//
// Every change is made on a copy of the tree, which replaces the tree only after the
// file was written: a failing operation (it raises YException) leaves the tree and the
// file as they were. The file is written to a temporary file beside it, which then
// replaces it in one step. Node pointers handed out stay valid until the next change.
class YPresetManagerBase {
public:
    // What the preset window asks (translated before they are shown).
    static constexpr char kPromptNewPreset[] = "Enter name of the new preset";
    static constexpr char kConfirmReplacePreset[] = "Are you sure you want to replace selected preset?";
    static constexpr char kConfirmDeletePreset[] = "Are you sure you want to delete selected preset?";
    static constexpr char kPromptNewFolder[] = "Enter name of the new folder";
    static constexpr char kProposedFolderName[] = "New folder ";
    static constexpr char kPromptRenameFolder[] = "Enter new name of the folder";
    static constexpr char kConfirmDeleteFolder[] =
        "Are you sure you want to delete selected folder including all presets and subfolders?";
    static constexpr char kTitleExportFolder[] = "Export preset directory";
    static constexpr char kTitleImportFolder[] = "Import preset directory";
    static constexpr char kConfirmImportFolder[] =
        "This function will replace remove all presets in selected directory and replace them with presets loaded "
        "from the file. Are you sure you want to continue?";
    static constexpr char kFileFilterName[] = "Preset directories";
    static constexpr char kFileExtension[] = "ypresets";
    static constexpr char kDialogFolderKey[] = "ExportPresets";
    static constexpr char kUnnamedPreset[] = "Unnamed preset";

    YPresetManagerBase() = default;
    virtual ~YPresetManagerBase() = default;
    YPresetManagerBase(const YPresetManagerBase&) = delete;
    YPresetManagerBase& operator=(const YPresetManagerBase&) = delete;

    void SetPrefix(const YString& prefix) { prefix_ = prefix; }
    const YString& Prefix() const { return prefix_; }
    // prefix + "presets": the root element's name.
    YString RootName() const { return prefix_ + YString("presets"); }
    const YString& Path() const { return path_; }

    // Finds the file, merges a file of the same name from the older location (the
    // application-data folder itself) into it and deletes that one, then reads the
    // tree. Never raises: a file that cannot be read gives an empty tree and its
    // message in OpenError (empty when the file was read or did not exist); such a
    // file is kept as path + ".damaged" when the first change is saved.
    void Open();
    const YString& OpenError() const { return openError_; }

    // The tree as it is now (user-interface thread).
    const YXMLItem& Root() const { return *root_; }
    // Counts the trees the manager had: a new value means node pointers went stale and
    // the window should show the tree again.
    uint32_t Revision() const { return revision_.load(); }
    static bool IsFolder(const YXMLItem& item);
    static bool IsPreset(const YXMLItem& item);
    // A folder's "Name"; a preset's "name", or "Unnamed preset" without one.
    static YString NameOf(const YXMLItem& item);
    // Names separated by '/', compared without case; empty (or "/") is the root. Null
    // when a part is missing.
    const YXMLItem* FindFolder(const YString& path) const;
    // The last part names a preset in the folder the other parts name.
    const YXMLItem* FindPreset(const YString& path) const;
    // The folders above item and its name, separated by '/'.
    YString PathOf(const YXMLItem& item) const;

    // The selected node of the window, null for none. Kept across changes.
    const YXMLItem* Selected() const;
    void Select(const YXMLItem* item);

    // ---- Operations of the preset window (user-interface thread) ----------------------
    // A new preset with the current settings at the end of folder (null: the root);
    // selects it. Null when the owner declined to store.
    const YXMLItem* SaveNew(const YString& name, const YXMLItem* folder);
    // The current settings in place of the preset's old content.
    void Replace(const YXMLItem& preset);
    void DeletePreset(const YXMLItem& preset);
    const YXMLItem* NewFolder(const YString& name, const YXMLItem* parent);
    void RenameFolder(const YXMLItem& folder, const YString& name);
    // The folder with everything below it.
    void DeleteFolder(const YXMLItem& folder);
    // The folder (or the root) as an XML document of its own, its presets packed.
    void ExportFolder(const YXMLItem& folder, const YString& file) const;
    // The folder's children replaced by those of the file's root element.
    void ImportFolder(const YXMLItem& folder, const YString& file);
    // Hands the preset, unpacked, to the owner and makes it the current preset.
    void Load(const YXMLItem& preset);

    // ---- Stepping (any thread but the audio thread) ----------------------------------
    // Every preset of the tree: first a folder's own presets in document order, then
    // those of its subfolders, folder by folder.
    std::vector<const YXMLItem*> StepOrder() const;
    // Loads the preset steps places from the current one, wrapping around at both
    // ends. False when there are no presets (nothing happens then).
    bool Step(int32_t steps);
    int32_t CurrentPresetIndex() const { return currentIndex_.load(); }
    void SetCurrentPresetIndex(int32_t index) { currentIndex_ = index; }

    // ---- Merging (presets from older files and from the online exchange) -------------
    // Adds every preset of source (a root or a folder) whose name, without case, is not
    // in the matching folder yet, with "ExchangeIndex" set to exchangeIndex; folders
    // are matched by name and made when missing. Saves when anything was added.
    // Returns the count of presets added.
    int32_t Merge(const YXMLItem& source, int32_t exchangeIndex);

    // ---- Packed content --------------------------------------------------------------
    // Packs a preset element in place (the element, compact, through zlib at level 9,
    // as upper-case hexadecimal text; then only "name" and "compressed" stay).
    static void Pack(YXMLItem& preset);
    // The preset's full element: a copy of an unpacked one, or the packed content
    // read back. Raises the hexadecimal, zlib and XML errors of damaged content.
    static std::unique_ptr<YXMLItem> Unpack(const YXMLItem& preset);
    // Packs every preset with "name" and without "compressed" below root.
    static void PackAll(YXMLItem& root);

protected:
    // The owner's side. Store writes the current settings into a fresh "preset"
    // element (replacing: an existing preset is overwritten); false declines. Load
    // applies the settings of a preset element.
    virtual bool StoreSettings(YXMLItem& preset, bool replacing) = 0;
    virtual void LoadSettings(YXMLItem& preset) = 0;

private:
    using NodePath = std::vector<uint32_t>;

    // The child indices from the root down to item; raises for an item of no tree of
    // this manager.
    NodePath PathTo(const YXMLItem& item) const;
    // Null (Resolve) or "Index out of range." (At) for a path that leads nowhere.
    static YXMLItem* Resolve(YXMLItem& root, const NodePath& path);
    static YXMLItem& At(YXMLItem& root, const NodePath& path);
    // A copy of the tree changed by change, packed, written; then the tree.
    template <typename ChangeFunction>
    void Change(ChangeFunction&& change);
    // Packs and writes a changed copy of the tree, which then becomes the tree.
    void Commit(std::unique_ptr<YXMLItem> copy);
    static int32_t MergeInto(const YXMLItem& source, YXMLItem& destination, int32_t exchangeIndex);
    // The preset, unpacked, under the tree lock; then loaded without it.
    void LoadUnpacked(std::unique_ptr<YXMLItem> preset, int32_t index);

    YString prefix_;
    YString path_;
    YString openError_;
    bool damaged_ = false;
    std::unique_ptr<YXMLItem> root_ = std::make_unique<YXMLItem>(YString("presets"));
    NodePath selection_;
    bool hasSelection_ = false;
    std::atomic<int32_t> currentIndex_{0};
    std::atomic<uint32_t> revision_{0};
    mutable YLock treeLock_;
};
