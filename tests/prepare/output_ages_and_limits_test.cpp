// The output ages prepare chooses when a description lists none (a clock grid through the daily
// extremes, fine while the concrete heats and after a change of surface, coarse elsewhere), and the
// description's [limits] checked against the sourced tables of exposure classes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "heat/heat_test_support.hpp"
#include "description_support.hpp"
#include "prepare/prepare.hpp"
#include "records/run_error.hpp"

namespace tc::prepare {
namespace {

// A one-part description ending in tail; the air has a daily cycle warmest at 0.6 day and the
// faces lose their formwork at 3 days.
std::string Describe(const std::string& tail) {
    return R"([[part]]
rectangle = { x = [0.0, 400.0], y = [0.0, 1000.0] }
[mesh]
size = 100.0
)" + fixtures::ConcreteTable() + fixtures::GivenDeckTables() + R"([ambient]
temperature = { mean = 10.0, amplitude = 5.0, peak = 0.6 }
[[boundary]]
side = "left"
h = [[0.0, 8.0], [3.0, 14.0]]
)" + tail;
}

bool Has(const std::vector<double>& ages, double t) {
    return std::any_of(ages.begin(), ages.end(), [t](double a) { return std::fabs(a - t) < 1e-9; });
}

TEST(PrepareOutputAges, ChosenOnTheClockFineWhileHeatingAndAfterAChangeOfSurface) {
    const std::vector<double> ages = ParseDescription(Describe("[output]\nend = 10.0\n"), "d.toml").heat.outputAges;
    ASSERT_FALSE(ages.empty());
    EXPECT_EQ(ages.back(), 10.0);
    EXPECT_GT(ages.front(), 0.0);
    EXPECT_TRUE(std::is_sorted(ages.begin(), ages.end()));
    // Daily extremes of the air (0.6 + k/2 days) are ages, in the fine and in the coarse part.
    for (double t : {0.6, 1.1, 1.6, 5.1, 5.6, 9.1, 9.6}) EXPECT_TRUE(Has(ages, t)) << t;
    // Heating lasts to 95 % of the adiabatic rise, ln(20) / 1.1 = 2.72 days; the surface changes at 3.
    const double fine = DefaultFineStep, coarse = DefaultCoarseStep;
    for (std::size_t i = 1; i < ages.size() - 1; ++i) {
        const double step = ages[i] - ages[i - 1];
        const bool inFine = ages[i] <= std::log(20.0) / 1.1 || (ages[i - 1] >= 3.0 && ages[i] <= 3.0 + DefaultSettle);
        const bool inCoarse = ages[i - 1] >= 3.0 + DefaultSettle;
        if (inFine) {
            EXPECT_NEAR(step, fine, 1e-9) << ages[i];
        }
        if (inCoarse) {
            EXPECT_NEAR(step, coarse, 1e-9) << ages[i];
        }
    }
    // Listed ages stay as listed; the choice's own keys are checked.
    EXPECT_EQ(ParseDescription(Describe("[output]\nages = [0.5, 1.0]\n"), "d.toml").heat.outputAges,
              (std::vector<double>{0.5, 1.0}));
    EXPECT_EQ(ParseDescription(Describe(""), "d.toml").heat.outputAges.back(), 28.0);
    try {
        ParseDescription(Describe("[output]\nfine_step = 0.1\ncoarse_step = 0.25\n"), "d.toml");
        ADD_FAILURE() << "a coarse step that is no multiple of the fine one was taken";
    } catch (const RunError& e) {
        EXPECT_NE(std::string(e.what()).find("line 36: key \"output.coarse_step\": must be a whole multiple"),
                  std::string::npos) << e.what();
    }
}

TEST(PrepareLimits, ExposureClassesComeFromTheSourcedTablesAndUnknownOnesAreRefused) {
    // Rows of EN 1992-1-1 Table 7.1N and ACI 224R Table 4.1, each with its source.
    const std::vector<ExposureClass> classes = ExposureClasses();
    const auto find = [&](const std::string& name) {
        return *std::find_if(classes.begin(), classes.end(), [&](const ExposureClass& c) { return c.name == name; });
    };
    EXPECT_EQ(find("XC1").width, 0.4);
    EXPECT_EQ(find("XS3").width, 0.3);
    EXPECT_EQ(find("humid air").width, 0.30);
    EXPECT_EQ(find("water-retaining").width, 0.10);
    for (const ExposureClass& c : classes) EXPECT_FALSE(c.source.empty()) << c.name;

    const Description d = ParseDescription(Describe("[limits]\nmax_temperature = 65.0\nexposure = \"XD1\"\n"), "d.toml");
    EXPECT_EQ(*d.limits.maxTemperature, 65.0);
    EXPECT_EQ(LimitsText(d).substr(LimitsText(d).find("max_temperature")),
              "max_temperature = 65.0   # C\nexposure = \"XD1\"\n");
    const auto refused = [](const std::string& tail, const std::string& expected) {
        try {
            ParseDescription(Describe(tail), "d.toml");
            ADD_FAILURE() << tail;
        } catch (const RunError& e) {
            EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
        }
    };
    refused("[limits]\nexposure = \"XC5\"\n",
            "d.toml, line 35: key \"limits.exposure\": \"XC5\" is not a known exposure class (known: \"dry air\", "
            "\"humid air\", \"deicing chemicals\", \"seawater\", \"water-retaining\", \"X0\", \"XC1\"");
    refused("[limits]\nallowable_width = 0.2\nexposure = \"XC3\"\n", "line 36: key \"limits.exposure\": give either");
    refused("[limits]\nmax_temp = 70.0\n", "line 35: key \"limits.max_temp\": is not a known key");
}

}  // namespace
}  // namespace tc::prepare
