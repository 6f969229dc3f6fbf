// Rate of the ASCII file writer for a 4096 x 4096 channel, against a plain loop of
// snprintf("%.15g") and fwrite over the same values in the same run.
//
// Usage: nldiff_bench [DIRECTORY]   (the files are written there, default the temporary
// directory, and removed afterwards)

#include "src/FileIO.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

constexpr int kSide = 4096;
constexpr int kRepetitions = 3;

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Values of both signs over twelve decades, from a fixed xorshift sequence, so that every run
// formats the same mix of fixed and exponent notation.
void fillImage(MathTL::Vector<double>& v) {
    const double daScales[12] = {1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1, 1e1, 1e2, 1e3, 1e4, 1e5};
    std::uint64_t x = 88172645463325252ULL;
    for (size_t i = 0; i < v.size(); ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        const double dUnit = static_cast<double>(x >> 11) * 0x1p-53;
        v[i] = (2.0 * dUnit - 1.0) * daScales[x % 12];
    }
}

bool writeReference(const std::string& sPath, const MathTL::Vector<double>& v) {
    std::FILE* const pFile = std::fopen(sPath.c_str(), "w");
    if (pFile == nullptr) {
        return false;
    }
    char caLine[64];
    bool bGood = true;
    for (size_t i = 0; i < v.size(); ++i) {
        const int iLength = std::snprintf(caLine, sizeof caLine, "%.15g\n", v[i]);
        bGood = std::fwrite(caLine, 1, static_cast<size_t>(iLength), pFile) ==
                    static_cast<size_t>(iLength) &&
                bGood;
    }
    return std::fclose(pFile) == 0 && bGood;
}

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path dir =
        argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path();
    const std::string sFileIOPath = (dir / "nldiff_bench_fileio.txt").string();
    const std::string sReferencePath = (dir / "nldiff_bench_reference.txt").string();

    const int iCount = kSide * kSide;
    MathTL::Vector<double> v(static_cast<size_t>(iCount), true);
    fillImage(v);

    double dFileIOSeconds = 0.0;
    double dReferenceSeconds = 0.0;
    bool bGood = true;
    for (int r = 0; r < kRepetitions && bGood; ++r) {
        const auto fileIOStart = std::chrono::steady_clock::now();
        bGood = FileIO::writeVectorFileASCII(sFileIOPath, iCount, v) == 0;
        const double dFileIO = secondsSince(fileIOStart);

        const auto referenceStart = std::chrono::steady_clock::now();
        bGood = writeReference(sReferencePath, v) && bGood;
        const double dReference = secondsSince(referenceStart);

        dFileIOSeconds = r == 0 ? dFileIO : std::min(dFileIOSeconds, dFileIO);
        dReferenceSeconds = r == 0 ? dReference : std::min(dReferenceSeconds, dReference);
    }
    std::filesystem::remove(sFileIOPath);
    std::filesystem::remove(sReferencePath);
    if (!bGood) {
        std::cerr << "nldiff_bench: writing into " << dir << " failed" << std::endl;
        return 1;
    }

    const double dFileIORate = iCount / dFileIOSeconds;
    const double dReferenceRate = iCount / dReferenceSeconds;
    std::printf("ASCII write of %d x %d values, best of %d runs\n", kSide, kSide, kRepetitions);
    std::printf("  FileIO::writeVectorFileASCII: %12.0f values/s (%.3f s)\n", dFileIORate,
                dFileIOSeconds);
    std::printf("  snprintf + fwrite reference:  %12.0f values/s (%.3f s)\n", dReferenceRate,
                dReferenceSeconds);
    std::printf("  ratio FileIO / reference:     %12.2f\n", dFileIORate / dReferenceRate);
    return 0;
}
