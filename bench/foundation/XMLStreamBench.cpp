#include "foundation/YFormat.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "foundation/YZLibStream.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// A plug-in state of about 1 MB: programs of parameters with their attributes,
// controller assignments and a packed curve, as the state document holds them.
std::unique_ptr<YXMLItem> MakeSettings() {
    auto root = std::make_unique<YXMLItem>(YString("settings"));
    root->SetAttribute("version", "7.10.0");
    root->SetAttributeInteger("CurrentPresetIndex", 3);
    std::string curve;
    for (int i = 0; i < 512; ++i) curve += "3F8000003E99999A";
    for (int program = 0; program < 240; ++program) {
        YXMLItem* item = root->AddSubItem("program");
        item->SetAttributeInteger("index", program);
        item->SetAttribute("name", YFormat("Slow sweep & feedback {0}").Arg(program));
        for (int p = 0; p < 24; ++p) {
            YXMLItem* param = item->AddSubItem("param");
            param->SetAttribute("id", YFormat("Parameter{0}").Arg(p));
            param->SetAttributeNumber("value", 0.001 * (program * 31 + p));
            param->SetAttributeNumber("min", 0.0);
            param->SetAttributeNumber("max", 1.0);
            param->SetAttributeInteger("smoothing", p % 3);
        }
        YXMLItem* midi = item->AddSubItem("midi");
        midi->SetAttributeInteger("controller", program % 128);
        midi->SetText("Modulation wheel to depth, with a gentle curve and no pick-up");
        if (program % 4 == 0) item->AddSubItem("shape")->SetText(YString::FromLatin1(curve));
    }
    return root;
}

std::string SaveToBytes(const YXMLItem& root) {
    YMemoryStream out;
    YXMLDocument::Write(root, out);
    const YByteBuffer& bytes = out.GetBuffer();
    return std::string(reinterpret_cast<const char*>(bytes.Data()), bytes.Size());
}

const std::string& SettingsText() {
    static const std::string text = SaveToBytes(*MakeSettings());
    return text;
}

std::string Deflate(const std::string& bytes) {
    YMemoryStream out;
    YZLibStream zlib(&out, true, 100);
    zlib.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    zlib.Finish();
    const YByteBuffer& packed = out.GetBuffer();
    return std::string(reinterpret_cast<const char*>(packed.Data()), packed.Size());
}

// Loading a state on the user-interface thread.
void XMLParseSettings(benchmark::State& state) {
    const std::string& text = SettingsText();
    for (auto _ : state) {
        YMemoryStream in(YByteBuffer::Borrow(text.data(), text.size()));
        auto root = YXMLDocument::Read(in);
        benchmark::DoNotOptimize(root.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["document_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(XMLParseSettings)->Unit(benchmark::kMillisecond);

void XMLWriteSettings(benchmark::State& state) {
    auto root = MakeSettings();
    const std::size_t size = SettingsText().size();
    for (auto _ : state) {
        YMemoryStream out;
        YXMLDocument::Write(*root, out);
        benchmark::DoNotOptimize(out.GetSize());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}
BENCHMARK(XMLWriteSettings)->Unit(benchmark::kMillisecond);

void DeflateSettings(benchmark::State& state) {
    const std::string& text = SettingsText();
    for (auto _ : state) benchmark::DoNotOptimize(Deflate(text).size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(DeflateSettings)->Unit(benchmark::kMillisecond);

void InflateSettings(benchmark::State& state) {
    const std::string& text = SettingsText();
    const std::string packed = Deflate(text);
    std::string out(text.size(), '\0');
    for (auto _ : state) {
        YMemoryStream in(YByteBuffer::Borrow(packed.data(), packed.size()));
        YZLibStream zlib(&in, false);
        benchmark::DoNotOptimize(zlib.Read(out.data(), static_cast<uint32_t>(out.size())));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["ratio"] = static_cast<double>(text.size()) / static_cast<double>(packed.size());
}
BENCHMARK(InflateSettings)->Unit(benchmark::kMillisecond);

// The state chunk road: the document written as UTF-8 straight through deflate.
void SaveStateChunk(benchmark::State& state) {
    auto root = MakeSettings();
    for (auto _ : state) {
        YMemoryStream out;
        YZLibStream zlib(&out, true, 100);
        YXMLDocument::Write(*root, zlib);
        zlib.Finish();
        benchmark::DoNotOptimize(out.GetSize());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * SettingsText().size()));
}
BENCHMARK(SaveStateChunk)->Unit(benchmark::kMillisecond);

}  // namespace
