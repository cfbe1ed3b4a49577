// Text layout and font metrics need a GUI application.

#include "support/KvGuiTestEnvironment.h"

#include <QGuiApplication>

[[maybe_unused]] static testing::Environment* const Environment =
    kv::test::RegisterGuiEnvironment<QGuiApplication>("report_tests");
