// One QApplication for all widget tests of this executable.

#include "support/KvGuiTestEnvironment.h"

#include <QApplication>

[[maybe_unused]] static testing::Environment* const Environment =
    kv::test::RegisterGuiEnvironment<QApplication>("ui_tests");
