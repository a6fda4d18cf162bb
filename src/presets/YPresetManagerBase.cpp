#include "presets/YPresetManagerBase.h"

#include "foundation/YBinaryText.h"
#include "foundation/YException.h"
#include "foundation/YFile.h"
#include "foundation/YFormat.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "foundation/YZLibStream.h"

#include <algorithm>
#include <utility>

namespace {

const YString kFolder = "Directory";
const YString kFolderName = "Name";
const YString kPreset = "preset";
const YString kPresetName = "name";
const YString kCompressed = "compressed";
const YString kExchangeIndex = "ExchangeIndex";

// The file written safely (YXMLDocument::WriteFile), in a folder made when missing.
void WriteDocument(const YXMLItem& root, const YString& path) {
    const YString folder = YFile::FolderOf(path);
    if (!folder.IsEmpty()) YFile::CreatePath(folder);
    YXMLDocument::WriteFile(root, path);
}

const YString& RawName(const YXMLItem& preset) {
    static const YString none;
    const YString* name = preset.FindAttribute(kPresetName);
    return name ? *name : none;
}

YString CheckedName(const YString& name, const YString& what) {
    const YString trimmed = name.Trimmed();
    if (trimmed.IsEmpty()) throw YException(TranslateText(what));
    return trimmed;
}

}  // namespace

bool YPresetManagerBase::IsFolder(const YXMLItem& item) { return item.GetName() == kFolder; }

bool YPresetManagerBase::IsPreset(const YXMLItem& item) { return item.GetName() == kPreset; }

YString YPresetManagerBase::NameOf(const YXMLItem& item) {
    if (IsPreset(item)) {
        const YString* name = item.FindAttribute(kPresetName);
        return name ? *name : TranslateText(kUnnamedPreset);
    }
    const YString* name = item.FindAttribute(kFolderName);
    return name ? *name : YString();
}

// ---- Opening --------------------------------------------------------------------------

void YPresetManagerBase::Open() {
    YScopedLock lock(treeLock_);
    openError_.Clear();
    damaged_ = false;
    hasSelection_ = false;
    root_ = std::make_unique<YXMLItem>(RootName());
    const YString name = prefix_ + YString("presets.xml");
    try {
        const YString folder = YFile::GetSystemPath(YFile::SystemFolder::UserData);
        path_ = YFile::Join(folder, name);
        if (YFile::Exists(path_)) {
            try {
                std::unique_ptr<YXMLItem> root = YXMLDocument::ReadFile(path_);
                root->SetName(RootName());
                root_ = std::move(root);
            } catch (const YException& e) {
                openError_ = e.Message();
                damaged_ = true;
            }
        }
        // Versions before the maker's folder kept the file in the application-data
        // folder itself. It goes only once its presets are safely in the new file.
        const YString older = YFile::Join(YFile::FolderOf(folder), name);
        if (!damaged_ && YFile::Exists(older) && !YFile::IsDirectory(older)) {
            std::unique_ptr<YXMLItem> source = YXMLDocument::ReadFile(older);
            std::unique_ptr<YXMLItem> copy = root_->Clone();
            if (MergeInto(*source, *copy, 0) > 0) Commit(std::move(copy));
            YFile::Delete(older);
        }
    } catch (const YException& e) {
        if (openError_.IsEmpty()) openError_ = e.Message();
    }
    ++revision_;
}

// ---- Finding nodes ---------------------------------------------------------------------

const YXMLItem* YPresetManagerBase::FindFolder(const YString& path) const {
    const YXMLItem* folder = root_.get();
    uint32_t start = 0;
    while (start < path.Length()) {
        int64_t end = path.Find(u'/', start);
        if (end < 0) end = path.Length();
        const YString part = path.Substring(start, static_cast<uint32_t>(end) - start);
        start = static_cast<uint32_t>(end) + 1;
        if (part.IsEmpty()) continue;
        const YXMLItem* found = nullptr;
        for (uint32_t i = 0; i < folder->GetSubItemCount() && !found; ++i) {
            const YXMLItem* child = folder->GetSubItemAt(i);
            if (IsFolder(*child) && YString::EqualsNoCase(NameOf(*child), part)) found = child;
        }
        if (!found) return nullptr;
        folder = found;
    }
    return folder;
}

const YXMLItem* YPresetManagerBase::FindPreset(const YString& path) const {
    uint32_t split = path.Length();
    while (split > 0 && path[split - 1] != u'/') --split;
    const YXMLItem* folder = FindFolder(path.Substring(0, split));
    const YString name = path.Substring(split);
    if (folder == nullptr || name.IsEmpty()) return nullptr;
    for (uint32_t i = 0; i < folder->GetSubItemCount(); ++i) {
        const YXMLItem* child = folder->GetSubItemAt(i);
        if (IsPreset(*child) && YString::EqualsNoCase(NameOf(*child), name)) return child;
    }
    return nullptr;
}

YString YPresetManagerBase::PathOf(const YXMLItem& item) const {
    YString path;
    for (const YXMLItem* node = &item; node && node->GetParent(); node = node->GetParent())
        path = path.IsEmpty() ? NameOf(*node) : NameOf(*node) + YString("/") + path;
    return path;
}

YPresetManagerBase::NodePath YPresetManagerBase::PathTo(const YXMLItem& item) const {
    NodePath path;
    const YXMLItem* node = &item;
    for (; node->GetParent(); node = node->GetParent()) {
        const YXMLItem* parent = node->GetParent();
        uint32_t index = 0;
        while (parent->GetSubItemAt(index) != node) ++index;
        path.push_back(index);
    }
    if (node != root_.get()) throw YException(TranslateText("The item is not part of the preset tree."));
    std::reverse(path.begin(), path.end());
    return path;
}

YXMLItem* YPresetManagerBase::Resolve(YXMLItem& root, const NodePath& path) {
    YXMLItem* node = &root;
    for (uint32_t index : path) {
        if (index >= node->GetSubItemCount()) return nullptr;
        node = node->GetSubItemAt(index);
    }
    return node;
}

YXMLItem& YPresetManagerBase::At(YXMLItem& root, const NodePath& path) {
    YXMLItem* node = Resolve(root, path);
    if (node == nullptr) ThrowIndexOutOfRange();
    return *node;
}

const YXMLItem* YPresetManagerBase::Selected() const {
    YScopedLock lock(treeLock_);
    return hasSelection_ ? Resolve(*root_, selection_) : nullptr;
}

void YPresetManagerBase::Select(const YXMLItem* item) {
    YScopedLock lock(treeLock_);
    hasSelection_ = item != nullptr;
    if (item) selection_ = PathTo(*item);
}

// ---- Changes ---------------------------------------------------------------------------

template <typename ChangeFunction>
void YPresetManagerBase::Change(ChangeFunction&& change) {
    std::unique_ptr<YXMLItem> copy = root_->Clone();
    change(*copy);
    Commit(std::move(copy));
}

void YPresetManagerBase::Commit(std::unique_ptr<YXMLItem> copy) {
    PackAll(*copy);
    if (damaged_ && YFile::Exists(path_)) {
        // The file that could not be read is kept beside the new one.
        const YString kept = path_ + YString(".damaged");
        YFile::Replace(path_, kept);
        try {
            WriteDocument(*copy, path_);
        } catch (...) {
            YFile::Replace(kept, path_);
            throw;
        }
    } else {
        WriteDocument(*copy, path_);
    }
    damaged_ = false;
    root_ = std::move(copy);
    ++revision_;
}

const YXMLItem* YPresetManagerBase::SaveNew(const YString& name, const YXMLItem* folder) {
    const YString checked = CheckedName(name, "A preset needs a name.");
    auto preset = std::make_unique<YXMLItem>(kPreset);
    preset->SetAttribute(kPresetName, checked);
    if (!StoreSettings(*preset, false)) return nullptr;
    preset->SetName(kPreset);
    preset->SetAttribute(kPresetName, checked);
    YScopedLock lock(treeLock_);
    NodePath path = PathTo(folder ? *folder : *root_);
    if (!path.empty() && !IsFolder(At(*root_, path))) throw YException(TranslateText("The item is not a folder."));
    Change([&](YXMLItem& copy) {
        YXMLItem* target = &At(copy, path);
        path.push_back(target->GetSubItemCount());
        target->AddSubItem(std::move(preset));
    });
    selection_ = path;
    hasSelection_ = true;
    return Resolve(*root_, path);
}

void YPresetManagerBase::Replace(const YXMLItem& preset) {
    if (!IsPreset(preset)) throw YException(TranslateText("The item is not a preset."));
    const YString name = RawName(preset);
    auto settings = std::make_unique<YXMLItem>(kPreset);
    settings->SetAttribute(kPresetName, name);
    if (!StoreSettings(*settings, true)) return;
    settings->SetName(kPreset);
    settings->SetAttribute(kPresetName, name);
    if (name.IsEmpty()) settings->RemoveAttribute(kPresetName);
    YScopedLock lock(treeLock_);
    const NodePath path = PathTo(preset);
    Change([&](YXMLItem& copy) { At(copy, path).CopyFrom(*settings); });
}

void YPresetManagerBase::DeletePreset(const YXMLItem& preset) {
    if (!IsPreset(preset)) throw YException(TranslateText("The item is not a preset."));
    YScopedLock lock(treeLock_);
    const NodePath path = PathTo(preset);
    Change([&](YXMLItem& copy) {
        YXMLItem* node = &At(copy, path);
        node->GetParent()->RemoveSubItem(node);
    });
    hasSelection_ = false;
}

const YXMLItem* YPresetManagerBase::NewFolder(const YString& name, const YXMLItem* parent) {
    const YString checked = CheckedName(name, "A folder needs a name.");
    YScopedLock lock(treeLock_);
    NodePath path = PathTo(parent ? *parent : *root_);
    if (!path.empty() && !IsFolder(At(*root_, path))) throw YException(TranslateText("The item is not a folder."));
    Change([&](YXMLItem& copy) {
        YXMLItem* target = &At(copy, path);
        path.push_back(target->GetSubItemCount());
        target->AddSubItem(kFolder)->SetAttribute(kFolderName, checked);
    });
    return Resolve(*root_, path);
}

void YPresetManagerBase::RenameFolder(const YXMLItem& folder, const YString& name) {
    if (!IsFolder(folder)) throw YException(TranslateText("The item is not a folder."));
    const YString checked = CheckedName(name, "A folder needs a name.");
    YScopedLock lock(treeLock_);
    const NodePath path = PathTo(folder);
    Change([&](YXMLItem& copy) { At(copy, path).SetAttribute(kFolderName, checked); });
}

void YPresetManagerBase::DeleteFolder(const YXMLItem& folder) {
    if (!IsFolder(folder)) throw YException(TranslateText("The item is not a folder."));
    YScopedLock lock(treeLock_);
    const NodePath path = PathTo(folder);
    Change([&](YXMLItem& copy) {
        YXMLItem* node = &At(copy, path);
        node->GetParent()->RemoveSubItem(node);
    });
    hasSelection_ = false;
}

void YPresetManagerBase::ExportFolder(const YXMLItem& folder, const YString& file) const {
    YScopedLock lock(treeLock_);
    PathTo(folder);
    std::unique_ptr<YXMLItem> copy = folder.Clone();
    PackAll(*copy);
    WriteDocument(*copy, file);
}

void YPresetManagerBase::ImportFolder(const YXMLItem& folder, const YString& file) {
    if (!IsFolder(folder) && folder.GetParent()) throw YException(TranslateText("The item is not a folder."));
    std::unique_ptr<YXMLItem> source = YXMLDocument::ReadFile(file);
    if (!IsFolder(*source) && source->GetName() != RootName())
        throw YException(YFormat(TranslateText("File \"{0}\" holds no preset directory.")).Arg(file));
    YScopedLock lock(treeLock_);
    const NodePath path = PathTo(folder);
    Change([&](YXMLItem& copy) {
        YXMLItem* target = &At(copy, path);
        target->RemoveAllSubItems();
        for (uint32_t i = 0; i < source->GetSubItemCount(); ++i) target->AddSubItem(source->GetSubItemAt(i)->Clone());
    });
    hasSelection_ = false;
}

// ---- Loading and stepping ----------------------------------------------------------------

void YPresetManagerBase::LoadUnpacked(std::unique_ptr<YXMLItem> preset, int32_t index) {
    LoadSettings(*preset);
    currentIndex_ = index;
}

void YPresetManagerBase::Load(const YXMLItem& preset) {
    if (!IsPreset(preset)) throw YException(TranslateText("The item is not a preset."));
    std::unique_ptr<YXMLItem> unpacked;
    int32_t index = 0;
    {
        YScopedLock lock(treeLock_);
        PathTo(preset);
        const std::vector<const YXMLItem*> order = StepOrder();
        index = static_cast<int32_t>(std::find(order.begin(), order.end(), &preset) - order.begin());
        unpacked = Unpack(preset);
    }
    LoadUnpacked(std::move(unpacked), index);
}

std::vector<const YXMLItem*> YPresetManagerBase::StepOrder() const {
    YScopedLock lock(treeLock_);
    std::vector<const YXMLItem*> order;
    std::vector<const YXMLItem*> folders{root_.get()};
    while (!folders.empty()) {
        const YXMLItem* folder = folders.back();
        folders.pop_back();
        const std::size_t firstChild = folders.size();
        for (uint32_t i = 0; i < folder->GetSubItemCount(); ++i) {
            const YXMLItem* child = folder->GetSubItemAt(i);
            if (IsPreset(*child)) order.push_back(child);
            else if (IsFolder(*child)) folders.push_back(child);
        }
        // The first subfolder is taken next.
        std::reverse(folders.begin() + static_cast<std::ptrdiff_t>(firstChild), folders.end());
    }
    return order;
}

bool YPresetManagerBase::Step(int32_t steps) {
    std::unique_ptr<YXMLItem> unpacked;
    int64_t index = 0;
    {
        YScopedLock lock(treeLock_);
        const std::vector<const YXMLItem*> order = StepOrder();
        const auto count = static_cast<int64_t>(order.size());
        if (count < 1) return false;
        index = static_cast<int64_t>(currentIndex_.load()) + steps;
        if (index < 0) index += 100 * count;
        if (index < 0) index = 0;
        index %= count;
        unpacked = Unpack(*order[static_cast<std::size_t>(index)]);
    }
    LoadUnpacked(std::move(unpacked), static_cast<int32_t>(index));
    return true;
}

// ---- Merging -------------------------------------------------------------------------------

int32_t YPresetManagerBase::MergeInto(const YXMLItem& source, YXMLItem& destination, int32_t exchangeIndex) {
    int32_t added = 0;
    std::vector<std::pair<const YXMLItem*, YXMLItem*>> pending{{&source, &destination}};
    while (!pending.empty()) {
        auto [from, to] = pending.back();
        pending.pop_back();
        YStringList names;
        for (uint32_t i = 0; i < to->GetSubItemCount(); ++i)
            if (IsPreset(*to->GetSubItemAt(i))) names.push_back(RawName(*to->GetSubItemAt(i)));
        auto known = [&](const YString& name) {
            return std::any_of(names.begin(), names.end(), [&](const YString& n) { return YString::EqualsNoCase(n, name); });
        };
        for (uint32_t i = 0; i < from->GetSubItemCount(); ++i) {
            const YXMLItem* child = from->GetSubItemAt(i);
            if (IsPreset(*child) && !known(RawName(*child))) {
                to->AddSubItem(child->Clone())->SetAttributeInteger(kExchangeIndex, exchangeIndex);
                names.push_back(RawName(*child));
                ++added;
            } else if (IsFolder(*child)) {
                YXMLItem* match = nullptr;
                for (uint32_t k = 0; k < to->GetSubItemCount() && !match; ++k) {
                    YXMLItem* candidate = to->GetSubItemAt(k);
                    if (IsFolder(*candidate) && YString::EqualsNoCase(NameOf(*candidate), NameOf(*child))) match = candidate;
                }
                if (!match) {
                    match = to->AddSubItem(kFolder);
                    match->SetAttribute(kFolderName, NameOf(*child));
                }
                pending.emplace_back(child, match);
            }
        }
    }
    return added;
}

int32_t YPresetManagerBase::Merge(const YXMLItem& source, int32_t exchangeIndex) {
    YScopedLock lock(treeLock_);
    std::unique_ptr<YXMLItem> copy = root_->Clone();
    const int32_t added = MergeInto(source, *copy, exchangeIndex);
    if (added > 0) Commit(std::move(copy));
    return added;
}

// ---- Packed content -------------------------------------------------------------------------

void YPresetManagerBase::Pack(YXMLItem& preset) {
    YMemoryStream packed;
    {
        YZLibStream deflating(&packed, true, 100);
        YXMLDocument::Write(preset, deflating, true, "utf-8");
        deflating.Finish();
    }
    const YString name = RawName(preset);
    preset.RemoveAllAttributes();
    preset.RemoveAllSubItems();
    preset.SetAttribute(kPresetName, name);
    preset.SetAttribute(kCompressed, "1");
    preset.SetText(YBinaryText::FromBytes(packed.GetBuffer().Data(), packed.GetDataSize(), false));
}

std::unique_ptr<YXMLItem> YPresetManagerBase::Unpack(const YXMLItem& preset) {
    if (!preset.FindAttribute(kCompressed)) return preset.Clone();
    YMemoryStream packed;
    YBinaryText::ToStream(preset.GetText().Trimmed(), packed, false);
    packed.Seek(0, 0);
    YZLibStream inflating(&packed, false, 100);
    return YXMLDocument::Read(inflating);
}

void YPresetManagerBase::PackAll(YXMLItem& root) {
    root.Walk([](YXMLItem& item) {
        if (IsPreset(item) && item.FindAttribute(kPresetName) && !item.FindAttribute(kCompressed)) Pack(item);
    });
}
