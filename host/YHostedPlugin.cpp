#include "host/YPluginHost.h"
#include "host/YVst2HostedPlugin.h"
#include "host/YVst3HostedPlugin.h"

std::unique_ptr<YHostedPlugin> YHostedPlugin::Create(const std::shared_ptr<YPluginLibrary>& library, Format format,
                                                     YString& error) {
    if (format == Format::Vst2) return YVst2HostedPlugin::Create(library, error, YVst2HostedPlugin::Options{});
    return YVst3HostedPlugin::Create(library, error);
}
