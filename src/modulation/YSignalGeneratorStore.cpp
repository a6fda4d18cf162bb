#include "modulation/YSignalGenerator.h"

#include "foundation/YFormat.h"
#include "foundation/YStoreArchive.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <type_traits>
#include <vector>

// The stored form of a shape. Attributes of the shape's element carry the scalar
// settings; child elements carry the lists:
//   "Envelope", "Transform", "AmplitudeTransform": one "Point" child per curve point
//       with "X", "Y", "Type" (segment type by name), "Curvature",
//       "HorizontalCurvature", "Smoothness1", "Smoothness2", "Flags", "Count";
//   "Step": "Count" and one "Item" per step slot with its level in "Value";
//   "Types": "Count" and one "Item" per step slot with its step-shape type in "Value";
//   "Harmonics": "Count", "Magnitudes" and "Phases" as lists of numbers separated by
//       spaces (trailing zeros left out), and the harmonics generator's settings, with
//       the child "SampleHarmonics" while the generator holds an analysed sample;
//   "CustomTable": the custom sample layer's period while it is not silent.
// "CustomTable" and "SampleHarmonics" hold binary data (the XML item's compressed
// hexadecimal text) of little-endian 32-bit floats: the kSize table values, or the
// kMaxHarmonics amplitudes followed by as many phases. A shape made from a sound thus
// renders the same where that sound's file does not exist.
// Overtone levels and phases are "Harmonic2" .. "Harmonic8" and "HarmonicPhase2" ..
// "HarmonicPhase8".

namespace {

static_assert(std::endian::native == std::endian::little, "tables are stored as little-endian floats");

using Settings = YSignalGenerator::Settings;
// One "Item" child per slot with "Value"; "Count" says how many were written. A load
// reads at most that many (held to the slots) and keeps the reset value of the rest.
template <class T, size_t N>
void StoreItems(YStoreArchive& archive, const YString& name, std::array<T, N>& values, const std::array<T, N>& reset) {
    YXMLItem* element = archive.Child(name);
    if (element == nullptr) return;
    YStoreArchive inner(*element, archive.Loading());
    int32_t count = static_cast<int32_t>(N);
    inner.IntegerAlways("Count", count);
    if (archive.Saving()) {
        element->RemoveAllSubItems();
        for (size_t i = 0; i < N; ++i) {
            YStoreArchive item(*element->AddSubItem("Item"), false);
            if constexpr (std::is_same_v<T, double>) {
                item.Number("Value", values[i], 0.0);
            } else {
                item.Integer("Value", values[i], 0);
            }
        }
        return;
    }
    count = std::clamp(count, 0, static_cast<int32_t>(N));
    size_t i = 0;
    for (YXMLItem* child = element->First("Item"); child && i < static_cast<size_t>(count); child = element->Next(), ++i) {
        YStoreArchive item(*child, true);
        if constexpr (std::is_same_v<T, double>) {
            item.Number("Value", values[i], 0.0);
        } else {
            item.Integer("Value", values[i], 0);
        }
    }
    for (; i < N; ++i) values[i] = reset[i];
}

// Space-separated numbers up to the last one that is not 0 (12 significant digits
// give back every float exactly).
template <size_t N>
YString ListText(const std::array<float, N>& values) {
    size_t used = N;
    while (used > 0 && values[used - 1] == 0.0f) --used;
    YString text;
    for (size_t i = 0; i < used; ++i) {
        if (i > 0) text += u' ';
        text += YStoreArchive::NumberText(static_cast<double>(values[i]));
    }
    return text;
}

// Missing entries are 0; so is any entry that is not a finite number.
template <size_t N>
void ParseList(const YString& text, std::array<float, N>& values) {
    values.fill(0.0f);
    size_t index = 0;
    uint32_t i = 0;
    const uint32_t length = text.Length();
    while (i < length && index < N) {
        while (i < length && (text[i] == u' ' || text[i] == u',' || text[i] == u'\t')) ++i;
        uint32_t start = i;
        while (i < length && text[i] != u' ' && text[i] != u',' && text[i] != u'\t') ++i;
        if (i == start) break;
        const auto value = static_cast<float>(ToDouble(text.Substring(start, i - start)));
        values[index++] = std::isfinite(value) ? value : 0.0f;
    }
}

template <size_t N>
void StoreList(YStoreArchive& archive, const YString& name, std::array<float, N>& values,
               const std::array<float, N>& reset) {
    YString text = archive.Saving() ? ListText(values) : YString();
    archive.Text(name, text, ListText(reset));
    if (archive.Loading()) ParseList(text, values);
}

// count floats as the binary data of a child element, written while present; a load
// without the element answers false. Data of another size raises "Value doesn't have
// correct format.", so a damaged table fails the whole load.
bool StoreFloats(YStoreArchive& archive, const YString& name, float* values, uint32_t count, bool present) {
    if (archive.Saving()) {
        if (present) {
            archive.Child(name)->SetData(values, count * sizeof(float), true);
        } else if (YXMLItem* stale = archive.Element().FindSubItem(name)) {
            archive.Element().RemoveSubItem(stale);
        }
        return present;
    }
    const YXMLItem* element = archive.Child(name);
    if (element == nullptr) return false;
    element->GetData(values, count * sizeof(float), true);
    return true;
}

float Held(float value, float low, float high) { return std::isnan(value) ? 0.0f : std::clamp(value, low, high); }

void StoreCustomTable(YStoreArchive& archive, std::vector<float>& table) {
    const bool present = std::any_of(table.begin(), table.end(), [](float v) { return v != 0; });
    if (!StoreFloats(archive, "CustomTable", table.data(), YSignalGenerator::kSize, present) || archive.Saving()) return;
    for (float& value : table) value = Held(value, -1, 1);
}

void StoreSampleHarmonics(YStoreArchive& archive, YSignalGenerator::HarmonicsGenerator& g) {
    constexpr uint32_t kCount = YSignalGenerator::kMaxHarmonics;
    std::array<float, 2 * kCount> data;
    std::copy(g.sampleAmplitudes.begin(), g.sampleAmplitudes.end(), data.begin());
    std::copy(g.samplePhases.begin(), g.samplePhases.end(), data.begin() + kCount);
    if (!StoreFloats(archive, "SampleHarmonics", data.data(), 2 * kCount, g.HasSample()) || archive.Saving()) return;
    for (uint32_t k = 0; k < kCount; ++k) {
        g.sampleAmplitudes[k] = Held(data[k], 0, 1);
        const float phase = std::isfinite(data[kCount + k]) ? data[kCount + k] - std::floor(data[kCount + k]) : 0.0f;
        g.samplePhases[k] = phase < 1 ? phase : 0.0f;
    }
}

void StoreHarmonics(YStoreArchive& archive, Settings& s, const Settings& reset) {
    YXMLItem* element = archive.Child("Harmonics");
    if (element == nullptr) return;
    YStoreArchive h(*element, archive.Loading());
    h.Integer("Count", s.harmonicsCount, reset.harmonicsCount);
    if (h.Loading()) s.harmonicsCount = std::clamp(s.harmonicsCount, 0, YSignalGenerator::kMaxHarmonics);
    StoreList(h, "Magnitudes", s.magnitudes, reset.magnitudes);
    StoreList(h, "Phases", s.phases, reset.phases);

    YSignalGenerator::HarmonicsGenerator& g = s.generator;
    const YSignalGenerator::HarmonicsGenerator& d = reset.generator;
    h.Number("Harmonicity", g.harmonicity, d.harmonicity);
    h.Number("Slope", g.slope, d.slope);
    h.Number("Fullness", g.fullness, d.fullness);
    h.Number("FundamentalMinimum", g.fundamentalMinimum, d.fundamentalMinimum);
    // Drawn at random for every new shape, so there is no default to leave out.
    h.IntegerAlways("Seed", g.seed);
    h.Number("SampleRatio", g.sampleRatio, d.sampleRatio);
    h.Number("SamplePosition", g.samplePosition, d.samplePosition);
    h.Text("SampleFilePath", g.sampleFilePath, d.sampleFilePath);
    h.Number("PostProcess.Sharpen", g.sharpen, d.sharpen);
    h.Number("PostProcess.Noise", g.noise, d.noise);
    h.Number("PostProcess.Clean", g.clean, d.clean);
    h.Number("PostProcess.Compress", g.compress, d.compress);
    h.Number("PostProcess.Harmonize", g.harmonize, d.harmonize);
    StoreSampleHarmonics(h, g);
}

}  // namespace

void YSignalGenerator::StoreSettings(YStoreArchive& archive, Settings& s) {
    static const Settings reset;
    archive.Integer("Mode", s.mode, reset.mode);
    archive.Number("value", s.morph, reset.morph);
    s.envelope.Store(archive, "Envelope");
    archive.Number("EnvelopeDepth", s.envelopeDepth, reset.envelopeDepth);

    StoreItems(archive, "Step", s.stepLevels, reset.stepLevels);
    archive.Integer("StepItemCount", s.stepItemCount, reset.stepItemCount);
    if (archive.Loading()) s.stepItemCount = std::clamp(s.stepItemCount, 1, kStepSlots);
    archive.Number("StepDepth", s.stepDepth, reset.stepDepth);
    archive.Boolean("StepBaseLowest", s.stepBaseLowest, reset.stepBaseLowest);
    StoreItems(archive, "Types", s.stepTypes, reset.stepTypes);

    archive.Boolean("CustomSample", s.customSample, reset.customSample);
    archive.Number("Depth", s.customDepth, reset.customDepth);
    StoreCustomTable(archive, s.customTable);

    archive.Number("Phase", s.phase, reset.phase);
    archive.Number("Skew", s.skew, reset.skew);
    archive.Number("FullSkew", s.fullSkew, reset.fullSkew);
    archive.Number("Halve", s.halve, reset.halve);
    archive.Number("Smoothness", s.smoothness, reset.smoothness);
    archive.Integer("Operations", s.operations, reset.operations);

    for (int32_t k = 0; k < kShapeHarmonics; ++k) {
        const int32_t overtone = k + 2;
        archive.Number(YFormat("Harmonic{0}").Arg(overtone), s.harmonicLevels[k], reset.harmonicLevels[k]);
        archive.Number(YFormat("HarmonicPhase{0}").Arg(overtone), s.harmonicPhases[k], reset.harmonicPhases[k]);
    }

    archive.Boolean("TransformEnable", s.transformEnable, reset.transformEnable);
    s.transform.Store(archive, "Transform");
    archive.Boolean("AmplitudeTransformEnable", s.amplitudeTransformEnable, reset.amplitudeTransformEnable);
    s.amplitudeTransform.Store(archive, "AmplitudeTransform");

    StoreHarmonics(archive, s, reset);
}

void YSignalGenerator::Store(YStoreArchive& archive) {
    if (archive.Saving()) {
        Settings copy;
        {
            YScopedLock hold(Lock());
            FlushHarmonicsGenerator();  // the magnitudes stored are those that play
            copy = settings_;
        }
        StoreSettings(archive, copy);
        return;
    }
    Settings loaded;
    {
        YScopedLock hold(Lock());
        loaded.generator.seed = settings_.generator.seed;  // a state without one keeps it
    }
    StoreSettings(archive, loaded);
    SetSettings(loaded);
}
