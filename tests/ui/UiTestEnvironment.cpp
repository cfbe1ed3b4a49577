// One QApplication for all widget tests of this executable.

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class TUiEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        static int Argc = 1;
        static char Name[] = "ui_tests";
        static char* Argv[] = {Name, nullptr};
        App = std::make_unique<QApplication>(Argc, Argv);
    }
    void TearDown() override { App.reset(); }

private:
    std::unique_ptr<QApplication> App;
};

[[maybe_unused]] testing::Environment* const Environment = testing::AddGlobalTestEnvironment(new TUiEnvironment);

} // namespace
