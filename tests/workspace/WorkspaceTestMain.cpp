// Painting and font metrics need a GUI application; gtest_main creates
// none, so one global environment does.

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class TGuiEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        static int Argc = 1;
        static char Name[] = "workspace_tests";
        static char* Argv[] = {Name, nullptr};
        App = std::make_unique<QGuiApplication>(Argc, Argv);
    }
    void TearDown() override { App.reset(); }

private:
    std::unique_ptr<QGuiApplication> App;
};

[[maybe_unused]] testing::Environment* const Env = testing::AddGlobalTestEnvironment(new TGuiEnvironment);

} // namespace
