// Any bytes as the user's preset file, and as a preset folder file to import: opening
// never raises, every preset either unpacks or raises YException, stepping loads or
// refuses, and a failed import leaves the tree and the file as they were.
#include "FuzzTarget.h"

#include "support/PresetFiles.h"
#include "support/ScratchFolder.h"

#include "foundation/YException.h"
#include "foundation/YFile.h"
#include "foundation/YStdFileStream.h"
#include "foundation/YXMLDocument.h"
#include "presets/YPresetManagerT.h"

#include <memory>
#include <string>

namespace {

// An owner whose settings are one attribute.
struct Owner {
    bool StorePreset(YXMLItem& preset, YPresetManagerBase&, bool) {
        preset.SetAttribute("value", "1");
        return true;
    }
    void LoadPreset(YXMLItem&, YPresetManagerBase&) {}
};

void WriteBytes(const YString& path, const uint8_t* data, size_t size) {
    YStdFileStream stream(path, YStdFileStream::kWrite | YStdFileStream::kCreate);
    if (size > 0) stream.Write(data, static_cast<uint32_t>(size));
}

std::string Bytes(const YString& path) {
    if (!YFile::Exists(path)) return {};
    YStdFileStream stream(path, YStdFileStream::kRead);
    std::string bytes(static_cast<std::size_t>(stream.GetSize()), '\0');
    if (!bytes.empty()) stream.Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ScratchFolder scratch;
    PresetFiles files;
    YFile::CreatePath(files.Folder());
    WriteBytes(files.Path(), data, size);

    Owner owner;
    YPresetManagerT<Owner> presets(owner);
    presets.SetPrefix("Vortalis");
    presets.Open();
    for (const YXMLItem* preset : presets.StepOrder()) {
        try {
            FuzzCheck(YPresetManagerBase::Unpack(*preset) != nullptr, "an unpacked preset is an element");
        } catch (const YException&) {
        }
    }
    try {
        presets.Step(1);
    } catch (const YException&) {
    }

    // The same bytes as a preset folder file imported into a fresh tree.
    const YString imported = scratch.Path("import.ypresets");
    WriteBytes(imported, data, size);
    PresetFiles fresh;
    Owner other;
    YPresetManagerT<Owner> target(other);
    target.SetPrefix("Vortalis");
    target.Open();
    const YXMLItem* folder = target.NewFolder("Imported", nullptr);
    const std::string before = Bytes(fresh.Path());
    try {
        target.ImportFolder(*folder, imported);
    } catch (const YException&) {
        FuzzCheck(Bytes(fresh.Path()) == before, "a failed import leaves the file as it was");
        FuzzCheck(target.FindFolder("Imported") != nullptr && target.FindFolder("Imported")->GetSubItemCount() == 0,
                  "a failed import leaves the tree as it was");
    }
    return 0;
}
