#pragma once

#include "foundation/YByteBuffer.h"

#include <cstdint>
#include <memory>

class YAudioPlugin;
class YStream;
class YXMLItem;

// The state of one plug-in instance as hosts keep it in their projects: a zlib stream
// (2-byte header, deflate at level 9, Adler-32 trailer) of the "settings" XML document
// written as "utf-8". The VST 2.4 chunk and the VST 3 state stream are the same bytes,
// so a state saved through one interface loads through the other.
//
// User-interface thread (the plug-in's Store takes its own locks).
namespace YStateChunk {

// The plug-in stored with a saving archive on a fresh "settings" root.
YByteBuffer Save(YAudioPlugin& plugin);

// Decompresses and parses the whole chunk before the plug-in sees any of it, then
// lets the plug-in load from the root element. A chunk that is not a zlib stream of a
// well-formed document raises YException and leaves the plug-in untouched.
void Load(YAudioPlugin& plugin, const void* bytes, uint32_t size);
void Load(YAudioPlugin& plugin, const YByteBuffer& chunk);

// The document inside a chunk, and the chunk of a document, for tools that change a
// saved state without a plug-in. Reading raises YException as Load does.
std::unique_ptr<YXMLItem> ReadDocument(const YByteBuffer& chunk);
YByteBuffer WriteDocument(const YXMLItem& root);

}  // namespace YStateChunk
