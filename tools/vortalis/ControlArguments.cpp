// --macro and --cc: multiparameters and MIDI controller slots written into a state.
#include "CommandLine.h"

#include "engine/YYorvaneAudioEffectPlugin.h"
#include "foundation/YException.h"
#include "phaser/VortalisAudioEffectPlugin.h"
#include "shell/YStateChunk.h"

#include <sstream>

namespace {

std::vector<std::string> Fields(const std::string& text) {
    std::vector<std::string> fields;
    std::stringstream stream(text);
    for (std::string field; std::getline(stream, field, ':');) fields.push_back(field);
    return fields;
}

bool Number(const std::string& text, double low, double high, double& value) {
    std::size_t used = 0;
    try {
        value = std::stod(text, &used);
    } catch (const std::exception&) {
        return false;
    }
    return used == text.size() && value >= low && value <= high;
}

bool Whole(const std::string& text, int low, int high, int& value) {
    double number = 0;
    if (!Number(text, low, high, number) || number != static_cast<int>(number)) return false;
    value = static_cast<int>(number);
    return true;
}

// A parameter by id or name, without case, as "vortalis params" lists them.
int32_t FindParameter(YAudioPlugin& plugin, const std::string& wanted) {
    const YString text = YString::FromUtf8(wanted);
    for (int32_t i = 0; i < plugin.GetParameterCount(); ++i)
        if (YString::EqualsNoCase(plugin.GetParameterID(i), text) || YString::EqualsNoCase(plugin.GetParameterName(i), text))
            return i;
    return -1;
}

// MODE:A[:B] from fields[first] on: the range mode and its two numbers.
struct Mapping {
    int32_t mode = 4;
    double value = 0.0, second = 1.0;
};

bool ReadMapping(const std::vector<std::string>& fields, std::size_t first, Mapping& mapping) {
    if (fields.size() <= first) return true;  // the whole interval 0 .. 1
    static const char* const names[] = {"updown", "full", "up", "down", "interval"};
    mapping.mode = -1;
    for (int32_t m = 0; m < 5; ++m)
        if (fields[first] == names[m]) mapping.mode = m;
    if (mapping.mode < 0 || fields.size() < first + 2 || fields.size() > first + 3) return false;
    if (!Number(fields[first + 1], 0.0, 1.0, mapping.value)) return false;
    mapping.second = 1.0;
    return fields.size() == first + 2 || Number(fields[first + 2], 0.0, 1.0, mapping.second);
}

int32_t Source(const std::string& text) {
    static const char* const names[] = {"aftertouch", "pitchbend", "velocity", "velocity-on"};
    for (int32_t k = 0; k < 4; ++k)
        if (text == names[k]) return YMIDIControllers::kAftertouch + k;
    int number = -1;
    return Whole(text, 0, 127, number) ? number : -1;
}

}  // namespace

void ControlArguments::AddTo(CLI::App& command) {
    command.add_option("--macro", macros, "N:TARGET[:MODE:A[:B]] a target of multiparameter N (1..4)");
    command.add_option("--cc", controllers, "CHANNEL:CONTROLLER:TARGET[:MODE:A[:B]] a MIDI controller slot");
}

bool ControlArguments::Apply(Session& session, std::string& error) const {
    if (macros.empty() && controllers.empty()) return true;
    try {
        YYorvaneAudioEffectPlugin engine;
        engine.Initialize("Vortalis", "Yorvane", &VortalisAudioEffectPluginInterface, 500, 100);
        YStateChunk::Load(engine, session.Plugin().GetState());
        // A multiparameter without targets is not stored: its value comes from the instance.
        double values[YMultiParameter::kCount];
        for (int32_t m = 0; m < YMultiParameter::kCount; ++m)
            values[m] = session.Plugin().GetParameter(static_cast<uint32_t>(engine.MultiParameterIndex(m)));
        std::vector<bool> fresh(YMultiParameter::kCount, true);
        for (const std::string& text : macros) {
            const std::vector<std::string> fields = Fields(text);
            int number = 0;
            Mapping mapping;
            const int32_t target = fields.size() >= 2 ? FindParameter(engine, fields[1]) : -1;
            if (fields.size() < 2 || !Whole(fields[0], 1, 4, number) || !ReadMapping(fields, 2, mapping)) {
                error = "--macro takes N:TARGET[:MODE:A[:B]], not \"" + text + "\"";
                return false;
            }
            if (target < 0 || target == engine.MultiParameterIndex(number - 1)) {
                error = "--macro: unknown or unusable target \"" + fields[1] + "\" (\"vortalis params\" lists them)";
                return false;
            }
            YMultiParameter& multi = engine.MultiParameter(number - 1);
            // The first --macro of a multiparameter replaces what the state had.
            if (fresh[static_cast<std::size_t>(number - 1)]) multi.targets.resize(1);
            YMultiParameterParameter& added =
                fresh[static_cast<std::size_t>(number - 1)] ? multi.targets.front() : multi.targets.emplace_back();
            added = YMultiParameterParameter();
            fresh[static_cast<std::size_t>(number - 1)] = false;
            added.parameter = target;
            added.rangeMode = mapping.mode;
            added.value = mapping.value;
            (mapping.mode == 4 ? added.maxValue : added.range) = mapping.second;
            multi.enabled = true;
        }
        YMIDIControllers& table = engine.MIDIControllers();
        std::size_t slot = 0;
        for (const std::string& text : controllers) {
            const std::vector<std::string> fields = Fields(text);
            int channel = -1;
            Mapping mapping;
            const int32_t source = fields.size() >= 3 ? Source(fields[1]) : -1;
            const int32_t target = fields.size() >= 3 ? FindParameter(engine, fields[2]) : -1;
            if (fields.size() < 3 || !Whole(fields[0], 0, 16, channel) || source < 0 || !ReadMapping(fields, 3, mapping)) {
                error = "--cc takes CHANNEL:CONTROLLER:TARGET[:MODE:A[:B]], not \"" + text + "\"";
                return false;
            }
            if (target < 0) {
                error = "--cc: unknown target \"" + fields[2] + "\" (\"vortalis params\" lists them)";
                return false;
            }
            while (slot < table.controllers.size() && table.controllers[slot].enabled) ++slot;
            if (slot >= table.controllers.size()) {
                error = YMIDIControllers::AllInUseMessage().ToUtf8();
                return false;
            }
            YMIDIControllers::Controller& assigned = table.controllers[slot];
            assigned = YMIDIControllers::Controller();
            assigned.enabled = true;
            assigned.parameter = target;
            assigned.channel = channel;
            assigned.controller = source;
            assigned.rangeMode = mapping.mode;
            assigned.value = mapping.value;
            (mapping.mode == 4 ? assigned.maxValue : assigned.range) = mapping.second;
            table.controllersEnabled = true;
        }
        for (int32_t m = 0; m < YMultiParameter::kCount; ++m)
            if (!fresh[static_cast<std::size_t>(m)]) engine.MultiParameter(m).SetValue(values[m]);
        if (session.Plugin().SetState(YStateChunk::Save(engine))) return true;
        error = "the plug-in refused the state with the controls";
    } catch (const YException& e) {
        error = e.Message().ToUtf8();
    }
    return false;
}
