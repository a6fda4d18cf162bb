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

}  // namespace
