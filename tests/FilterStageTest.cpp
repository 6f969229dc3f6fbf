#include "src/filter/AnisotropicFilter.h"
#include "src/filter/IsotropicFilter.h"
#include "src/filter/IsotropicRGBnormedGradients.h"
#include "src/filter/diffusionfunctions/DiffusionCharbonnier.h"
#include "src/filter/diffusionfunctions/DiffusionLinear.h"
#include "src/filter/diffusionfunctions/DiffusionPeronaMalik.h"
#include "src/filter/diffusionfunctions/DiffusionTukey.h"
#include "support/Fixtures.h"
#include "support/RunTool.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Channels = std::vector<std::vector<double>>;

// Pixel values with two decimals, so that their ASCII form reads back to the same doubles.
std::vector<double> testImage(int iCount, int iSeed) {
    std::vector<double> vd;
    unsigned int state = static_cast<unsigned int>(iSeed) * 2654435761u + 12345u;
    for (int i = 0; i < iCount; ++i) {
        state = state * 1103515245u + 12345u;
        vd.push_back(((state >> 8) % 100) / 100.0 + (i % 3 == 0 ? 1.0 : 0.0));
    }
    return vd;
}

std::string asciiOf(const std::vector<double>& vd) {
    std::ostringstream out;
    for (double d : vd) {
        out << d << "\n";
    }
    return out.str();
}

std::vector<double> valuesOfAscii(const std::string& sText) {
    std::vector<double> vd;
    std::istringstream in(sText);
    for (std::string sToken; in >> sToken;) {
        vd.push_back(std::strtod(sToken.c_str(), nullptr));
    }
    return vd;
}

struct Job {
    const char* sName;
    std::vector<std::string> vsBlocks; // dimension to data type
    std::vector<int> viDimensions;
    int iChannels;
    std::function<Channels(Channels)> expected; // the same job through the filter classes
};

const Job aJobs[] = {
    {"grey_2d",
     {"2d", "isotrop", "1e-3", "3", "0.02", "peronamalik", "5", "grey"},
     {5, 4},
     1,
     [](Channels c) {
         DiffusionPeronaMalik g(5);
         IsotropicFilter filter(1e-3, 3, 0.02, g);
         MathTL::Vector<double> u = vectorOf(c[0]);
         int aiDimensions[] = {0, 5, 4};
         filter.filter(u, 2, aiDimensions);
         return Channels{valuesOf(u)};
     }},
    {"grey_3d",
     {"3d", "isotrop", "1e-3", "2", "0.02", "charbonnier", "3", "grey"},
     {4, 3, 3},
     1,
     [](Channels c) {
         DiffusionCharbonnier g(3);
         IsotropicFilter filter(1e-3, 2, 0.02, g);
         MathTL::Vector<double> u = vectorOf(c[0]);
         int aiDimensions[] = {0, 4, 3, 3};
         filter.filter(u, 3, aiDimensions);
         return Channels{valuesOf(u)};
     }},
    {"colour_3d",
     {"3d", "isotrop", "1e-3", "2", "0.02", "tukey", "20", "RGBnormGradients"},
     {3, 3, 2},
     3,
     [](Channels c) {
         DiffusionTukey g(20);
         IsotropicRGBnormedGradients filter(1e-3, 2, 0.02, g);
         MathTL::Vector<double> uR = vectorOf(c[0]), uG = vectorOf(c[1]), uB = vectorOf(c[2]);
         int aiDimensions[] = {0, 3, 3, 2};
         filter.filter(uR, uG, uB, 3, aiDimensions);
         return Channels{valuesOf(uR), valuesOf(uG), valuesOf(uB)};
     }},
    {"anisotropic",
     {"2d", "anisotrop", "1e-3", "2", "0.02", "0.05", "peronamalik", "5", "linear", "grey"},
     {5, 4},
     1,
     [](Channels c) {
         DiffusionPeronaMalik contrast(5);
         DiffusionLinear normal;
         AnisotropicFilter filter(1e-3, 2, 0.02, 0.05, contrast, normal);
         MathTL::Vector<double> u = vectorOf(c[0]);
         filter.filter(u, 5, 4);
         return Channels{valuesOf(u)};
     }},
    {"presmooth",
     {"2d", "isotrop", "5e-8", "40", "0.0001", "linear", "grey", "presmooth"},
     {4, 4},
     1,
     [](Channels c) {
         DiffusionLinear g;
         IsotropicFilter filter(5e-8, 40, 0.0001, g);
         MathTL::Vector<double> u = vectorOf(c[0]);
         int aiDimensions[] = {0, 4, 4};
         filter.presmooth(u, 2, aiDimensions);
         return Channels{valuesOf(u)};
     }},
};

const char* const asTransports[] = {"binaryfile", "asciifile", "binarystdinout", "asciistdinout"};

class EndToEnd : public testing::TestWithParam<std::tuple<Job, const char*>> {};

TEST_P(EndToEnd, WritesWhatTheFilterComputes) {
    const Job& job = std::get<0>(GetParam());
    const std::string sTransport = std::get<1>(GetParam());
    const bool bBinary = sTransport.rfind("binary", 0) == 0;
    const bool bFile = sTransport.find("file") != std::string::npos;
    int iPixels = 1;
    for (int n : job.viDimensions) {
        iPixels *= n;
    }
    Channels input;
    for (int c = 0; c < job.iChannels; ++c) {
        input.push_back(testImage(iPixels, c + 1));
    }

    TemporaryDirectory directory;
    std::vector<std::string> vsArguments = job.vsBlocks;
    vsArguments.push_back(sTransport);
    std::string sStdin;
    const char* const asInputNames[] = {"in0", "in1", "in2"};
    for (int c = 0; c < job.iChannels; ++c) {
        const std::string sData = bBinary ? binaryOf(input[c]) : asciiOf(input[c]);
        if (bFile) {
            writeFile(directory / asInputNames[c], sData);
            vsArguments.push_back(asInputNames[c]);
        } else {
            sStdin += sData;
        }
    }
    for (int n : job.viDimensions) {
        vsArguments.push_back(std::to_string(n));
    }

    const ToolResult result = runTool(vsArguments, directory.path(), sStdin);
    ASSERT_EQ(result.iExitStatus, 0) << result.sStdout << result.sStderr;
    EXPECT_EQ(result.sStderr, "");

    std::string sOutput = result.sStdout;
    if (bFile) {
        EXPECT_EQ(result.sStdout, "");
        sOutput.clear();
        const std::vector<std::string> vsOutNames =
            job.iChannels == 1
                ? std::vector<std::string>{"filter.out"}
                : std::vector<std::string>{"filterR.out", "filterG.out", "filterB.out"};
        for (const std::string& sName : vsOutNames) {
            sOutput += readFile(directory / sName);
        }
    }
    const std::vector<double> vdOutput = bBinary ? valuesOfBinary(sOutput) : valuesOfAscii(sOutput);
    const Channels expected = job.expected(input);
    ASSERT_EQ(vdOutput.size(), static_cast<size_t>(iPixels * job.iChannels));
    bool bChanged = false;
    for (int c = 0; c < job.iChannels; ++c) {
        for (int i = 0; i < iPixels; ++i) {
            const double dOut = vdOutput[c * iPixels + i];
            const double dExpected = expected[c][i];
            bChanged = bChanged || dExpected != input[c][i];
            if (bBinary) {
                ASSERT_EQ(dOut, dExpected) << "channel " << c << " pixel " << i;
            } else {
                ASSERT_NEAR(dOut, dExpected, 1e-14 * std::fabs(dExpected))
                    << "channel " << c << " pixel " << i;
            }
        }
    }
    EXPECT_TRUE(bChanged) << "the job must change the image";
}

INSTANTIATE_TEST_SUITE_P(JobsAndTransports, EndToEnd,
                         testing::Combine(testing::ValuesIn(aJobs),
                                          testing::ValuesIn(asTransports)),
                         [](const testing::TestParamInfo<EndToEnd::ParamType>& info) {
                             return std::string(std::get<0>(info.param).sName) + "_" +
                                    std::get<1>(info.param);
                         });

const std::vector<std::string> vsAnisotropicPresmooth = {
    "2d", "anisotrop", "1e-3", "2", "0.02", "0.05", "linear", "linear", "grey", "presmooth"};

TEST(AnisotropicPresmooth, IsRefusedAfterReadingAndWritesNoImage) {
    TemporaryDirectory directory;
    writeFile(directory / "in", binaryOf(testImage(16, 1)));
    std::vector<std::string> vsArguments = vsAnisotropicPresmooth;
    vsArguments.insert(vsArguments.end(), {"binaryfile", "in", "4", "4"});
    const ToolResult result = runTool(vsArguments, directory.path());
    EXPECT_EQ(result.iExitStatus, 1);
    EXPECT_EQ(result.sStdout, "(NOCH) NICHT IMPLEMENTIERT");
    EXPECT_FALSE(fs::exists(directory / "filter.out"));
}

TEST(AnisotropicPresmooth, ReportsUnreadableInputFirst) {
    TemporaryDirectory directory;
    std::vector<std::string> vsArguments = vsAnisotropicPresmooth;
    vsArguments.insert(vsArguments.end(), {"binarystdinout", "4", "4"});
    const ToolResult result = runTool(vsArguments, directory.path(), binaryOf({1, 2, 3}));
    EXPECT_EQ(result.iExitStatus, 1);
    EXPECT_EQ(result.sStdout, "");
    EXPECT_NE(result.sStderr.find("Standardeingabe"), std::string::npos);
}

struct FailedSolveCase {
    const char* sName;
    std::vector<std::string> vsArguments;
    std::string sMessages;
    std::vector<double> vdOutput;
};

// fab with a tiny first and a huge second parameter is exactly -1 at s = 1 and 1 at s = 0. On
// the 2 x 2 image (0 1 0 1), h = 1, the squared gradient is 1 along the first axis and 0 along
// the second, so the first pivot of a system hits exactly 0: isotropic 2 + 2 tau (-1 - 1) with
// tau = 0.5 on both axes, anisotropic 4 + 16 tau (-1) with tau = 0.25 along the first axis.
const std::string sZeroPivot =
    "Thomas-Algorithmus: Fehler in LR-Zerlegung: Division durch Null bei i = 0 Abbruch\n";

const FailedSolveCase aFailedSolves[] = {
    {"isotropic",
     {"2d", "isotrop", "0.5", "1", "0", "fab", "0.01", "1e10", "grey", "asciistdinout", "2", "2"},
     sZeroPivot + sZeroPivot,
     {0, 0, 0, 0}},
    {"anisotropic",
     {"2d", "anisotrop", "0.25", "1", "0", "0", "fab", "0.01", "1e10", "linear", "grey",
      "asciistdinout", "2", "2"},
     sZeroPivot,
     // The second axis and both diagonals still add u/4, u/2 and u/4 of the first row.
     {0, 0.75, 0, 0.75}},
};

class FailedSolve : public testing::TestWithParam<FailedSolveCase> {};

TEST_P(FailedSolve, IsReportedWritesTheImageAndExitsWithOne) {
    const FailedSolveCase& c = GetParam();
    TemporaryDirectory directory;
    const ToolResult result = runTool(c.vsArguments, directory.path(), "0 1 0 1\n");
    EXPECT_EQ(result.iExitStatus, 1);
    EXPECT_EQ(result.sStderr.substr(0, c.sMessages.size()), c.sMessages);
    EXPECT_EQ(valuesOfAscii(result.sStdout), c.vdOutput);
}

INSTANTIATE_TEST_SUITE_P(BothFilters, FailedSolve, testing::ValuesIn(aFailedSolves),
                         [](const testing::TestParamInfo<FailedSolveCase>& info) {
                             return std::string(info.param.sName);
                         });

} // namespace
