#include "FileIO.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ios>
#include <iostream>
#include <memory>
#include <system_error>

namespace {

using Vec = MathTL::Vector<double>;

enum class Encoding { binary, text };

// Binary data move in blocks of this many values, text in blocks of this many bytes.
constexpr size_t kBlockValues = 65536;
constexpr size_t kTextBlockBytes = 65536;
// Room for one text value: "-1.23456789012345e-308" and its line break take 23 bytes.
constexpr size_t kTextValueRoom = 32;

size_t valueCount(int limit) {
    return limit > 0 ? static_cast<size_t>(limit) : 0;
}

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big,
              "the byte order of doubles is little or big endian");

// Data are least significant byte first on every host: a big-endian host reverses the bytes.
// The same reversal serves both directions.
std::uint64_t fileOrder(std::uint64_t iBits) {
    if constexpr (std::endian::native == std::endian::big) {
        std::uint64_t iReversed = 0;
        for (int b = 0; b < 8; ++b) {
            iReversed = (iReversed << 8) | ((iBits >> (8 * b)) & 0xFF);
        }
        return iReversed;
    }
    return iBits;
}

void encodeValue(double d, char* pBytes) {
    const std::uint64_t iBits = fileOrder(std::bit_cast<std::uint64_t>(d));
    std::memcpy(pBytes, &iBits, 8);
}

double decodeValue(const char* pBytes) {
    std::uint64_t iBits = 0;
    std::memcpy(&iBits, pBytes, 8);
    return std::bit_cast<double>(fileOrder(iBits));
}

// %.15g, whose exponent the tool has always written with at least three digits (1e-005).
// Returns the length including the line break.
size_t formatValue(double d, char* pOut) {
    char* const pEnd =
        std::to_chars(pOut, pOut + kTextValueRoom - 4, d, std::chars_format::general, 15).ptr;
    size_t iLength = static_cast<size_t>(pEnd - pOut);
    const char* const pE = std::find(pOut, pEnd, 'e');
    if (pE != pEnd) {
        const size_t iDigitsAt = static_cast<size_t>(pE - pOut) + 2;
        const size_t iDigits = iLength - iDigitsAt;
        if (iDigits < 3) {
            const size_t iPad = 3 - iDigits;
            std::memmove(pOut + iDigitsAt + iPad, pOut + iDigitsAt, iDigits);
            std::memset(pOut + iDigitsAt, '0', iPad);
            iLength += iPad;
        }
    }
    pOut[iLength] = '\n';
    return iLength + 1;
}

// A vector shorter than limit stops the process at this tested access, before any output
// exists that would be left behind half-written.
void touchLast(const Vec& v, size_t n) {
    if (n > 0) {
        (void)v[n - 1];
    }
}

// Hands v[0..n-1] in its encoding to emit, one block per call; stops at the first failed call.
template <class Emit> bool encode(Encoding encoding, const Vec& v, size_t n, Emit emit) {
    if (encoding == Encoding::binary && std::endian::native == std::endian::little) {
        // The elements lie in memory in file order: the vector's own array is the block.
        touchLast(v, n);
        const char* const pBytes = reinterpret_cast<const char*>(v.data());
        for (size_t i = 0; i < n; i += kBlockValues) {
            const size_t iCount = std::min(n - i, kBlockValues);
            if (!emit(pBytes + 8 * i, 8 * iCount)) {
                return false;
            }
        }
        return true;
    }
    if (encoding == Encoding::binary) {
        std::unique_ptr<char[]> caBlock(new char[8 * kBlockValues]);
        for (size_t i = 0; i < n; i += kBlockValues) {
            const size_t iCount = std::min(n - i, kBlockValues);
            for (size_t j = 0; j < iCount; ++j) {
                encodeValue(v[i + j], &caBlock[8 * j]);
            }
            if (!emit(caBlock.get(), 8 * iCount)) {
                return false;
            }
        }
        return true;
    }
    std::unique_ptr<char[]> caBlock(new char[kTextBlockBytes]);
    size_t iUsed = 0;
    for (size_t i = 0; i < n; ++i) {
        if (kTextBlockBytes - iUsed < kTextValueRoom) {
            if (!emit(caBlock.get(), iUsed)) {
                return false;
            }
            iUsed = 0;
        }
        iUsed += formatValue(v[i], &caBlock[iUsed]);
    }
    return iUsed == 0 || emit(caBlock.get(), iUsed);
}

// Takes up to iWanted bytes; fewer only at the end of the data.
size_t fill(std::streambuf* pBuf, char* pOut, size_t iWanted) {
    size_t iGot = 0;
    while (pBuf != nullptr && iGot < iWanted) {
        const std::streamsize iStep =
            pBuf->sgetn(pOut + iGot, static_cast<std::streamsize>(iWanted - iGot));
        if (iStep <= 0) {
            break;
        }
        iGot += static_cast<size_t>(iStep);
    }
    return iGot;
}

void reportReadError(const std::string& sWhere, size_t i, size_t n) {
    std::cerr << sWhere << "Lesefehler bei Wert " << i + 1 << " von " << n << std::endl;
}

// Reads v[0..n-1]; takes no byte past the n-th value, so that the next channel on the same
// stream starts right there.
int readBinary(std::streambuf* pBuf, size_t n, Vec& v, const std::string& sWhere) {
    std::unique_ptr<char[]> caBlock(new char[8 * kBlockValues]);
    size_t i = 0;
    // A file buffer reports a failing read (a directory opened as a file, a device error) by
    // an exception.
    try {
        while (i < n) {
            const size_t iWanted = 8 * std::min(n - i, kBlockValues);
            const size_t iGot = fill(pBuf, caBlock.get(), iWanted);
            const size_t iComplete = iGot / 8;
            if (std::endian::native == std::endian::little) {
                // One tested access for the block, then one move in file order.
                touchLast(v, i + iComplete);
                std::memcpy(v.data() + i, caBlock.get(), 8 * iComplete);
            } else {
                for (size_t j = 0; j < iComplete; ++j) {
                    v[i + j] = decodeValue(&caBlock[8 * j]);
                }
            }
            i += iComplete;
            if (iGot < iWanted) {
                std::cerr << sWhere << "nur " << i << " von " << n << " Werten vorhanden (Wert "
                          << i + 1;
                if (iGot % 8 != 0) {
                    std::cerr << " unvollstaendig, " << iGot % 8 << " von 8 Bytes)" << std::endl;
                } else {
                    std::cerr << " fehlt)" << std::endl;
                }
                return 1;
            }
        }
    } catch (const std::ios_base::failure&) {
        reportReadError(sWhere, i, n);
        return 1;
    }
    return 0;
}

// The white space of the classic locale, line breaks of either convention included.
bool isSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The next white-space-separated token; false at the end of the data. The character after the
// token stays in the stream.
bool nextToken(std::streambuf* pBuf, std::string& sToken) {
    using Traits = std::streambuf::traits_type;
    sToken.clear();
    if (pBuf == nullptr) {
        return false;
    }
    int c = pBuf->sgetc();
    while (c != Traits::eof() && isSpace(c)) {
        c = pBuf->snextc();
    }
    while (c != Traits::eof() && !isSpace(c)) {
        sToken.push_back(Traits::to_char_type(c));
        c = pBuf->snextc();
    }
    return !sToken.empty();
}

enum class Parsed { number, notNumber, outOfRange };

// A decimal number, or nan, inf, infinity in any case, with an optional sign, and nothing else.
Parsed parseValue(const std::string& sToken, double& d) {
    const char* pFirst = sToken.data();
    const char* const pLast = pFirst + sToken.size();
    // from_chars takes a minus sign only.
    if (pFirst != pLast && *pFirst == '+') {
        ++pFirst;
        if (pFirst != pLast && *pFirst == '-') {
            return Parsed::notNumber;
        }
    }
    const std::from_chars_result result =
        std::from_chars(pFirst, pLast, d, std::chars_format::general);
    if (result.ptr != pLast) {
        return Parsed::notNumber;
    }
    if (result.ec == std::errc::result_out_of_range) {
        return Parsed::outOfRange;
    }
    return result.ec == std::errc() ? Parsed::number : Parsed::notNumber;
}

// The token as a message shows it: short, and without control bytes of a binary file.
std::string shown(const std::string& sToken) {
    constexpr size_t kShownLength = 40;
    std::string sShown = sToken.substr(0, kShownLength);
    for (char& c : sShown) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7F) {
            c = '?';
        }
    }
    if (sToken.size() > kShownLength) {
        sShown += "...";
    }
    return "'" + sShown + "'";
}

// Reads v[0..n-1]; stops right after the n-th token, so that the next channel on the same
// stream starts there.
int readText(std::streambuf* pBuf, size_t n, Vec& v, const std::string& sWhere) {
    std::string sToken;
    size_t i = 0;
    // A file buffer reports a failing read by an exception.
    try {
        for (; i < n; ++i) {
            if (!nextToken(pBuf, sToken)) {
                std::cerr << sWhere << "nur " << i << " von " << n << " Werten vorhanden (Wert "
                          << i + 1 << " fehlt)" << std::endl;
                return 1;
            }
            double d = 0.0;
            const Parsed parsed = parseValue(sToken, d);
            if (parsed != Parsed::number) {
                std::cerr << sWhere << "Wert " << i + 1 << " von " << n
                          << (parsed == Parsed::outOfRange
                                  ? " liegt ausserhalb des Zahlenbereichs von double: "
                                  : " ist keine Zahl: ")
                          << shown(sToken) << std::endl;
                return 1;
            }
            v[i] = d;
        }
    } catch (const std::ios_base::failure&) {
        reportReadError(sWhere, i, n);
        return 1;
    }
    return 0;
}

std::string readerWhere(const std::string& fileName) {
    return "Fehler beim Lesen von '" + fileName + "': ";
}

const char* const kStdinWhere = "Fehler beim Lesen der Standardeingabe: ";

void reportWrite(const std::string& fileName, const char* sWhat) {
    std::cerr << "Fehler beim Schreiben von '" << fileName << "': " << sWhat << std::endl;
}

// A file written under a temporary name beside its target, which only commit() replaces.
// Whatever happens before, a failure or an exception, the destructor removes the temporary
// file.
class PendingFile {
public:
    explicit PendingFile(const std::string& sTargetName)
        : sTarget(sTargetName), pFile(nullptr), bTemporaryExists(false) {}

    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    virtual ~PendingFile() {
        if (pFile != nullptr) {
            std::fclose(pFile);
        }
        if (bTemporaryExists) {
            std::remove(sTemporary.c_str());
        }
    }

    // Creates the temporary file exclusively, so that nothing of the same name is overwritten.
    bool create(bool bBinary) {
        const std::uint64_t iSeed =
            static_cast<std::uint64_t>(
                std::chrono::high_resolution_clock::now().time_since_epoch().count()) ^
            static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(this));
        constexpr int kAttempts = 100;
        for (int a = 0; a < kAttempts; ++a) {
            sTemporary = sTarget + "." + suffix(iSeed + static_cast<std::uint64_t>(a)) + ".tmp";
            errno = 0;
            pFile = std::fopen(sTemporary.c_str(), bBinary ? "wbx" : "wx");
            if (pFile != nullptr) {
                bTemporaryExists = true;
                // Made now, so that replacing the targets later needs no memory.
                targetPath = sTarget;
                temporaryPath = sTemporary;
                return true;
            }
            if (errno != EEXIST) {
                return false;
            }
        }
        return false;
    }

    bool write(const char* pData, size_t iLength) {
        return std::fwrite(pData, 1, iLength, pFile) == iLength;
    }

    // Flushes and closes; false if any byte did not reach the file.
    bool close() {
        const bool bFlushed = std::fflush(pFile) == 0 && std::ferror(pFile) == 0;
        const bool bClosed = std::fclose(pFile) == 0;
        pFile = nullptr;
        return bFlushed && bClosed;
    }

    bool targetIsDirectory() const {
        std::error_code ec;
        return std::filesystem::is_directory(targetPath, ec);
    }

    bool commit() {
        std::error_code ec;
        std::filesystem::rename(temporaryPath, targetPath, ec);
        if (ec) {
            return false;
        }
        bTemporaryExists = false;
        return true;
    }

private:
    // Eight hex digits of a mix of the seed (the splitmix64 finaliser).
    static std::string suffix(std::uint64_t x) {
        x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
        x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
        x ^= x >> 31;
        char caHex[9];
        for (int k = 0; k < 8; ++k) {
            caHex[k] = "0123456789abcdef"[(x >> (4 * k)) & 0xF];
        }
        caHex[8] = '\0';
        return caHex;
    }

    const std::string sTarget;
    std::string sTemporary;
    std::filesystem::path targetPath;
    std::filesystem::path temporaryPath;
    std::FILE* pFile;
    bool bTemporaryExists;
};

int writeFiles(Encoding encoding, const std::vector<std::string>& vsFileNames, int limit,
               const std::vector<const Vec*>& vpChannels) {
    if (vsFileNames.size() != vpChannels.size()) {
        std::cerr << "Fehler beim Schreiben: " << vsFileNames.size() << " Dateinamen fuer "
                  << vpChannels.size() << " Kanaele" << std::endl;
        return 1;
    }
    const size_t n = valueCount(limit);
    for (const Vec* pChannel : vpChannels) {
        touchLast(*pChannel, n);
    }

    std::vector<std::unique_ptr<PendingFile>> vpFiles;
    for (size_t c = 0; c < vpChannels.size(); ++c) {
        vpFiles.push_back(std::make_unique<PendingFile>(vsFileNames[c]));
        PendingFile& file = *vpFiles.back();
        if (!file.create(encoding == Encoding::binary)) {
            reportWrite(vsFileNames[c], "Datei kann nicht angelegt werden");
            return 1;
        }
        const bool bWritten =
            encode(encoding, *vpChannels[c], n, [&file](const char* pData, size_t iLength) {
                return file.write(pData, iLength);
            });
        if (!file.close() || !bWritten) {
            reportWrite(vsFileNames[c], "Daten konnten nicht vollstaendig geschrieben werden");
            return 1;
        }
    }
    // A directory in the way is the one failure of a rename that can be seen beforehand; looking
    // first keeps every target as it was.
    for (size_t c = 0; c < vpFiles.size(); ++c) {
        if (vpFiles[c]->targetIsDirectory()) {
            reportWrite(vsFileNames[c], "ein Verzeichnis dieses Namens ist im Weg");
            return 1;
        }
    }
    for (size_t c = 0; c < vpFiles.size(); ++c) {
        if (!vpFiles[c]->commit()) {
            reportWrite(vsFileNames[c], "Datei kann nicht ersetzt werden");
            return 1;
        }
    }
    return 0;
}

int writeStdout(Encoding encoding, int limit, const Vec& v) {
    std::ios::sync_with_stdio(false);
    const size_t n = valueCount(limit);
    touchLast(v, n);
    const bool bWritten = encode(encoding, v, n, [](const char* pData, size_t iLength) {
        return static_cast<bool>(std::cout.write(pData, static_cast<std::streamsize>(iLength)));
    });
    std::cout.flush();
    if (!bWritten || !std::cout) {
        std::cerr << "Fehler beim Schreiben auf die Standardausgabe: die Daten konnten nicht "
                     "vollstaendig geschrieben werden"
                  << std::endl;
        return 1;
    }
    return 0;
}

} // namespace

FileIO::FileIO() {}

FileIO::~FileIO() {}

int FileIO::readVectorFileASCII(std::string fileName, int limit, MathTL::Vector<double>& v) {
    std::ifstream file(fileName);
    if (!file.is_open()) {
        std::cerr << readerWhere(fileName) << "Datei kann nicht geoeffnet werden" << std::endl;
        return 1;
    }
    return readText(file.rdbuf(), valueCount(limit), v, readerWhere(fileName));
}

int FileIO::writeVectorFileASCII(std::string fileName, int limit, const MathTL::Vector<double>& v) {
    return writeFiles(Encoding::text, {fileName}, limit, {&v});
}

int FileIO::readVectorFileBinary(std::string fileName, int limit, MathTL::Vector<double>& v) {
    std::ifstream file(fileName, std::ios::in | std::ios::binary);
    if (!file.is_open()) {
        std::cerr << readerWhere(fileName) << "Datei kann nicht geoeffnet werden" << std::endl;
        return 1;
    }
    return readBinary(file.rdbuf(), valueCount(limit), v, readerWhere(fileName));
}

int FileIO::writeVectorFileBinary(std::string fileName, int limit, MathTL::Vector<double>& v) {
    return writeFiles(Encoding::binary, {fileName}, limit, {&v});
}

int FileIO::readVectorFromStdinBinary(int limit, MathTL::Vector<double>& v) {
    std::ios::sync_with_stdio(false);
    return readBinary(std::cin.rdbuf(), valueCount(limit), v, kStdinWhere);
}

int FileIO::writeVectorToStdoutBinary(int limit, MathTL::Vector<double>& v) {
    return writeStdout(Encoding::binary, limit, v);
}

int FileIO::readVectorFromStdinASCII(int limit, MathTL::Vector<double>& v) {
    std::ios::sync_with_stdio(false);
    return readText(std::cin.rdbuf(), valueCount(limit), v, kStdinWhere);
}

int FileIO::writeVectorToStdoutASCII(int limit, MathTL::Vector<double>& v) {
    return writeStdout(Encoding::text, limit, v);
}

int FileIO::writeVectorFilesBinary(const std::vector<std::string>& vsFileNames, int limit,
                                   const std::vector<const MathTL::Vector<double>*>& vpChannels) {
    return writeFiles(Encoding::binary, vsFileNames, limit, vpChannels);
}

int FileIO::writeVectorFilesASCII(const std::vector<std::string>& vsFileNames, int limit,
                                  const std::vector<const MathTL::Vector<double>*>& vpChannels) {
    return writeFiles(Encoding::text, vsFileNames, limit, vpChannels);
}
