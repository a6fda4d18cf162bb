#include "shell/YStateChunk.h"

#include "foundation/YMemoryStream.h"
#include "foundation/YStoreArchive.h"
#include "foundation/YXMLDocument.h"
#include "foundation/YZLibStream.h"
#include "shell/YAudioPlugin.h"

#include <memory>

namespace YStateChunk {

namespace {
constexpr int kQuality = 100;  // zlib level 9
}

YByteBuffer WriteDocument(const YXMLItem& root) {
    YMemoryStream memory;
    YZLibStream compressor(&memory, true, kQuality);
    YXMLDocument::Write(root, compressor, false, "utf-8");
    compressor.Finish();
    return memory.GetBuffer();
}

std::unique_ptr<YXMLItem> ReadDocument(const YByteBuffer& chunk) {
    YMemoryStream memory(chunk);
    YZLibStream decompressor(&memory, false);
    std::unique_ptr<YXMLItem> root = YXMLDocument::Read(decompressor);
    decompressor.Finish();
    return root;
}

YByteBuffer Save(YAudioPlugin& plugin) {
    YXMLDocument document("settings");
    YStoreArchive archive(document.GetRoot(), false);
    plugin.Store(archive);
    return WriteDocument(document.GetRoot());
}

void Load(YAudioPlugin& plugin, const YByteBuffer& chunk) {
    std::unique_ptr<YXMLItem> root = ReadDocument(chunk);
    YStoreArchive archive(*root, true);
    plugin.Store(archive);
}

void Load(YAudioPlugin& plugin, const void* bytes, uint32_t size) {
    Load(plugin, YByteBuffer::Borrow(bytes, size));
}

}  // namespace YStateChunk
