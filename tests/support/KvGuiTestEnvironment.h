#pragma once
// One Qt application object for all tests of an executable: painting, font
// metrics and widgets need one, and gtest_main creates none.

#include <gtest/gtest.h>

#include <memory>

namespace kv::test {

template <class TApplication>
class TKvGuiEnvironment : public testing::Environment {
public:
    explicit TKvGuiEnvironment(const char* Name) : FName(Name) {}
    void SetUp() override
    {
        // The application keeps references to these for its whole life.
        static int Argc = 1;
        static char* Argv[] = {const_cast<char*>(FName), nullptr};
        FApplication = std::make_unique<TApplication>(Argc, Argv);
    }
    void TearDown() override { FApplication.reset(); }

private:
    const char* FName;
    std::unique_ptr<TApplication> FApplication;
};

// Registers the environment; call once per test executable, from a static
// initializer.
template <class TApplication>
testing::Environment* RegisterGuiEnvironment(const char* Name)
{
    return testing::AddGlobalTestEnvironment(new TKvGuiEnvironment<TApplication>(Name));
}

} // namespace kv::test
