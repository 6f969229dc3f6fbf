#include "src/filter/IsotropicFilter.h"
#include "src/filter/IsotropicRGBaverageGrad.h"
#include "src/filter/IsotropicRGBindependent.h"
#include "src/filter/IsotropicRGBnormedGradients.h"
#include "src/filter/diffusionfunctions/DiffusionPeronaMalik.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// g(dFactor * s) for a given g.
class ScaledArgument : public DiffusionFunction {
public:
    ScaledArgument(DiffusionFunction& base, double dFactor) : base(base), dFactor(dFactor) {}
    double diffusivity(double s) override { return base.diffusivity(dFactor * s); }

private:
    DiffusionFunction& base;
    double dFactor;
};

struct Channels {
    MathTL::Vector<double> vR;
    MathTL::Vector<double> vG;
    MathTL::Vector<double> vB;
};

MathTL::Vector<double> unevenImage(int N, double dPhase) {
    MathTL::Vector<double> v(N, true);
    for (int p = 0; p < N; ++p) {
        v[p] = 0.5 + 0.4 * std::sin(0.9 * p + dPhase) + 0.1 * (p % 3);
    }
    return v;
}

struct Settings {
    double dTimeStep;
    int iIterationCount;
    double dSigma;
};

using ColourRun = int (*)(const Settings&, DiffusionFunction&, Channels&, int, int*);

template <class Filter>
int runFilter(const Settings& s, DiffusionFunction& g, Channels& c, int iDimCount,
              int* iaDimensions) {
    Filter filter(s.dTimeStep, s.iIterationCount, s.dSigma, g);
    return filter.filter(c.vR, c.vG, c.vB, iDimCount, iaDimensions);
}

template <class Filter>
int runPresmooth(const Settings& s, DiffusionFunction& g, Channels& c, int iDimCount,
                 int* iaDimensions) {
    Filter filter(s.dTimeStep, s.iIterationCount, s.dSigma, g);
    return filter.presmooth(c.vR, c.vG, c.vB, iDimCount, iaDimensions);
}

// Three equal channels reproduce the grey filter: the mean of three equal values is the value
// (up to the rounding of (R+R+R)/3), while the summed squared gradients are 3|grad u|^2, which
// the grey filter sees exactly when its g is fed 3s.
TEST(ColourFilter, EqualChannelsGiveTheGreyResult) {
    struct Case {
        const char* sName;
        ColourRun run;
        double dGreyFactor;
        double dTolerance;
    };
    const Case aCases[] = {
        {"independent", &runFilter<IsotropicRGBindependent>, 1.0, 0.0},
        {"average gradient", &runFilter<IsotropicRGBaverageGrad>, 1.0, 1e-13},
        {"normed gradients", &runFilter<IsotropicRGBnormedGradients>, 3.0, 0.0},
    };
    const Settings settings = {0.01, 3, 0.2};
    int iaDimensions[] = {0, 4, 3, 2};
    const MathTL::Vector<double> vImage = unevenImage(24, 0.3);
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.sName);
        DiffusionPeronaMalik peronaMalik(1.0);
        ScaledArgument greyDiffusivity(peronaMalik, c.dGreyFactor);
        IsotropicFilter grey(settings.dTimeStep, settings.iIterationCount, settings.dSigma,
                             greyDiffusivity);
        MathTL::Vector<double> vGrey = vImage;
        ASSERT_EQ(grey.filter(vGrey, 3, iaDimensions), 0);

        Channels channels = {vImage, vImage, vImage};
        EXPECT_EQ(c.run(settings, peronaMalik, channels, 3, iaDimensions), 0);
        for (const MathTL::Vector<double>* pChannel : {&channels.vR, &channels.vG, &channels.vB}) {
            for (size_t i = 0; i < vGrey.size(); ++i) {
                EXPECT_NEAR((*pChannel)[i], vGrey[i], c.dTolerance) << "pixel " << i;
            }
        }
    }
}

// On a 3 x 4 grid (h = 0.5) without presmoothing: R = i_1 and G = -i_1 cancel in the mean but
// add up in the summed squared gradients, 2 (1/h)^2 = 8; a constant B adds nothing. With
// B = i_2 the mean i_2/3 has the squared gradient (1/(3h))^2 = 4/9, and the sum gains 4.
TEST(ColourFilter, CouplingsMeasureEdgesAcrossChannels) {
    struct Case {
        const char* sName;
        ColourRun run;
        double dBlueSlope;
        double dExpected;
    };
    const Case aCases[] = {
        {"opposite ramps, average gradient", &runFilter<IsotropicRGBaverageGrad>, 0.0, 0.0},
        {"opposite ramps, normed gradients", &runFilter<IsotropicRGBnormedGradients>, 0.0, 8.0},
        {"blue ramp along axis 2, average gradient", &runFilter<IsotropicRGBaverageGrad>, 1.0,
         4.0 / 9.0},
        {"blue ramp along axis 2, normed gradients", &runFilter<IsotropicRGBnormedGradients>, 1.0,
         12.0},
    };
    int iaDimensions[] = {0, 3, 4};
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.sName);
        Channels channels = {MathTL::Vector<double>(12, true), MathTL::Vector<double>(12, true),
                             MathTL::Vector<double>(12, true)};
        for (int p = 0; p < 12; ++p) {
            channels.vR[p] = p % 3;
            channels.vG[p] = -(p % 3);
            channels.vB[p] = c.dBlueSlope * (p / 3);
        }
        RecordingDiffusivity recorder;
        EXPECT_EQ(c.run({0.01, 1, 0.0}, recorder, channels, 2, iaDimensions), 0);
        ASSERT_EQ(recorder.vArguments.size(), 12u);
        for (size_t i = 0; i < 12; ++i) {
            EXPECT_NEAR(recorder.vArguments[i], c.dExpected, 1e-14) << "pixel " << i;
        }
    }
}

// The presmoothing is the same linear step for every coupling: each channel ends as the grey
// presmoothing leaves it, and the diffusivity is never asked.
TEST(ColourFilter, PresmoothingIsTheGreyOneForEveryCoupling) {
    struct Case {
        const char* sName;
        ColourRun run;
    };
    const Case aCases[] = {
        {"independent", &runPresmooth<IsotropicRGBindependent>},
        {"average gradient", &runPresmooth<IsotropicRGBaverageGrad>},
        {"normed gradients", &runPresmooth<IsotropicRGBnormedGradients>},
    };
    const Settings settings = {0.01, 3, 0.4};
    int iaDimensions[] = {0, 4, 3, 2};
    const Channels image = {unevenImage(24, 0.3), unevenImage(24, 1.7), unevenImage(24, 4.1)};
    RecordingDiffusivity unused;
    IsotropicFilter grey(settings.dTimeStep, settings.iIterationCount, settings.dSigma, unused);
    Channels expected = image;
    for (MathTL::Vector<double>* pChannel : {&expected.vR, &expected.vG, &expected.vB}) {
        ASSERT_EQ(grey.presmooth(*pChannel, 3, iaDimensions), 0);
    }
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.sName);
        Channels channels = image;
        EXPECT_EQ(c.run(settings, unused, channels, 3, iaDimensions), 0);
        EXPECT_EQ(valuesOf(channels.vR), valuesOf(expected.vR));
        EXPECT_EQ(valuesOf(channels.vG), valuesOf(expected.vG));
        EXPECT_EQ(valuesOf(channels.vB), valuesOf(expected.vB));
    }
    EXPECT_TRUE(unused.vArguments.empty());
    EXPECT_NE(valuesOf(expected.vR), valuesOf(image.vR));
}

// Fewer than one axis: the coupled filters refuse with -1; the independent one passes the count
// to the grey filter per channel and reports 0. No channel changes.
TEST(ColourFilter, FewerThanOneAxisLeavesTheChannels) {
    struct Case {
        const char* sName;
        ColourRun run;
        int iExpected;
    };
    const Case aCases[] = {
        {"independent filter", &runFilter<IsotropicRGBindependent>, 0},
        {"independent presmooth", &runPresmooth<IsotropicRGBindependent>, 0},
        {"average gradient filter", &runFilter<IsotropicRGBaverageGrad>, -1},
        {"average gradient presmooth", &runPresmooth<IsotropicRGBaverageGrad>, -1},
        {"normed gradients filter", &runFilter<IsotropicRGBnormedGradients>, -1},
        {"normed gradients presmooth", &runPresmooth<IsotropicRGBnormedGradients>, -1},
    };
    int iaDimensions[] = {0, 4, 3};
    const Channels image = {unevenImage(12, 0.3), unevenImage(12, 1.7), unevenImage(12, 4.1)};
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.sName);
        DiffusionPeronaMalik peronaMalik(1.0);
        Channels channels = image;
        EXPECT_EQ(c.run({0.01, 3, 0.3}, peronaMalik, channels, 0, iaDimensions), c.iExpected);
        EXPECT_EQ(valuesOf(channels.vR), valuesOf(image.vR));
        EXPECT_EQ(valuesOf(channels.vG), valuesOf(image.vG));
        EXPECT_EQ(valuesOf(channels.vB), valuesOf(image.vB));
    }
}

} // namespace
