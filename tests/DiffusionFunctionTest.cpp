#include "src/filter/diffusionfunctions/DiffusionBFB.h"
#include "src/filter/diffusionfunctions/DiffusionCharbonnier.h"
#include "src/filter/diffusionfunctions/DiffusionFAB.h"
#include "src/filter/diffusionfunctions/DiffusionHollmer.h"
#include "src/filter/diffusionfunctions/DiffusionLinear.h"
#include "src/filter/diffusionfunctions/DiffusionPeronaMalik.h"
#include "src/filter/diffusionfunctions/DiffusionTV.h"
#include "src/filter/diffusionfunctions/DiffusionTukey.h"
#include "src/filter/diffusionfunctions/DiffusionWeickert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

namespace {

using Factory = std::function<std::unique_ptr<DiffusionFunction>()>;

template <class G, class... Args> Factory make(Args... args) {
    return [=] { return std::make_unique<G>(args...); };
}

struct DiffusivityCase {
    const char* sName;
    Factory factory;
    double s;
    double dExpected;
    bool bExact; // the formula's arithmetic leaves no rounding
};

const DiffusivityCase aCases[] = {
    {"linear_at_zero", make<DiffusionLinear>(), 0.0, 1.0, true},
    {"linear_large", make<DiffusionLinear>(), 1e300, 1.0, true},
    {"linear_negative", make<DiffusionLinear>(), -5.0, 1.0, true},
    {"hollmer_zero_is_one", make<DiffusionHollmer>(1.0), 0.0, 1.0, true},
    {"hollmer_at_lambda_squared", make<DiffusionHollmer>(1.0), 1.0, 1.0 - std::exp(-3.315), false},
    {"hollmer_scales_with_lambda2_over_s", make<DiffusionHollmer>(2.0), 4.0, 1.0 - std::exp(-3.315),
     false},
    {"hollmer_reads_s_as_squared_gradient", make<DiffusionHollmer>(1.0), 0.5,
     1.0 - std::exp(-3.315 * 16.0), false},
    {"hollmer_large_s", make<DiffusionHollmer>(1.0), 4.0, 1.0 - std::exp(-3.315 / 256.0), false},
    {"hollmer_own_constant", make<DiffusionHollmer>(1.0, 2.0), 1.0, 1.0 - std::exp(-2.0), false},
    {"weickert_zero_is_one", make<DiffusionWeickert>(1.0), 0.0, 1.0, true},
    {"weickert_at_lambda", make<DiffusionWeickert>(1.0), 1.0, 1.0 - std::exp(-3.31488), false},
    {"weickert_eighth_power_of_s_over_lambda", make<DiffusionWeickert>(1.0), 2.0,
     1.0 - std::exp(-3.31488 / 256.0), false},
    {"weickert_below_lambda_is_one", make<DiffusionWeickert>(2.0), 1.0, 1.0, true},
    {"peronamalik_zero", make<DiffusionPeronaMalik>(2.0), 0.0, 1.0, true},
    {"peronamalik_half", make<DiffusionPeronaMalik>(2.0), 2.0, 0.5, true},
    {"peronamalik_squares_s", make<DiffusionPeronaMalik>(1.0), 3.0, 0.1, false},
    {"charbonnier_zero", make<DiffusionCharbonnier>(2.0), 0.0, 1.0, true},
    {"charbonnier_root_half", make<DiffusionCharbonnier>(2.0), 2.0, 1.0 / std::sqrt(2.0), false},
    {"tukey_zero", make<DiffusionTukey>(2.0), 0.0, 1.0, true},
    {"tukey_inside", make<DiffusionTukey>(2.0), 1.0, 9.0 / 16.0, true},
    {"tukey_at_lambda", make<DiffusionTukey>(2.0), 2.0, 0.0, true},
    {"tukey_beyond_lambda", make<DiffusionTukey>(2.0), 2.5, 0.0, true},
    {"tukey_far_beyond_lambda", make<DiffusionTukey>(2.0), 100.0, 0.0, true},
    {"fab_zero", make<DiffusionFAB>(1.0, 2.0), 0.0, 1.0, true},
    {"fab_turns_negative", make<DiffusionFAB>(1.0, 2.0), 2.0, 2.0 * std::exp(-4.0) - std::exp(-1.0),
     false},
    {"fab_parameters_in_order", make<DiffusionFAB>(2.0, 1.0), 2.0,
     2.0 * std::exp(-1.0) - std::exp(-4.0), false},
    {"tv_below_lambda", make<DiffusionTV>(0.5), 0.25, 2.0, true},
    {"tv_at_lambda", make<DiffusionTV>(0.5), 0.5, 2.0, true},
    {"tv_above_lambda", make<DiffusionTV>(0.5), 4.0, 0.25, true},
    {"tv_negative_s_uses_magnitude", make<DiffusionTV>(-1.0), -4.0, 0.25, true},
    {"bfb_below_lambda", make<DiffusionBFB>(0.5), 0.25, 4.0, true},
    {"bfb_at_lambda", make<DiffusionBFB>(0.5), 0.5, 4.0, true},
    {"bfb_above_lambda", make<DiffusionBFB>(0.5), 4.0, 1.0 / 16.0, true},
};

class DiffusivityTable : public testing::TestWithParam<DiffusivityCase> {};

TEST_P(DiffusivityTable, GivesTheFormulaValue) {
    const DiffusivityCase& c = GetParam();
    const std::unique_ptr<DiffusionFunction> g = c.factory();
    const double dValue = g->diffusivity(c.s);
    if (c.bExact) {
        EXPECT_EQ(dValue, c.dExpected);
    } else {
        EXPECT_DOUBLE_EQ(dValue, c.dExpected);
    }
}

INSTANTIATE_TEST_SUITE_P(AllFunctions, DiffusivityTable, testing::ValuesIn(aCases),
                         [](const testing::TestParamInfo<DiffusivityCase>& info) {
                             return std::string(info.param.sName);
                         });

TEST(Diffusivity, WeickertIsBelowHollmerAtTheSameArgument) {
    DiffusionWeickert weickert(1.0);
    DiffusionHollmer hollmer(1.0);
    EXPECT_LT(weickert.diffusivity(1.0), hollmer.diffusivity(1.0));
}

} // namespace
