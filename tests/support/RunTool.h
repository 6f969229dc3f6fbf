#ifndef NLDIFF_TESTS_RUNTOOL_H
#define NLDIFF_TESTS_RUNTOOL_H

#include <filesystem>
#include <string>
#include <vector>

// What one run of the built program left behind.
struct ToolResult {
    int iExitStatus = -1; // exit status, or 128 + signal number
    std::string sStdout;
    std::string sStderr;
};

// Runs the built nldiff with the given arguments in the working directory sWorkDir, feeding
// sStdin to its standard input. iFileSizeLimit > 0 sets RLIMIT_FSIZE (bytes) for the
// program, so that writes beyond it fail; a non-empty sStdoutFile sends its standard output
// to that file instead of capturing it.
ToolResult runTool(const std::vector<std::string>& vsArguments,
                   const std::filesystem::path& sWorkDir, const std::string& sStdin = "",
                   long iFileSizeLimit = 0, const std::string& sStdoutFile = "");

// A fresh, empty directory removed again at the end of the test.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& path() const { return sPath; }
    std::filesystem::path operator/(const std::string& sName) const { return sPath / sName; }

private:
    std::filesystem::path sPath;
};

std::string readFile(const std::filesystem::path& sFile);
void writeFile(const std::filesystem::path& sFile, const std::string& sContents);

// The 8-byte little-endian encoding of the values, as the tool's binary format has it.
std::string binaryOf(const std::vector<double>& vdValues);
std::vector<double> valuesOfBinary(const std::string& sBytes);

#endif
