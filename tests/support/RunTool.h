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

// How to run the program beyond its arguments.
struct RunOptions {
    std::string sStdin;      // fed to its standard input
    long iFileSizeLimit = 0; // > 0: RLIMIT_FSIZE in bytes, so that writes beyond it fail
    long iMemoryLimit = 0;   // > 0: RLIMIT_AS in bytes, so that larger allocations fail
    std::string sStdoutFile; // non-empty: standard output goes to this file, not captured
};

// Runs the built nldiff with the given arguments in the working directory sWorkDir.
ToolResult runTool(const std::vector<std::string>& vsArguments,
                   const std::filesystem::path& sWorkDir, const RunOptions& options);
ToolResult runTool(const std::vector<std::string>& vsArguments,
                   const std::filesystem::path& sWorkDir, const std::string& sStdin = "");

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
