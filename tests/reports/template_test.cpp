#include "reports/template.h"

#include <climits>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

#include "app/error.h"

namespace seewolf::reports {
namespace {

TEST(Template, DirectivesTakeTheirValuesInOrderOrByIndex) {
    const std::vector<TemplateValue> values = {std::string("Hans"), 12LL, 24500.5, std::string("U-99")};
    struct Case {
        const char* pattern;
        const char* text;
    };
    const Case cases[] = {
        {"%s (%d)", "Hans (12)"},
        {"%2:f", "24500.50"},
        {"%3:s commanded by %0:s", "U-99 commanded by Hans"},
        {"%1:d patrols, %.0f tons",
         "12 patrols, 24500 tons"},  // after an index, the next value; halves to even
        {"%1:.3d|%0:.2s|100%%", "012|Ha|100%"},
        {"no directive", "no directive"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FillTemplate(c.pattern, values, "program text 1"), c.text) << c.pattern;
    }
    const std::vector<TemplateValue> smallest = {static_cast<long long>(LLONG_MIN)};
    EXPECT_EQ(FillTemplate("%d", smallest, "t"), std::to_string(LLONG_MIN));
}

TEST(Template, AMismatchIsAnErrorNamingTheText) {
    const std::vector<TemplateValue> values = {std::string("Hans"), 12LL, 2.5};
    for (const char* pattern : {"%d", "%s %s", "%s %d %d", "%f", "%s %d %s", "%5:s", "%x", "%", "abc %.",
                                "%1s", "%1234:s", "%.f"}) {
        try {
            FillTemplate(pattern, values, "program text 219");
            ADD_FAILURE() << pattern;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find("program text 219"), std::string::npos) << e.what();
        }
    }
    const std::vector<TemplateValue> infinite = {std::numeric_limits<double>::infinity()};
    EXPECT_THROW(FillTemplate("%f", infinite, "t"), Error);
}

}  // namespace
}  // namespace seewolf::reports
