// Token streams: splitting, delimiter changes, the end state and allocation
// failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fault.h"
#include "support/reset.h"
#include "xq_utils.h"

namespace {

// One call of GetStrTokEx: the delimiter set it passes (nullptr keeps the
// current one) and the token expected (nullptr: the end).
struct Step {
    const char* delimiters;
    const char* token;
};

struct StreamCase {
    const char* label;
    std::string text;
    const char* delimiters;
    std::vector<Step> steps;
};

TEST(TokenStream, SplitsStepByStep) {
    const StreamCase cases[] = {
        {"runs of delimiters", ",,a,b,,c,,", ",",
         {{nullptr, "a"}, {nullptr, "b"}, {nullptr, "c"}, {nullptr, nullptr}, {nullptr, nullptr}, {";", nullptr}}},
        {"empty text", "", ",", {{nullptr, nullptr}, {"", nullptr}}},
        {"delimiters only", ";;,;", ",;", {{nullptr, nullptr}, {"x", nullptr}}},
        {"no delimiters", "a, b", "", {{nullptr, "a, b"}, {nullptr, nullptr}}},
        {"set changes and is kept", "a b;c;d", " ", {{nullptr, "a"}, {";", "b"}, {nullptr, "c"}, {nullptr, "d"}}},
        {"any character of the set", "k=v;w", "=;", {{nullptr, "k"}, {nullptr, "v"}, {nullptr, "w"}}},
        {"high-bit delimiter", "a\xB7" "b", "\xB7", {{nullptr, "a"}, {nullptr, "b"}, {nullptr, nullptr}}},
        {"end is final", "a,", ",", {{nullptr, "a"}, {nullptr, nullptr}, {"", nullptr}, {"a", nullptr}}},
        {"whole rest after clearing the set", "a,b,c", ",", {{nullptr, "a"}, {"", "b,c"}, {",", nullptr}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string original = c.text;
        TokenStream* stream = CreateStrTokEx(c.text.c_str(), c.delimiters);
        ASSERT_NE(stream, nullptr);
        std::vector<const char*> tokens;
        for (const Step& step : c.steps) {
            const char* token = GetStrTokEx(stream, step.delimiters);
            if (step.token == nullptr) {
                EXPECT_EQ(token, nullptr);
            } else {
                ASSERT_NE(token, nullptr);
                EXPECT_STREQ(token, step.token);
                tokens.push_back(token);
            }
        }
        EXPECT_EQ(c.text, original) << "the caller's text is never changed";
        // Tokens stay valid and unchanged until the stream is closed.
        std::size_t k = 0;
        for (const Step& step : c.steps) {
            if (step.token == nullptr) continue;
            EXPECT_STREQ(tokens[k++], step.token);
        }
        EXPECT_EQ(CloseStrTokEx(stream), 1);
    }
}

TEST(TokenStream, NullArgumentsAndAllocationFailures) {
    xq::test::reset_library_state();
    EXPECT_EQ(CreateStrTokEx(nullptr, ","), nullptr);
    EXPECT_EQ(CreateStrTokEx("a", nullptr), nullptr);
    EXPECT_EQ(GetStrTokEx(nullptr, ","), nullptr);
    EXPECT_EQ(CloseStrTokEx(nullptr), 0);
    // The record, then the copy: either failing leaves nothing allocated
    // (the leak checker of the sanitizer build sees to that).
    for (const int failing : {1, 2}) {
        xq::os::fault_arm({xq::os::Op::alloc, failing});
        EXPECT_EQ(CreateStrTokEx("a,b", ","), nullptr) << "allocation " << failing;
        EXPECT_EQ(xq::os::fault_count(), failing);
    }
    xq::test::reset_library_state();
}

}  // namespace
