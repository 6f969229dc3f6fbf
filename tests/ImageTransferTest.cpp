#include "support/RunTool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A pass-through job: no iterations, so the image comes back exactly as it went in.
std::vector<std::string> passThrough(const char* sDataType, std::vector<std::string> vsInput) {
    std::vector<std::string> vsArguments{"2d", "isotrop", "0.1", "0", "0.5", "linear", sDataType};
    vsArguments.insert(vsArguments.end(), vsInput.begin(), vsInput.end());
    return vsArguments;
}

const std::vector<double> vdImage = {1.0, -0.0, 0.1, 1e-310, -2.5e20, INFINITY, NAN, 3.0};
const std::vector<double> vdGreen = {8, 7, 6, 5, 4, 3, 2, 1};
const std::vector<double> vdBlue = {0.5, 0.25, 0.125, 1, 2, 4, 8, 16};

std::vector<std::string> filesIn(const fs::path& directory) {
    std::vector<std::string> vsNames;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
        vsNames.push_back(entry.path().filename().string());
    }
    std::sort(vsNames.begin(), vsNames.end());
    return vsNames;
}

TEST(ImageTransfer, BinaryFileComesBackBitForBitInTheWorkingDirectory) {
    TemporaryDirectory directory;
    fs::create_directory(directory / "in");
    writeFile(directory / "in" / "image.raw", binaryOf(vdImage));
    const ToolResult result =
        runTool(passThrough("grey", {"binaryfile", "in/image.raw", "4", "2"}), directory.path());
    EXPECT_EQ(result.iExitStatus, 0) << result.sStderr;
    EXPECT_EQ(result.sStdout, "");
    EXPECT_EQ(readFile(directory / "filter.out"), binaryOf(vdImage));
    EXPECT_EQ(filesIn(directory.path()), (std::vector<std::string>{"filter.out", "in"}));
}

TEST(ImageTransfer, BinaryFileOfAFullSizeImageHasNoHeader) {
    TemporaryDirectory directory;
    std::vector<double> vdValues(640 * 480, 0.0);
    vdValues[0] = 1.0;
    writeFile(directory / "image.raw", binaryOf(vdValues));
    const ToolResult result =
        runTool(passThrough("grey", {"binaryfile", "image.raw", "640", "480"}), directory.path());
    EXPECT_EQ(result.iExitStatus, 0) << result.sStderr;
    const std::string sOut = readFile(directory / "filter.out");
    EXPECT_EQ(sOut.size(), 8u * 640 * 480);
    EXPECT_EQ(sOut.substr(0, 8), std::string("\x00\x00\x00\x00\x00\x00\xF0\x3F", 8));
}

TEST(ImageTransfer, AsciiFileIsWrittenAsAscii) {
    TemporaryDirectory directory;
    writeFile(directory / "image.txt", "0.5 -2\t1e-5\r\n2.5e20\n");
    const ToolResult result =
        runTool(passThrough("grey", {"asciifile", "image.txt", "2", "2"}), directory.path());
    EXPECT_EQ(result.iExitStatus, 0) << result.sStderr;
    EXPECT_EQ(readFile(directory / "filter.out"), "0.5\n-2\n1e-005\n2.5e+020\n");
}

TEST(ImageTransfer, ColourFilesGoToTheirOwnOutputFiles) {
    TemporaryDirectory directory;
    writeFile(directory / "r.raw", binaryOf(vdImage));
    writeFile(directory / "g.raw", binaryOf(vdGreen));
    writeFile(directory / "b.raw", binaryOf(vdBlue));
    const ToolResult result =
        runTool(passThrough("RGBindependent", {"binaryfile", "r.raw", "g.raw", "b.raw", "2", "4"}),
                directory.path());
    EXPECT_EQ(result.iExitStatus, 0) << result.sStderr;
    EXPECT_EQ(readFile(directory / "filterR.out"), binaryOf(vdImage));
    EXPECT_EQ(readFile(directory / "filterG.out"), binaryOf(vdGreen));
    EXPECT_EQ(readFile(directory / "filterB.out"), binaryOf(vdBlue));
}

TEST(ImageTransfer, ColourThroughTheStandardStreamsKeepsTheOrderRGB) {
    TemporaryDirectory directory;
    const std::string sInput = binaryOf(vdImage) + binaryOf(vdGreen) + binaryOf(vdBlue);
    const ToolResult binary = runTool(passThrough("RGBnormGradients", {"binarystdinout", "4", "2"}),
                                      directory.path(), sInput);
    EXPECT_EQ(binary.iExitStatus, 0) << binary.sStderr;
    EXPECT_EQ(binary.sStdout, sInput);

    const ToolResult ascii = runTool(passThrough("RGBaverageGradient", {"asciistdinout", "2", "2"}),
                                     directory.path(), "1 2 3 4\n5 6 7 8\n9 10 11 12 13\n");
    EXPECT_EQ(ascii.iExitStatus, 0) << ascii.sStderr;
    EXPECT_EQ(ascii.sStdout, "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n");
    EXPECT_TRUE(fs::is_empty(directory.path()));
}

struct BadInputCase {
    const char* sName;
    std::vector<std::string> vsArguments;
    std::string sFile; // written to "in" before the run, unless empty
    std::string sStdin;
    std::string sMentions; // what the message on standard error must name
};

const std::string sFourValues = binaryOf({1, 2, 3, 4});

const BadInputCase aBadInputs[] = {
    {"missing_binary_file", passThrough("grey", {"binaryfile", "nowhere.raw", "2", "2"}), "", "",
     "nowhere.raw"},
    {"missing_ascii_file", passThrough("grey", {"asciifile", "nowhere.txt", "2", "2"}), "", "",
     "nowhere.txt"},
    {"short_binary_file", passThrough("grey", {"binaryfile", "in", "2", "3"}), sFourValues, "",
     "in"},
    {"binary_file_cut_inside_a_value", passThrough("grey", {"binaryfile", "in", "2", "2"}),
     sFourValues.substr(0, 29), "", "in"},
    {"short_binary_stdin", passThrough("grey", {"binarystdinout", "2", "3"}), "", sFourValues,
     "Standardeingabe"},
    {"colour_stdin_missing_blue", passThrough("RGBindependent", {"binarystdinout", "2", "2"}), "",
     sFourValues + sFourValues, "Standardeingabe"},
    {"ascii_file_too_few_numbers", passThrough("grey", {"asciifile", "in", "2", "2"}), "1 2 3\n",
     "", "in"},
    {"ascii_file_bad_token", passThrough("grey", {"asciifile", "in", "2", "2"}), "1 2 x 4\n", "",
     "in"},
    {"ascii_stdin_number_with_text", passThrough("grey", {"asciistdinout", "2", "2"}), "",
     "1 2 3abc 4\n", "Standardeingabe"},
    {"colour_file_missing_green",
     passThrough("RGBaverageGradient", {"binaryfile", "in", "nowhere", "in", "2", "2"}),
     sFourValues, "", "nowhere"},
};

class BadInput : public testing::TestWithParam<BadInputCase> {};

TEST_P(BadInput, IsReportedAndNothingIsWritten) {
    const BadInputCase& c = GetParam();
    TemporaryDirectory directory;
    if (!c.sFile.empty()) {
        writeFile(directory / "in", c.sFile);
    }
    const ToolResult result = runTool(c.vsArguments, directory.path(), c.sStdin);
    EXPECT_EQ(result.iExitStatus, 1);
    EXPECT_NE(result.sStderr.find(c.sMentions), std::string::npos) << result.sStderr;
    EXPECT_EQ(result.sStdout, "");
    const std::vector<std::string> vsLeft = filesIn(directory.path());
    EXPECT_TRUE(vsLeft.empty() || vsLeft == std::vector<std::string>{"in"});
}

INSTANTIATE_TEST_SUITE_P(Transports, BadInput, testing::ValuesIn(aBadInputs),
                         [](const testing::TestParamInfo<BadInputCase>& info) {
                             return std::string(info.param.sName);
                         });

TEST(ImageTransfer, AsciiReadsWhatItWrites) {
    TemporaryDirectory directory;
    writeFile(directory / "image.txt", "nan\ninf\n-inf\n-0\n");
    const ToolResult result =
        runTool(passThrough("grey", {"asciifile", "image.txt", "2", "2"}), directory.path());
    EXPECT_EQ(result.iExitStatus, 0) << result.sStderr;
    const std::string sFirst = readFile(directory / "filter.out");
    fs::rename(directory / "filter.out", directory / "again.txt");
    const ToolResult again =
        runTool(passThrough("grey", {"asciifile", "again.txt", "2", "2"}), directory.path());
    EXPECT_EQ(again.iExitStatus, 0) << again.sStderr;
    EXPECT_EQ(readFile(directory / "filter.out"), sFirst);
}

TEST(FailedWrite, FileSizeLimitKeepsTheEarlierOutput) {
    TemporaryDirectory directory;
    writeFile(directory / "image.raw", binaryOf(std::vector<double>(64 * 64, 0.5)));
    writeFile(directory / "filter.out", "earlier result");
    RunOptions options;
    options.iFileSizeLimit = 8 * 64 * 64 - 1;
    const ToolResult result = runTool(passThrough("grey", {"binaryfile", "image.raw", "64", "64"}),
                                      directory.path(), options);
    EXPECT_EQ(result.iExitStatus, 1);
    EXPECT_NE(result.sStderr.find("filter.out"), std::string::npos) << result.sStderr;
    EXPECT_EQ(readFile(directory / "filter.out"), "earlier result");
    EXPECT_EQ(filesIn(directory.path()), (std::vector<std::string>{"filter.out", "image.raw"}));
}

TEST(FailedWrite, ColourRenameFailureKeepsAllEarlierOutputs) {
    TemporaryDirectory directory;
    writeFile(directory / "c.raw", sFourValues);
    writeFile(directory / "filterR.out", "old red");
    fs::create_directory(directory / "filterG.out");
    writeFile(directory / "filterB.out", "old blue");
    const ToolResult result =
        runTool(passThrough("RGBindependent", {"binaryfile", "c.raw", "c.raw", "c.raw", "2", "2"}),
                directory.path());
    EXPECT_EQ(result.iExitStatus, 1);
    EXPECT_NE(result.sStderr.find("filterG.out"), std::string::npos) << result.sStderr;
    EXPECT_EQ(readFile(directory / "filterR.out"), "old red");
    EXPECT_EQ(readFile(directory / "filterB.out"), "old blue");
    EXPECT_TRUE(fs::is_directory(directory / "filterG.out"));
    EXPECT_EQ(filesIn(directory.path()),
              (std::vector<std::string>{"c.raw", "filterB.out", "filterG.out", "filterR.out"}));
}

TEST(FailedWrite, GreyRenameFailureIsReported) {
    TemporaryDirectory directory;
    writeFile(directory / "image.txt", "1 2 3 4");
    fs::create_directory(directory / "filter.out");
    const ToolResult result =
        runTool(passThrough("grey", {"asciifile", "image.txt", "2", "2"}), directory.path());
    EXPECT_EQ(result.iExitStatus, 1);
    EXPECT_NE(result.sStderr.find("filter.out"), std::string::npos) << result.sStderr;
    EXPECT_EQ(filesIn(directory.path()), (std::vector<std::string>{"filter.out", "image.txt"}));
}

TEST(FailedWrite, FullStandardOutputIsReported) {
    TemporaryDirectory directory;
    // /dev/full accepts the open but fails every write with ENOSPC.
    RunOptions options;
    options.sStdin = binaryOf(std::vector<double>(64 * 64, 1));
    options.sStdoutFile = "/dev/full";
    const ToolResult result =
        runTool(passThrough("grey", {"binarystdinout", "64", "64"}), directory.path(), options);
    EXPECT_EQ(result.iExitStatus, 1);
    EXPECT_NE(result.sStderr.find("Standardausgabe"), std::string::npos) << result.sStderr;
}

struct MemoryCase {
    const char* sName;
    std::vector<std::string> vsArguments;
    int iInputSide; // > 0: a square binary image "in" of this side is written first
};

// Under a 200 MB address space the image itself (7.2 GB) or the filter's working vectors (about
// 270 MB beside a 34 MB image) cannot be had.
const MemoryCase aMemoryCases[] = {
    {"image",
     {"2d", "isotrop", "0.1", "1", "0", "linear", "grey", "binarystdinout", "30000", "30000"},
     0},
    {"filter",
     {"2d", "isotrop", "0.1", "1", "0", "linear", "grey", "binaryfile", "in", "2048", "2048"},
     2048},
};

class OutOfMemory : public testing::TestWithParam<MemoryCase> {};

TEST_P(OutOfMemory, IsReportedAndNothingIsWritten) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's shadow memory does not fit an address-space limit";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the address sanitizer's shadow memory does not fit an address-space limit";
#endif
#endif
    const MemoryCase& c = GetParam();
    TemporaryDirectory directory;
    if (c.iInputSide > 0) {
        writeFile(directory / "in",
                  binaryOf(std::vector<double>(size_t(c.iInputSide) * c.iInputSide, 0.5)));
    }
    writeFile(directory / "filter.out", "earlier result");
    RunOptions options;
    options.iMemoryLimit = 200L << 20;
    const ToolResult result = runTool(c.vsArguments, directory.path(), options);
    EXPECT_EQ(result.iExitStatus, 1);
    EXPECT_NE(result.sStderr.find("Arbeitsspeicher"), std::string::npos) << result.sStderr;
    EXPECT_EQ(result.sStdout, "");
    EXPECT_EQ(readFile(directory / "filter.out"), "earlier result");
}

INSTANTIATE_TEST_SUITE_P(Allocations, OutOfMemory, testing::ValuesIn(aMemoryCases),
                         [](const testing::TestParamInfo<MemoryCase>& info) {
                             return std::string(info.param.sName);
                         });

} // namespace
