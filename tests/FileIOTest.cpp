#include "src/FileIO.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <bit>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <limits>
#include <locale>
#include <memory>
#include <new>
#include <set>
#include <sstream>
#include <string>
#include <vector>

// The free store of this test program can be told to fail the n-th allocation from now on, to
// show that an exhausted free store leaves no temporary file behind.
namespace {
long iAllocationsBeforeFailure = -1;
}

// Neither this nor the deletes are inlined, lest the compiler pair malloc() and free() with
// new-expressions and warn.
[[gnu::noinline]] void* operator new(std::size_t iBytes) {
    if (iAllocationsBeforeFailure >= 0 && iAllocationsBeforeFailure-- == 0) {
        throw std::bad_alloc();
    }
    void* const p = std::malloc(iBytes > 0 ? iBytes : 1);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}

[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}

[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

namespace fs = std::filesystem;
using Vec = MathTL::Vector<double>;

// The 8 bytes of a bit pattern, least significant first.
std::string littleEndian(std::uint64_t iBits) {
    std::string s;
    for (int b = 0; b < 8; ++b) {
        s.push_back(static_cast<char>((iBits >> (8 * b)) & 0xFF));
    }
    return s;
}

std::string binaryOf(const std::vector<double>& vdValues) {
    std::string s;
    for (const double d : vdValues) {
        s += littleEndian(std::bit_cast<std::uint64_t>(d));
    }
    return s;
}

std::uint64_t bitsOf(double d) {
    return std::bit_cast<std::uint64_t>(d);
}

// Equal values, with the sign of zero and NaN counted; any NaN matches any NaN of its sign.
bool sameValue(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b);
    }
    return a == b && std::signbit(a) == std::signbit(b);
}

std::string readFile(const std::string& sPath) {
    std::ifstream file(sPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& sPath, const std::string& sContent) {
    std::ofstream file(sPath, std::ios::binary);
    file << sContent;
}

// Feeds std::cin from a string and captures std::cout and std::cerr while it lives.
class StandardStreams {
public:
    explicit StandardStreams(const std::string& sInput = "")
        : input(sInput, std::ios::in), pIn(std::cin.rdbuf(&input)), pOut(std::cout.rdbuf(&output)),
          pErr(std::cerr.rdbuf(&errors)) {}
    virtual ~StandardStreams() {
        std::cin.rdbuf(pIn);
        std::cout.rdbuf(pOut);
        std::cerr.rdbuf(pErr);
    }
    std::string out() const { return output.str(); }
    std::string err() const { return errors.str(); }
    std::string unread() {
        return std::string(std::istreambuf_iterator<char>(&input),
                           std::istreambuf_iterator<char>());
    }

private:
    std::stringbuf input;
    std::stringbuf output;
    std::stringbuf errors;
    std::streambuf* const pIn;
    std::streambuf* const pOut;
    std::streambuf* const pErr;
};

// Table rows print as their names.
template <class Row>
requires requires(const Row& row) {
    row.name;
}
void PrintTo(const Row& row, std::ostream* pOut) {
    *pOut << row.name;
}

// Parameterised tests are named by their rows.
template <class Row> std::string rowName(const ::testing::TestParamInfo<Row>& info) {
    return info.param.name;
}

class FileIOTest : public ::testing::Test {
protected:
    void SetUp() override {
        // libstdc++ gives the standard streams new buffers when synchronisation is first
        // switched off; only after that does a redirection of their buffers hold.
        std::ios::sync_with_stdio(false);
        std::string sTemplate = (fs::temp_directory_path() / "nldiff-fileio-XXXXXX").string();
        ASSERT_NE(mkdtemp(sTemplate.data()), nullptr);
        dir = sTemplate;
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string path(const std::string& sName) const { return (dir / sName).string(); }

    std::set<std::string> entries() const {
        std::set<std::string> vsNames;
        for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
            vsNames.insert(entry.path().filename().string());
        }
        return vsNames;
    }

    fs::path dir;
};

class FileIODeathTest : public FileIOTest {};

TEST_F(FileIOTest, BinaryFileOfA640x480ImageIsBareLittleEndianDoubles) {
    const size_t n = 640 * 480;
    Vec v(n, true);
    v[0] = 1.0;
    v[1] = -2.0;
    v[n - 1] = 0.5;
    const std::string sPath = path("filter.out");
    ASSERT_EQ(FileIO::writeVectorFileBinary(sPath, static_cast<int>(n), v), 0);

    const std::string sBytes = readFile(sPath);
    ASSERT_EQ(sBytes.size(), 8 * n);
    EXPECT_EQ(sBytes.substr(0, 8), std::string("\x00\x00\x00\x00\x00\x00\xF0\x3F", 8));
    EXPECT_EQ(sBytes.substr(8, 8), std::string("\x00\x00\x00\x00\x00\x00\x00\xC0", 8));
    EXPECT_EQ(sBytes.substr(8 * (n - 1)), std::string("\x00\x00\x00\x00\x00\x00\xE0\x3F", 8));
    // The zeros between are 0.0 each: nothing else is in the file.
    EXPECT_EQ(sBytes.find_first_not_of('\0', 16), 8 * (n - 1) + 6);
    EXPECT_EQ(entries(), (std::set<std::string>{"filter.out"}));
}

struct BitPattern {
    const char* name;
    std::uint64_t iBits;
};

const BitPattern kPatterns[] = {
    {"PositiveZero", 0x0000000000000000},
    {"NegativeZero", 0x8000000000000000},
    {"One", 0x3FF0000000000000},
    {"SmallestDenormal", 0x0000000000000001},
    {"LargestDenormal", 0x000FFFFFFFFFFFFF},
    {"NegativeDenormal", 0x800000000000ABCD},
    {"LargestFinite", 0x7FEFFFFFFFFFFFFF},
    {"PlusInfinity", 0x7FF0000000000000},
    {"MinusInfinity", 0xFFF0000000000000},
    {"QuietNaNWithPayload", 0x7FF8000000000123},
    {"SignallingNaN", 0x7FF0000000000001},
    {"NegativeNaNWithPayload", 0xFFFABCDEF0123456},
    {"AllBitsSet", 0xFFFFFFFFFFFFFFFF},
    {"MixedBytes", 0x0123456789ABCDEF},
};

TEST_F(FileIOTest, BinaryRoundTripsKeepEveryBit) {
    const size_t n = std::size(kPatterns);
    Vec v(n, true);
    std::string sExpected;
    for (size_t i = 0; i < n; ++i) {
        v[i] = std::bit_cast<double>(kPatterns[i].iBits);
        sExpected += littleEndian(kPatterns[i].iBits);
    }
    const int limit = static_cast<int>(n);

    const std::string sPath = path("bits.raw");
    ASSERT_EQ(FileIO::writeVectorFileBinary(sPath, limit, v), 0);
    EXPECT_EQ(readFile(sPath), sExpected);
    Vec fromFile(n, true);
    ASSERT_EQ(FileIO::readVectorFileBinary(sPath, limit, fromFile), 0);

    std::string sStdout;
    {
        StandardStreams streams;
        ASSERT_EQ(FileIO::writeVectorToStdoutBinary(limit, v), 0);
        sStdout = streams.out();
    }
    EXPECT_EQ(sStdout, sExpected);
    Vec fromStdin(n, true);
    {
        StandardStreams streams(sStdout);
        ASSERT_EQ(FileIO::readVectorFromStdinBinary(limit, fromStdin), 0);
    }

    for (size_t i = 0; i < n; ++i) {
        SCOPED_TRACE(kPatterns[i].name);
        EXPECT_EQ(bitsOf(fromFile[i]), kPatterns[i].iBits);
        EXPECT_EQ(bitsOf(fromStdin[i]), kPatterns[i].iBits);
    }
}

// %.15g as printf writes it, with the exponent padded to three digits.
std::string printfText(double d) {
    char caText[64];
    std::snprintf(caText, sizeof caText, "%.15g", d);
    std::string s = caText;
    const size_t iE = s.find('e');
    if (iE != std::string::npos && s.size() - (iE + 2) < 3) {
        s.insert(iE + 2, 3 - (s.size() - (iE + 2)), '0');
    }
    return s;
}

// Data move in blocks; a length that is no multiple of any block size, binary or text, shows a
// lost or repeated value at a block boundary.
TEST_F(FileIOTest, LongChannelsKeepEveryValueInPlace) {
    const size_t n = 200003;
    const auto bitsAt = [](size_t i) { return (i + 1) * 0x9E3779B97F4A7C15ULL; };
    Vec v(n, true);
    std::string sBinary;
    std::string sText;
    for (size_t i = 0; i < n; ++i) {
        v[i] = std::bit_cast<double>(bitsAt(i));
        sBinary += littleEndian(bitsAt(i));
        sText += printfText(v[i]) + "\n";
    }
    const int limit = static_cast<int>(n);
    const std::string sBinaryPath = path("long.raw");
    const std::string sTextPath = path("long.txt");
    ASSERT_EQ(FileIO::writeVectorFileBinary(sBinaryPath, limit, v), 0);
    ASSERT_EQ(FileIO::writeVectorFileASCII(sTextPath, limit, v), 0);
    EXPECT_TRUE(readFile(sBinaryPath) == sBinary);
    EXPECT_TRUE(readFile(sTextPath) == sText);

    Vec fromFile(n, true);
    ASSERT_EQ(FileIO::readVectorFileBinary(sBinaryPath, limit, fromFile), 0);
    Vec fromStdin(n, true);
    {
        StandardStreams streams(sBinary);
        ASSERT_EQ(FileIO::readVectorFromStdinBinary(limit, fromStdin), 0);
    }
    Vec fromText(n, true);
    ASSERT_EQ(FileIO::readVectorFileASCII(sTextPath, limit, fromText), 0);

    std::istringstream lines(sText);
    size_t iFirstWrong = n;
    for (size_t i = 0; i < n && iFirstWrong == n; ++i) {
        std::string sLine;
        std::getline(lines, sLine);
        if (bitsOf(fromFile[i]) != bitsAt(i) || bitsOf(fromStdin[i]) != bitsAt(i) ||
            !sameValue(fromText[i], std::strtod(sLine.c_str(), nullptr))) {
            iFirstWrong = i;
        }
    }
    EXPECT_EQ(iFirstWrong, n) << "the first wrong value";
}

struct TextCase {
    const char* name;
    double dValue;
    const char* text;
    double dReadBack; // the value of the text
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

const TextCase kTextCases[] = {
    {"Half", 0.5, "0.5", 0.5},
    {"MinusTwo", -2.0, "-2", -2.0},
    {"TenToMinusFive", 1e-5, "1e-005", 1e-5},
    {"TwoPointFiveTimesTenToTwenty", 2.5e20, "2.5e+020", 2.5e20},
    {"OneThird", 1.0 / 3.0, "0.333333333333333", 0.333333333333333},
    {"TwoThirdsRoundsUp", 2.0 / 3.0, "0.666666666666667", 0.666666666666667},
    {"TenToFifteen", 1e15, "1e+015", 1e15},
    {"TenToFourteenStaysFixed", 1e14, "100000000000000", 1e14},
    {"TenToHundred", 1e100, "1e+100", 1e100},
    {"TenToMinusFourStaysFixed", 0.0001, "0.0001", 0.0001},
    {"One", 1.0, "1", 1.0},
    {"SixteenDigitsRounded", 123456789012345678.0, "1.23456789012346e+017", 1.23456789012346e17},
    {"NegativeTinyThreeDigitExponent", -1.5e-300, "-1.5e-300", -1.5e-300},
    {"SmallestDenormal", 4.9406564584124654e-324, "4.94065645841247e-324", 4.94065645841247e-324},
    {"NegativeZero", -0.0, "-0", -0.0},
    {"PlusInfinity", kInf, "inf", kInf},
    {"MinusInfinity", -kInf, "-inf", -kInf},
    {"NaN", kNaN, "nan", kNaN},
    {"NegativeNaN", -kNaN, "-nan", -kNaN},
};

TEST_F(FileIOTest, AsciiWritesGeneralFormWithFifteenDigitsAndReadsItBack) {
    const size_t n = std::size(kTextCases);
    Vec v(n, true);
    for (size_t i = 0; i < n; ++i) {
        v[i] = kTextCases[i].dValue;
    }
    const int limit = static_cast<int>(n);
    const std::string sPath = path("values.txt");
    ASSERT_EQ(FileIO::writeVectorFileASCII(sPath, limit, v), 0);
    std::string sStdout;
    {
        StandardStreams streams;
        ASSERT_EQ(FileIO::writeVectorToStdoutASCII(limit, v), 0);
        sStdout = streams.out();
    }
    Vec readBack(n, true);
    ASSERT_EQ(FileIO::readVectorFileASCII(sPath, limit, readBack), 0);

    std::istringstream fileLines(readFile(sPath));
    std::istringstream stdoutLines(sStdout);
    for (size_t i = 0; i < n; ++i) {
        SCOPED_TRACE(kTextCases[i].name);
        std::string sFileLine;
        std::string sStdoutLine;
        std::getline(fileLines, sFileLine);
        std::getline(stdoutLines, sStdoutLine);
        EXPECT_EQ(sFileLine, kTextCases[i].text);
        EXPECT_EQ(sStdoutLine, kTextCases[i].text);
        EXPECT_TRUE(sameValue(readBack[i], kTextCases[i].dReadBack)) << readBack[i];
    }
    // One line per value, each ended, and nothing after them.
    std::string sAll;
    for (const TextCase& row : kTextCases) {
        sAll += std::string(row.text) + "\n";
    }
    EXPECT_EQ(readFile(sPath), sAll);
    EXPECT_EQ(sStdout, sAll);
}

// A decimal comma with thousands grouping, as a German locale has it.
class CommaNumpunct : public std::numpunct<char> {
protected:
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST_F(FileIOTest, AsciiIgnoresTheLocale) {
    const std::locale comma(std::locale::classic(), new CommaNumpunct);
    const std::locale previous = std::locale::global(comma);
    Vec v = vectorOf({1234567.5, 0.25});
    const std::string sPath = path("values.txt");
    const int iFileResult = FileIO::writeVectorFileASCII(sPath, 2, v);
    std::string sStdout;
    int iStdoutResult = -1;
    {
        StandardStreams streams;
        std::cout.imbue(comma);
        iStdoutResult = FileIO::writeVectorToStdoutASCII(2, v);
        sStdout = streams.out();
        std::cout.imbue(std::locale::classic());
    }
    std::locale::global(previous);
    EXPECT_EQ(iFileResult, 0);
    EXPECT_EQ(iStdoutResult, 0);
    EXPECT_EQ(readFile(sPath), "1234567.5\n0.25\n");
    EXPECT_EQ(sStdout, "1234567.5\n0.25\n");
}

struct LayoutCase {
    const char* name;
    const char* text;
};

class AsciiLayoutTest : public FileIOTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(AsciiLayoutTest, ReadsTheSameFourValues) {
    const std::string sPath = path("input.txt");
    writeFile(sPath, GetParam().text);
    Vec v(4, true);
    StandardStreams streams;
    EXPECT_EQ(FileIO::readVectorFileASCII(sPath, 4, v), 0);
    EXPECT_EQ(valuesOf(v), (std::vector<double>{1.5, -2.0, 1e-5, 2.5e20}));
    EXPECT_EQ(streams.err(), "");
}

INSTANTIATE_TEST_SUITE_P(
    WhiteSpace, AsciiLayoutTest,
    ::testing::Values(LayoutCase{"OnePerLine", "1.5\n-2\n1e-005\n2.5e+020\n"},
                      LayoutCase{"CrLfLineEnds", "1.5\r\n-2\r\n1e-005\r\n2.5e+020\r\n"},
                      LayoutCase{"SpacesAndTabsOnOneLine", "1.5 -2\t1e-005 \t 2.5e+020"},
                      LayoutCase{"BlankLinesAndIndents", "\n\n  1.5\n\t-2\r\n\r\n1e-5   \n 2.5E20"},
                      LayoutCase{"OtherSpellings", "+1.5 -2.000 0.00001 250000000000000000000\n"},
                      LayoutCase{"DataAfterTheLastValueIgnored", "1.5 -2 1e-5 2.5e20 und mehr"}),
    rowName<LayoutCase>);

TEST_F(FileIOTest, AsciiReadsNanAndInfinityAsTheWriterWritesThem) {
    const std::string sPath = path("input.txt");
    writeFile(sPath, "nan -nan inf -inf Infinity -INFINITY NaN +inf");
    Vec v(8, true);
    ASSERT_EQ(FileIO::readVectorFileASCII(sPath, 8, v), 0);
    EXPECT_TRUE(std::isnan(v[0]) && !std::signbit(v[0]));
    EXPECT_TRUE(std::isnan(v[1]) && std::signbit(v[1]));
    EXPECT_EQ(v[2], kInf);
    EXPECT_EQ(v[3], -kInf);
    EXPECT_EQ(v[4], kInf);
    EXPECT_EQ(v[5], -kInf);
    EXPECT_TRUE(std::isnan(v[6]));
    EXPECT_EQ(v[7], kInf);
}

struct ColourCase {
    const char* name;
    std::string sInput; // the three channels of two values each, then more data
    std::function<int(int, Vec&)> read;
    std::function<int(int, Vec&)> write;
    std::string sWritten; // the three channels written back
    std::string sUnread;
};

class ColourThroughStandardStreamsTest : public FileIOTest,
                                         public ::testing::WithParamInterface<ColourCase> {};

TEST_P(ColourThroughStandardStreamsTest, ChannelsFollowOneAnotherInTheOrderRGB) {
    const ColourCase& row = GetParam();
    Vec uR(2, true);
    Vec uG(2, true);
    Vec uB(2, true);
    {
        StandardStreams streams(row.sInput);
        EXPECT_EQ(row.read(2, uR), 0);
        EXPECT_EQ(row.read(2, uG), 0);
        EXPECT_EQ(row.read(2, uB), 0);
        EXPECT_EQ(streams.unread(), row.sUnread);
        EXPECT_EQ(streams.err(), "");
    }
    EXPECT_EQ(valuesOf(uR), (std::vector<double>{1.0, -2.0}));
    EXPECT_EQ(valuesOf(uG), (std::vector<double>{0.5, 3.0}));
    EXPECT_EQ(valuesOf(uB), (std::vector<double>{-0.25, 4.0}));

    StandardStreams streams;
    EXPECT_EQ(row.write(2, uR), 0);
    EXPECT_EQ(row.write(2, uG), 0);
    EXPECT_EQ(row.write(2, uB), 0);
    EXPECT_EQ(streams.out(), row.sWritten);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, ColourThroughStandardStreamsTest,
    ::testing::Values(ColourCase{"Binary", binaryOf({1.0, -2.0, 0.5, 3.0, -0.25, 4.0}) + "rest",
                                 FileIO::readVectorFromStdinBinary,
                                 FileIO::writeVectorToStdoutBinary,
                                 binaryOf({1.0, -2.0, 0.5, 3.0, -0.25, 4.0}), "rest"},
                      ColourCase{"Ascii", "1 -2\n0.5 3\n-0.25 4\nrest",
                                 FileIO::readVectorFromStdinASCII, FileIO::writeVectorToStdoutASCII,
                                 "1\n-2\n0.5\n3\n-0.25\n4\n", "\nrest"}),
    rowName<ColourCase>);

enum class Source { binaryFile, asciiFile, binaryStdin, asciiStdin };

// What the input file name refers to; standard input is fed the content in any case.
enum class Prepared { nothing, file, directory };

struct BadInputCase {
    const char* name;
    Source source;
    Prepared prepared;
    std::string sContent;
    std::vector<std::string> vsMessageParts;
    size_t iStored; // values read before the fault: 1, 2, 3, ...
};

class BadInputTest : public FileIOTest, public ::testing::WithParamInterface<BadInputCase> {};

TEST_P(BadInputTest, FailsWithAMessageNamingTheSourceAndTheValue) {
    const BadInputCase& row = GetParam();
    const std::string sPath = path("input");
    if (row.prepared == Prepared::file) {
        writeFile(sPath, row.sContent);
    } else if (row.prepared == Prepared::directory) {
        fs::create_directory(sPath);
    }
    Vec v = vectorOf({7, 7, 7, 7});
    int iResult = -1;
    std::string sErrors;
    {
        StandardStreams streams(row.sContent);
        switch (row.source) {
        case Source::binaryFile:
            iResult = FileIO::readVectorFileBinary(sPath, 4, v);
            break;
        case Source::asciiFile:
            iResult = FileIO::readVectorFileASCII(sPath, 4, v);
            break;
        case Source::binaryStdin:
            iResult = FileIO::readVectorFromStdinBinary(4, v);
            break;
        case Source::asciiStdin:
            iResult = FileIO::readVectorFromStdinASCII(4, v);
            break;
        }
        sErrors = streams.err();
        EXPECT_EQ(streams.out(), "");
    }
    EXPECT_EQ(iResult, 1);
    const bool bFromFile = row.source == Source::binaryFile || row.source == Source::asciiFile;
    EXPECT_NE(sErrors.find(bFromFile ? "'" + sPath + "'" : "Standardeingabe"), std::string::npos)
        << sErrors;
    for (const std::string& sPart : row.vsMessageParts) {
        EXPECT_NE(sErrors.find(sPart), std::string::npos) << sErrors;
    }
    ASSERT_FALSE(sErrors.empty());
    EXPECT_EQ(sErrors.back(), '\n');
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(v[i], i < row.iStored ? static_cast<double>(i + 1) : 7.0) << "element " << i;
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Inputs, BadInputTest, ::testing::Values(
    BadInputCase{"MissingBinaryFile", Source::binaryFile, Prepared::nothing, "", {"geoeffnet"}, 0},
    BadInputCase{"MissingAsciiFile", Source::asciiFile, Prepared::nothing, "", {"geoeffnet"}, 0},
    BadInputCase{"DirectoryAsBinaryFile", Source::binaryFile, Prepared::directory, "",
                 {"Wert 1 von 4"}, 0},
    BadInputCase{"DirectoryAsAsciiFile", Source::asciiFile, Prepared::directory, "",
                 {"Wert 1 von 4"}, 0},
    BadInputCase{"EmptyBinaryFile", Source::binaryFile, Prepared::file, "",
                 {"nur 0 von 4", "Wert 1 fehlt"}, 0},
    BadInputCase{"ShortBinaryFile", Source::binaryFile, Prepared::file, binaryOf({1, 2}),
                 {"nur 2 von 4", "Wert 3 fehlt"}, 2},
    BadInputCase{"BinaryValueCut", Source::binaryFile, Prepared::file,
                 binaryOf({1, 2, 3}).substr(0, 19),
                 {"nur 2 von 4", "Wert 3 unvollstaendig", "3 von 8 Bytes"}, 2},
    BadInputCase{"ShortBinaryStdin", Source::binaryStdin, Prepared::nothing, binaryOf({1, 2, 3}),
                 {"nur 3 von 4", "Wert 4 fehlt"}, 3},
    BadInputCase{"FewerAsciiNumbers", Source::asciiFile, Prepared::file, "1\n2\n",
                 {"nur 2 von 4", "Wert 3 fehlt"}, 2},
    BadInputCase{"AsciiWord", Source::asciiFile, Prepared::file, "1 x 3 4",
                 {"Wert 2 von 4", "keine Zahl", "'x'"}, 1},
    BadInputCase{"AsciiNumberWithTail", Source::asciiFile, Prepared::file, "1 2 1.5abc 4",
                 {"Wert 3 von 4", "keine Zahl", "'1.5abc'"}, 2},
    BadInputCase{"AsciiTwoSigns", Source::asciiFile, Prepared::file, "1 2 3 +-4",
                 {"Wert 4 von 4", "keine Zahl"}, 3},
    BadInputCase{"AsciiBeyondDouble", Source::asciiFile, Prepared::file, "1 1e400 3 4",
                 {"Wert 2 von 4", "ausserhalb"}, 1},
    BadInputCase{"EmptyAsciiStdin", Source::asciiStdin, Prepared::nothing, "",
                 {"nur 0 von 4", "Wert 1 fehlt"}, 0},
    BadInputCase{"AsciiStdinWithComma", Source::asciiStdin, Prepared::nothing, "1 2 3,5 4",
                 {"Wert 3 von 4", "keine Zahl", "'3,5'"}, 2}),
    rowName<BadInputCase>);
// clang-format on

TEST_F(FileIOTest, ReadingBelowTheSizeLeavesTheTailUntouched) {
    const std::string sBinary = path("input.raw");
    writeFile(sBinary, binaryOf({1, 2, 3}));
    const std::string sText = path("input.txt");
    writeFile(sText, "1 2 3");
    for (const bool bBinary : {true, false}) {
        SCOPED_TRACE(bBinary ? "binary" : "ascii");
        Vec v = vectorOf({7, 7, 7});
        EXPECT_EQ(bBinary ? FileIO::readVectorFileBinary(sBinary, 2, v)
                          : FileIO::readVectorFileASCII(sText, 2, v),
                  0);
        EXPECT_EQ(valuesOf(v), (std::vector<double>{1, 2, 7}));
        EXPECT_EQ(bBinary ? FileIO::readVectorFileBinary(sBinary, 0, v)
                          : FileIO::readVectorFileASCII(sText, -1, v),
                  0);
        EXPECT_EQ(valuesOf(v), (std::vector<double>{1, 2, 7}));
    }
}

struct ReplaceCase {
    const char* name;
    bool bBinary;
    int limit;
    std::string sExpected;
};

class ReplaceTest : public FileIOTest, public ::testing::WithParamInterface<ReplaceCase> {};

TEST_P(ReplaceTest, WritingReplacesTheWholeFileAndLeavesNothingElse) {
    const ReplaceCase& row = GetParam();
    const std::string sPath = path("filter.out");
    writeFile(sPath, std::string(1000, 'x'));
    Vec v = vectorOf({1, -2, 3});
    EXPECT_EQ(row.bBinary ? FileIO::writeVectorFileBinary(sPath, row.limit, v)
                          : FileIO::writeVectorFileASCII(sPath, row.limit, v),
              0);
    EXPECT_EQ(readFile(sPath), row.sExpected);
    EXPECT_EQ(entries(), (std::set<std::string>{"filter.out"}));
}

INSTANTIATE_TEST_SUITE_P(
    Limits, ReplaceTest,
    ::testing::Values(ReplaceCase{"BinaryWhole", true, 3, binaryOf({1, -2, 3})},
                      ReplaceCase{"BinaryFirstTwo", true, 2, binaryOf({1, -2})},
                      ReplaceCase{"BinaryZero", true, 0, ""},
                      ReplaceCase{"AsciiWhole", false, 3, "1\n-2\n3\n"},
                      ReplaceCase{"AsciiFirstTwo", false, 2, "1\n-2\n"},
                      ReplaceCase{"AsciiNegative", false, -3, ""}),
    rowName<ReplaceCase>);

TEST_F(FileIOTest, ColourChannelsGoToTheirOwnFiles) {
    const Vec uR = vectorOf({1, 2});
    const Vec uG = vectorOf({3, 4});
    const Vec uB = vectorOf({5, 6});
    const std::vector<std::string> vsNames{path("filterR.out"), path("filterG.out"),
                                           path("filterB.out")};
    ASSERT_EQ(FileIO::writeVectorFilesBinary(vsNames, 2, {&uR, &uG, &uB}), 0);
    EXPECT_EQ(readFile(vsNames[0]), binaryOf({1, 2}));
    EXPECT_EQ(readFile(vsNames[1]), binaryOf({3, 4}));
    EXPECT_EQ(readFile(vsNames[2]), binaryOf({5, 6}));
    ASSERT_EQ(FileIO::writeVectorFilesASCII(vsNames, 2, {&uR, &uG, &uB}), 0);
    EXPECT_EQ(readFile(vsNames[0]), "1\n2\n");
    EXPECT_EQ(readFile(vsNames[1]), "3\n4\n");
    EXPECT_EQ(readFile(vsNames[2]), "5\n6\n");
    EXPECT_EQ(entries(), (std::set<std::string>{"filterR.out", "filterG.out", "filterB.out"}));
}

const char* const kColourNames[] = {"filterR.out", "filterG.out", "filterB.out"};
const char* const kOldContents[] = {"old red", "old green", "old blue"};

struct BlockedCase {
    const char* name;
    bool bBinary;
    size_t iBlocked; // the channel whose file name is taken by a directory
};

class BlockedTargetTest : public FileIOTest, public ::testing::WithParamInterface<BlockedCase> {};

TEST_P(BlockedTargetTest, NoFileIsReplacedAndNoTemporaryFileStays) {
    const BlockedCase& row = GetParam();
    std::vector<std::string> vsNames;
    for (size_t c = 0; c < 3; ++c) {
        vsNames.push_back(path(kColourNames[c]));
        if (c == row.iBlocked) {
            fs::create_directory(vsNames[c]);
        } else {
            writeFile(vsNames[c], kOldContents[c]);
        }
    }
    const Vec u = vectorOf({1, 2, 3});
    int iResult = -1;
    std::string sErrors;
    {
        StandardStreams streams;
        iResult = row.bBinary ? FileIO::writeVectorFilesBinary(vsNames, 3, {&u, &u, &u})
                              : FileIO::writeVectorFilesASCII(vsNames, 3, {&u, &u, &u});
        sErrors = streams.err();
    }
    EXPECT_EQ(iResult, 1);
    EXPECT_NE(sErrors.find("'" + vsNames[row.iBlocked] + "'"), std::string::npos) << sErrors;
    EXPECT_EQ(entries(), (std::set<std::string>{"filterR.out", "filterG.out", "filterB.out"}));
    for (size_t c = 0; c < 3; ++c) {
        if (c == row.iBlocked) {
            EXPECT_TRUE(fs::is_empty(vsNames[c]));
        } else {
            EXPECT_EQ(readFile(vsNames[c]), kOldContents[c]) << kColourNames[c];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Channels, BlockedTargetTest,
                         ::testing::Values(BlockedCase{"BinaryGreen", true, 1},
                                           BlockedCase{"BinaryBlue", true, 2},
                                           BlockedCase{"AsciiRed", false, 0},
                                           BlockedCase{"AsciiGreen", false, 1}),
                         rowName<BlockedCase>);

TEST_F(FileIOTest, WriteIntoAMissingDirectoryFailsAndCreatesNothing) {
    const std::string sPath = path("missing/filter.out");
    for (const bool bBinary : {true, false}) {
        SCOPED_TRACE(bBinary ? "binary" : "ascii");
        StandardStreams streams;
        Vec v = vectorOf({1, 2});
        EXPECT_EQ(bBinary ? FileIO::writeVectorFileBinary(sPath, 2, v)
                          : FileIO::writeVectorFileASCII(sPath, 2, v),
                  1);
        EXPECT_NE(streams.err().find("'" + sPath + "'"), std::string::npos) << streams.err();
    }
    EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(FileIOTest, MoreChannelsThanFileNamesIsRefused) {
    const Vec u = vectorOf({1, 2});
    StandardStreams streams;
    EXPECT_EQ(
        FileIO::writeVectorFilesASCII({path("filterR.out"), path("filterG.out")}, 2, {&u, &u, &u}),
        1);
    EXPECT_NE(streams.err().find("Fehler"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(dir));
}

// Runs in a child process, so that only the child has its files limited to iBytes.
int writeWithFileSizeLimit(bool bBinary, rlim_t iBytes, const std::vector<std::string>& vsNames,
                           const std::vector<const Vec*>& vpChannels, int limit) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit fileSize{iBytes, iBytes};
    if (setrlimit(RLIMIT_FSIZE, &fileSize) != 0) {
        return 2;
    }
    return bBinary ? FileIO::writeVectorFilesBinary(vsNames, limit, vpChannels)
                   : FileIO::writeVectorFilesASCII(vsNames, limit, vpChannels);
}

TEST_F(FileIODeathTest, FullDiskLeavesEarlierFilesAndNoTemporaryFile) {
    // In ASCII the zeros of red take 2000 bytes and fit, the thirds of green take 18000 and do
    // not; in binary red takes 8000 bytes already.
    const int limit = 1000;
    Vec uR(limit, true);
    Vec uG(limit, true);
    uG = 1.0 / 3.0;
    std::vector<std::string> vsNames;
    for (size_t c = 0; c < 3; ++c) {
        vsNames.push_back(path(kColourNames[c]));
        writeFile(vsNames[c], kOldContents[c]);
    }
    const std::vector<const Vec*> vpChannels{&uR, &uG, &uR};
    EXPECT_EXIT(std::exit(writeWithFileSizeLimit(false, 4096, vsNames, vpChannels, limit)),
                ::testing::ExitedWithCode(1), "filterG\\.out");
    EXPECT_EXIT(std::exit(writeWithFileSizeLimit(true, 4096, vsNames, vpChannels, limit)),
                ::testing::ExitedWithCode(1), "filterR\\.out");
    EXPECT_EQ(entries(), (std::set<std::string>{"filterR.out", "filterG.out", "filterB.out"}));
    for (size_t c = 0; c < 3; ++c) {
        EXPECT_EQ(readFile(vsNames[c]), kOldContents[c]) << kColourNames[c];
    }
}

// Accepts the first iCapacity bytes, then fails like a full device.
class FullingBuffer : public std::streambuf {
public:
    explicit FullingBuffer(size_t iCapacity) : iRoom(iCapacity) {}
    virtual ~FullingBuffer() {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof()) || iRoom == 0) {
            return traits_type::eof();
        }
        --iRoom;
        return c;
    }
    std::streamsize xsputn(const char*, std::streamsize n) override {
        const std::streamsize iTaken = std::min(n, static_cast<std::streamsize>(iRoom));
        iRoom -= static_cast<size_t>(iTaken);
        return iTaken;
    }

private:
    size_t iRoom;
};

TEST_F(FileIOTest, FailedWriteToStandardOutputIsReported) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    // Three values fit into any buffer, so that only the flush can show the failure; ten
    // thousand fill the sink while the data are written.
    const struct {
        const char* name;
        std::function<std::unique_ptr<std::streambuf>()> make;
        int limit;
    } kSinks[] = {{"DeviceFull",
                   [] {
                       auto pDevice = std::make_unique<std::filebuf>();
                       pDevice->open("/dev/full", std::ios::out | std::ios::binary);
                       return std::unique_ptr<std::streambuf>(std::move(pDevice));
                   },
                   3},
                  {"FullMidway", [] { return std::make_unique<FullingBuffer>(100); }, 10000}};
    Vec v(10000, true);
    v = 0.5;
    for (const auto& sink : kSinks) {
        for (const bool bBinary : {true, false}) {
            SCOPED_TRACE(std::string(sink.name) + (bBinary ? " binary" : " ascii"));
            const std::unique_ptr<std::streambuf> pSink = sink.make();
            StandardStreams streams;
            std::cout.rdbuf(pSink.get());
            EXPECT_EQ(bBinary ? FileIO::writeVectorToStdoutBinary(sink.limit, v)
                              : FileIO::writeVectorToStdoutASCII(sink.limit, v),
                      1);
            EXPECT_NE(streams.err().find("Standardausgabe"), std::string::npos) << streams.err();
        }
    }
}

TEST_F(FileIOTest, ExhaustedFreeStoreLeavesNoTemporaryFile) {
    const int limit = 5000;
    Vec uR(limit, true);
    Vec uG(limit, true);
    uG = 0.5;
    Vec uB(limit, true);
    uB = -1.0;
    std::vector<std::string> vsNames;
    for (size_t c = 0; c < 3; ++c) {
        vsNames.push_back(path(kColourNames[c]));
        writeFile(vsNames[c], kOldContents[c]);
    }
    const std::vector<const Vec*> vpChannels{&uR, &uG, &uB};
    const std::set<std::string> vsExpectedEntries{"filterR.out", "filterG.out", "filterB.out"};

    // Fail the first allocation, then the second, and so on, until the write gets through.
    long iFailing = 0;
    int iResult = -1;
    for (; iFailing < 1000; ++iFailing) {
        bool bThrown = false;
        iAllocationsBeforeFailure = iFailing;
        try {
            iResult = FileIO::writeVectorFilesASCII(vsNames, limit, vpChannels);
        } catch (const std::bad_alloc&) {
            bThrown = true;
        }
        iAllocationsBeforeFailure = -1;
        ASSERT_EQ(entries(), vsExpectedEntries) << "allocation " << iFailing;
        if (!bThrown) {
            break;
        }
        for (size_t c = 0; c < 3; ++c) {
            ASSERT_EQ(readFile(vsNames[c]), kOldContents[c]) << "allocation " << iFailing;
        }
    }
    EXPECT_GT(iFailing, 0); // some allocation was made, and failed
    EXPECT_EQ(iResult, 0);
    std::string sZeros;
    std::string sHalves;
    std::string sMinusOnes;
    for (int i = 0; i < limit; ++i) {
        sZeros += "0\n";
        sHalves += "0.5\n";
        sMinusOnes += "-1\n";
    }
    EXPECT_EQ(readFile(vsNames[0]), sZeros);
    EXPECT_EQ(readFile(vsNames[1]), sHalves);
    EXPECT_EQ(readFile(vsNames[2]), sMinusOnes);
}

TEST_F(FileIODeathTest, LimitPastTheSizeStopsAtTheIndexCheckBeforeAnyOutput) {
    const std::string sBinary = path("input.raw");
    writeFile(sBinary, binaryOf({1, 2, 3, 4}));
    const std::string sText = path("input.txt");
    writeFile(sText, "1 2 3 4");
    const std::string sOut = path("filter.out");
    const struct {
        const char* name;
        std::function<void()> call;
    } kCalls[] = {
        {"ReadBinaryFile",
         [&] {
             Vec v(3, true);
             FileIO::readVectorFileBinary(sBinary, 4, v);
         }},
        {"ReadAsciiFile",
         [&] {
             Vec v(3, true);
             FileIO::readVectorFileASCII(sText, 4, v);
         }},
        {"WriteBinaryFile",
         [&] {
             Vec v(3, true);
             FileIO::writeVectorFileBinary(sOut, 4, v);
         }},
        {"WriteAsciiFile",
         [&] {
             const Vec v(3, true);
             FileIO::writeVectorFileASCII(sOut, 4, v);
         }},
        {"WriteColourWithShortBlue",
         [&] {
             const Vec u(4, true);
             const Vec uShort(3, true);
             FileIO::writeVectorFilesBinary({sOut + "R", sOut + "G", sOut + "B"}, 4,
                                            {&u, &u, &uShort});
         }},
    };
    for (const auto& call : kCalls) {
        SCOPED_TRACE(call.name);
        EXPECT_DEATH(call.call(), "i < size_");
    }
    EXPECT_EQ(entries(), (std::set<std::string>{"input.raw", "input.txt"}));
}

} // namespace
