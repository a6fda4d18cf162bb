#include "shell/YModule.h"

#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <array>
#include <thread>
#include <vector>

namespace {

// The library state is process-wide: every test leaves no instance and no module.
class Library : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(YLibrary::InstanceCount(YPluginInterface::Vst2), 0);
        EXPECT_EQ(YLibrary::InstanceCount(YPluginInterface::Vst3), 0);
        EXPECT_EQ(YLibrary::GetModule(), nullptr);
    }
};

TEST_F(Library, TheModuleLivesWhileAnInterfaceHasInstances) {
    YLibrary::EnsureLibrary();
    Module* module = YLibrary::GetModule();
    ASSERT_NE(module, nullptr);
    YLibrary::AddInstance(YPluginInterface::Vst2);
    YLibrary::EnsureLibrary();
    YLibrary::AddInstance(YPluginInterface::Vst2);
    EXPECT_EQ(YLibrary::GetModule(), module);  // the second instance shares it
    YLibrary::RemoveInstance(YPluginInterface::Vst2);
    EXPECT_EQ(YLibrary::GetModule(), module);
    YLibrary::RemoveInstance(YPluginInterface::Vst2);
    EXPECT_EQ(YLibrary::GetModule(), nullptr);  // the last one took it along
}

TEST_F(Library, TheLastInstanceOfEitherInterfaceDestroysTheModule) {
    YLibrary::EnsureLibrary();
    const uint32_t first = YLibrary::GetModule()->Serial();
    YLibrary::AddInstance(YPluginInterface::Vst2);
    YLibrary::AddInstance(YPluginInterface::Vst3);
    YLibrary::RemoveInstance(YPluginInterface::Vst3);
    EXPECT_EQ(YLibrary::GetModule(), nullptr);  // although a VST 2 instance lives on
    YLibrary::EnsureLibrary();
    EXPECT_GT(YLibrary::GetModule()->Serial(), first);  // a later instance makes a new one
    YLibrary::RemoveInstance(YPluginInterface::Vst2);
}

TEST_F(Library, AModuleOutsideALibraryHoldsTheProgramsHandle) {
    YLibrary::EnsureLibrary();
    Module* module = YLibrary::GetModule();
    ASSERT_NE(module, nullptr);
    void* library = Platform::LibraryHandle();
    EXPECT_EQ(module->InstanceHandle(), library ? library : Platform::MainProgramHandle());
    EXPECT_FALSE(module->Name().IsEmpty());
    YLibrary::AddInstance(YPluginInterface::Vst3);
    YLibrary::RemoveInstance(YPluginInterface::Vst3);
}

TEST_F(Library, ALoaderSharesItsTableAndNamesANewModule) {
    std::array<intptr_t, 5> table = {11, 22, 33, 44, 55};
    YLock loaderLock;
    YLibraryInitializeBlock block{table.data(), &loaderLock, "Loaded by hand"};
    Module* module = YLibrary::Initialize(block);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->Name(), YString("Loaded by hand"));
    EXPECT_EQ(YLibrary::SharedTable()[4], 55);
    EXPECT_EQ(YLibrary::SharedLock(), &loaderLock);

    // An existing module is handed back unchanged.
    YLibraryInitializeBlock second{nullptr, nullptr, "Other"};
    EXPECT_EQ(YLibrary::Initialize(second), module);
    EXPECT_EQ(module->Name(), YString("Loaded by hand"));
    YLibrary::AddInstance(YPluginInterface::Vst2);
    YLibrary::RemoveInstance(YPluginInterface::Vst2);
}

TEST_F(Library, InstancesMadeOnManyThreadsShareOneModule) {
    std::vector<std::thread> threads;
    std::array<Module*, 8> seen{};
    for (std::size_t t = 0; t < seen.size(); ++t)
        threads.emplace_back([&seen, t] {
            YLibrary::EnsureLibrary();
            YLibrary::AddInstance(YPluginInterface::Vst3);
            seen[t] = YLibrary::GetModule();
        });
    for (std::thread& thread : threads) thread.join();
    for (Module* module : seen) EXPECT_EQ(module, seen[0]);
    for (std::size_t t = 0; t < seen.size(); ++t) YLibrary::RemoveInstance(YPluginInterface::Vst3);
}

TEST(Processor, FeaturesAreThoseOfAnX86_64Machine) {
    // Every x86-64 processor has SSE and SSE2; the later ones depend on the machine.
    const Platform::CpuFeatures features = Platform::QueryCpuFeatures();
    EXPECT_TRUE(features.sse);
    EXPECT_TRUE(features.sse2);
    if (features.sse42) {
        EXPECT_TRUE(features.sse41);
    }
}

}  // namespace
