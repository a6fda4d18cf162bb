#include "CommandLine.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

int Fail(const std::string& message) {
    std::cerr << "vortalis: error: " << message << "\n";
    return 1;
}

namespace {

// "ID=VALUE" into its two halves.
bool Split(const std::string& setting, std::string& id, std::string& value) {
    const std::size_t equals = setting.find('=');
    if (equals == std::string::npos || equals == 0) return false;
    id = setting.substr(0, equals);
    value = setting.substr(equals + 1);
    return true;
}

}  // namespace

void PluginArguments::AddTo(CLI::App& command, SessionOptions& options) {
    command.add_option("--plugin", options.plugin, "plug-in bundle or binary (default: the Vortalis.vst3 next to the tool)");
    command.add_option("--api", api, "vst3 or vst2")->check(CLI::IsMember({"vst2", "vst3"}));
    command.add_option("--block", options.block, "frames per block")->check(CLI::Range(1, 65536));
    command.add_flag("--quiet", quiet, "no progress line");
}

void PluginArguments::Fill(SessionOptions& options) const {
    options.format = api == "vst2" ? YHostedPlugin::Format::Vst2 : YHostedPlugin::Format::Vst3;
}

void SettingArguments::AddTo(CLI::App& command) {
    command.add_option("--set", texts, "ID=TEXT: typed text the plug-in parses, e.g. MinFreq=300 or feedback=-6");
    command.add_option("--norm", normalised, "ID=VALUE: a normalised value 0..1, as automation sends it");
}

bool SettingArguments::Fill(SessionOptions& options, std::string& error) const {
    for (const std::string& setting : texts) {
        std::string id, text;
        if (!Split(setting, id, text)) {
            error = "--set needs ID=TEXT, not \"" + setting + "\"";
            return false;
        }
        options.texts.emplace_back(id, text);
    }
    for (const std::string& setting : normalised) {
        std::string id, text;
        char* end = nullptr;
        double value = 0.0;
        if (Split(setting, id, text)) value = std::strtod(text.c_str(), &end);
        if (end == nullptr || end == text.c_str() || *end != 0) {
            error = "--norm needs ID=VALUE with a number, not \"" + setting + "\"";
            return false;
        }
        options.normalised.emplace_back(id, value);
    }
    return true;
}

Session::Progress TerminalProgress(bool quiet) {
    if (quiet || !isatty(fileno(stderr))) return {};
    return [last = -1](double fraction, double factor) mutable {
        const int percent = static_cast<int>(fraction * 100.0);
        if (percent == last) return;
        last = percent;
        const int filled = percent / 5;
        std::fprintf(stderr, "\r[%.*s%*s] %3d%%  %.1fx real time", filled, "####################", 20 - filled, "",
                     percent, factor);
        if (percent >= 100) std::fprintf(stderr, "\n");
    };
}
