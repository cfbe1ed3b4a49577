#include "document/KvPlainCaption.h"

#include <gtest/gtest.h>

namespace {

struct TCase {
    const char* Caption;
    const char* Plain;
};

class PlainCaptionTest : public testing::TestWithParam<TCase> {};

TEST_P(PlainCaptionTest, RemovesTheMarkup)
{
    EXPECT_EQ(kv::PlainCaption(GetParam().Caption), GetParam().Plain);
}

INSTANTIATE_TEST_SUITE_P(Markup, PlainCaptionTest,
                         testing::Values(TCase{"", ""}, TCase{"Time", "Time"},
                                         TCase{"a\\+2\\+b", "a2b"},               // superscript on and off
                                         TCase{"10\\+ 3", "103"},                // one blank after an escape goes
                                         TCase{"10\\+  3", "10 3"},              // only one
                                         TCase{"\\S x", "x"},                    // upper-case escape letter
                                         TCase{"\\xy", "xy"},                    // unknown escape: backslash dropped
                                         TCase{"one\\\\two", "one\\two"},        // doubled backslash
                                         TCase{"\\b\\bbold", "bold"},            // toggles leave nothing
                                         TCase{"\\ss\\s(X)\\+2\\+:", "s(X)2:"},  // symbol font letter stays
                                         TCase{"end\\", "end"},                  // trailing backslash
                                         TCase{"\\i\\u\\o\\-x\\-", "x"},
                                         TCase{"\\ss\\sY\\+  -\\+(1)", "sY -(1)"}));

} // namespace
