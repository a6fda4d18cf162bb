#include "HostTestSupport.h"

#include "foundation/YObject.h"
#include "shell/YModule.h"

#include <array>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace HostTest;

namespace {

using LibraryInitialize = void* (*)(void*);
using EffectInterface = intptr_t (*)(void*, int64_t, int64_t);

// The library's module as its loader sees it: YLibraryDLLInitialize answers the
// existing module unchanged, or makes one with the block's name.
class Modules : public ::testing::Test {
protected:
    void SetUp() override {
        library = Load();
        ASSERT_TRUE(library);
        initialize = reinterpret_cast<LibraryInitialize>(library->Symbol("YLibraryDLLInitialize"));
        ASSERT_NE(initialize, nullptr);
        // A module a loader made in an earlier test goes with the next instance.
        MakeVst2(library).reset();
    }
    Module* Current() {
        YLibraryInitializeBlock block{table.data(), nullptr, "Made by the loader"};
        return static_cast<Module*>(initialize(&block));
    }
    bool Existed(Module* module) { return !(module->Name() == YString("Made by the loader")); }

    std::shared_ptr<YPluginLibrary> library;
    LibraryInitialize initialize = nullptr;
    std::array<intptr_t, 5> table{};
};

TEST_F(Modules, InstancesOfOneInterfaceShareTheModuleUntilTheLastGoes) {
    auto first = MakeVst2(library);
    auto second = MakeVst2(library);
    Module* module = Current();
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(Existed(module));
    EXPECT_EQ(module->Name(), YString("VortalisTestPlugin"));
    const uint32_t serial = module->Serial();
    first.reset();
    EXPECT_EQ(Current()->Serial(), serial);
    second.reset();
    Module* after = Current();
    EXPECT_FALSE(Existed(after));  // the last instance destroyed it; the loader made a new one
    EXPECT_GT(after->Serial(), serial);
}

TEST_F(Modules, TheLastVst3InstanceDestroysTheModuleToo) {
    auto first = MakeVst3(library);
    auto second = MakeVst3(library);
    const uint32_t serial = Current()->Serial();
    EXPECT_TRUE(Existed(Current()));
    first.reset();
    EXPECT_EQ(Current()->Serial(), serial);
    second.reset();
    EXPECT_FALSE(Existed(Current()));
}

TEST_F(Modules, EachInterfaceCountsItsOwnInstances) {
    auto vst2 = MakeVst2(library);
    auto vst3 = MakeVst3(library);
    ASSERT_TRUE(Existed(Current()));
    vst3.reset();  // the last VST 3 instance: the module goes while a VST 2 instance lives
    EXPECT_FALSE(Existed(Current()));
    vst3 = MakeVst3(library);  // a new instance finds the loader's module
    EXPECT_FALSE(Existed(Current()));
    vst3.reset();
    EXPECT_TRUE(vst2->Effect() != nullptr);
}

TEST(Entries, AHostThatDoesNotAnswerTheVersionGetsNoPlugin) {
    auto library = Load();
    YVst2HostedPlugin::Options options;
    options.hostVersion = 0;
    YString error;
    EXPECT_EQ(YVst2HostedPlugin::Create(library, error, options), nullptr);
}

TEST(Entries, MainIsVSTPluginMainAndExitDllIsInitDll) {
    auto library = Load();
    EXPECT_EQ(library->Symbol("main"), library->Symbol("VSTPluginMain"));
    EXPECT_EQ(library->Symbol("ExitDll"), library->Symbol("InitDll"));
    auto init = reinterpret_cast<bool (*)()>(library->Symbol("InitDll"));
    ASSERT_NE(init, nullptr);
    EXPECT_TRUE(init());
    const bool linuxEntries = library->Symbol("ModuleEntry") != nullptr && library->Symbol("ModuleExit") != nullptr;
    EXPECT_EQ(linuxEntries, !Platform::kWindowsTarget);
}

TEST(Entries, EveryFactoryCallHandsOutOneReference) {
    auto library = Load();
    auto getFactory = reinterpret_cast<Vst3::GetFactoryProc>(library->Symbol("GetPluginFactory"));
    ASSERT_NE(getFactory, nullptr);
    Vst3::IPluginFactory* first = getFactory();
    Vst3::IPluginFactory* second = getFactory();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(second->release(), 1u);
    EXPECT_EQ(first->release(), 0u);  // gone with the last reference ...
    Vst3::IPluginFactory* third = getFactory();  // ... and made anew
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->countClasses(), 2);
    EXPECT_EQ(third->release(), 0u);
}

TEST(Entries, TheEffectExportMakesAndAnswersEffects) {
    auto library = Load();
    auto effectInterface = reinterpret_cast<EffectInterface>(library->Symbol("VortalisAudioEffectPluginInterface"));
    ASSERT_NE(effectInterface, nullptr);
    const intptr_t made = effectInterface(nullptr, 7, 0);
    ASSERT_NE(made, 0);
    EXPECT_EQ(effectInterface(reinterpret_cast<void*>(made), 7, 0), made);
    delete reinterpret_cast<YObject*>(made);
}

}  // namespace

// A host thread that used the plug-in may end after the host has unloaded the
// library: nothing the library left on the thread may run then.
TEST(Unloading, AThreadThatUsedThePluginMayEndAfterTheLibraryIsGone) {
    std::shared_ptr<YPluginLibrary> library = Load();
    ASSERT_TRUE(library);
    std::mutex mutex;
    std::condition_variable changed;
    bool used = false, unloaded = false;
    std::thread worker([&] {
        {
            auto plugin = MakeVst3(library);
            if (plugin && plugin->Prepare(48000.0, 256, 2, 2)) ProcessSignal(*plugin, 256);
        }
        std::unique_lock lock(mutex);
        used = true;
        changed.notify_all();
        changed.wait(lock, [&] { return unloaded; });
    });
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return used; });
        library.reset();
        unloaded = true;
        changed.notify_all();
    }
    worker.join();
}
