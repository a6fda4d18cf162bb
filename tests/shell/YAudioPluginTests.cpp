#include "RoadTestPlugin.h"
#include "support/RecordingBinding.h"

#include <gtest/gtest.h>

#include <chrono>
#include <utility>
#include <vector>

namespace {

TEST(ParameterIndexSpace, LookupFindsTheAdapterOwningAnIndex) {
    RoadTestPlugin plugin;
    EXPECT_EQ(plugin.FindAutomationAdapter(0), nullptr);
    plugin.SetParameter(0, 0.5);  // nothing registered: no action, no crash
    auto* a = plugin.AddRun(10, 5, "a");
    auto* b = plugin.AddRun(0, 3, "b");
    auto* c = plugin.AddRun(3, 4, "c");
    auto* d = plugin.AddRun(7, 3, "d");
    EXPECT_EQ(plugin.GetParameterCount(), 15);
    // 3, 7 and 10 are an adapter's first index.
    const std::pair<int32_t, ParameterRun*> owners[] = {{0, b}, {3, c}, {7, d}, {9, d}, {10, a}, {14, a}};
    for (const auto& [index, owner] : owners) EXPECT_EQ(plugin.FindAutomationAdapter(index), owner) << index;
    plugin.SetParameter(3, 0.25);
    plugin.SetParameter(12, 0.75);
    EXPECT_DOUBLE_EQ(c->values[0], 0.25);
    EXPECT_DOUBLE_EQ(a->values[2], 0.75);
    EXPECT_EQ(plugin.GetParameterName(12), YString("a2"));  // asked with its own index

    const int before = a->writes;
    plugin.SetParameterIfChanged(12, 0.75 + 5e-8);
    EXPECT_EQ(a->writes, before);
    plugin.SetParameterIfChanged(12, 0.75 + 5e-7);
    EXPECT_EQ(a->writes, before + 1);
}

TEST(ParameterIndexSpace, AutomationGoesToTheBinding) {
    RoadTestPlugin plugin;
    RecordingBinding binding;
    auto* run = plugin.AddRun(4, 2, "p");
    run->values = {0.5, 1.0};
    run->SendAutomation(1);  // no binding yet
    plugin.SetAdapter(&binding);
    run->SendAllAutomation();
    run->SendAutomationValueWithChange(0, 0.3);
    run->SendAutomationValueWithChange(0, 0.0);
    ASSERT_EQ(binding.automation.size(), 6u);
    EXPECT_EQ(binding.automation[0], std::make_pair(4, 0.5f));
    EXPECT_EQ(binding.automation[1], std::make_pair(5, 1.0f));
    EXPECT_EQ(binding.automation[2].first, 4);
    EXPECT_FLOAT_EQ(binding.automation[2].second, static_cast<float>(0.3 - 1e-10));
    EXPECT_FLOAT_EQ(binding.automation[4].second, static_cast<float>(1e-10));
    EXPECT_EQ(binding.automation[5], std::make_pair(4, 0.0f));
}

TEST(ParameterIndexSpace, AutomationThreadStopsWithTheAdapters) {
    RoadTestPlugin plugin;
    plugin.AddRun(0, 1, "p");
    plugin.StartAutomationUpdates();
    plugin.StartAutomationUpdates();  // already running: nothing changes
    auto start = std::chrono::steady_clock::now();
    plugin.ClearAutomationAdapters();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(plugin.GetParameterCount(), 0);
    EXPECT_EQ(plugin.FindAutomationAdapter(0), nullptr);
}

// Hosts show these names; extra side chains are numbered, surround pins by index.
TEST(Pins, StereoAndSurroundLayouts) {
    RoadTestPlugin plugin;
    plugin.SetupPins(3, false);
    EXPECT_EQ(plugin.GetNumInputBuses(), 3);
    EXPECT_EQ(plugin.GetNumOutputBuses(), 1);
    std::vector<std::string> names;
    for (const YString& pin : plugin.InputPins()) names.push_back(pin.ToUtf8());
    EXPECT_EQ(names, (std::vector<std::string>{"In L", "In R", "Sidechain L 1", "Sidechain R 1", "Sidechain L 2", "Sidechain R 2"}));
    plugin.SetupPins(2, false);
    EXPECT_EQ(plugin.InputPins()[2], YString("Sidechain L"));  // a single side chain has no number
    plugin.SetupPins(3, true);
    EXPECT_EQ(plugin.ChannelsPerBus(), 8);
    EXPECT_EQ(plugin.InputPins().size(), 24u);
    EXPECT_EQ(plugin.InputPins()[7], YString("In 7"));
    EXPECT_EQ(plugin.InputPins()[17], YString("Sidechain 2 1"));
    EXPECT_EQ(plugin.OutputPins()[3], YString("Out 3"));
}

TEST(Channels, RequestedCountsAndLatencyViews) {
    RoadTestPlugin plugin;
    plugin.SetupPins(1, true);
    EXPECT_EQ(plugin.GetNumInputChannels(), 8);  // not requested yet: one bus
    plugin.SetChannels(6, 2);
    EXPECT_EQ(plugin.GetNumInputChannels(), 6);
    EXPECT_EQ(plugin.GetNumOutputChannels(), 2);

    plugin.latency = 100;
    plugin.SetSampleRate(44100.0);
    EXPECT_EQ(plugin.GetHostLatency(), 100);
    plugin.UpdateUpsamplingFactor(2, true);
    EXPECT_EQ(plugin.GetHostLatency(), 50 + 3072);
    plugin.UpdateUpsamplingFactor(4, false);
    EXPECT_EQ(plugin.GetHostLatency(), 25 + 384);
    EXPECT_EQ(plugin.GetHostTailLength(), -1);
}

}  // namespace
