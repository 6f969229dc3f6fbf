#ifndef NLDIFF_FILEIO_H
#define NLDIFF_FILEIO_H

#include "algebra/vector.h"

#include <string>
#include <vector>

// Moves image channels, bare sequences of doubles, between vectors and files or the standard
// streams. Binary is 8-byte IEEE 754, least significant byte first, on every host; ASCII is one
// value per line in %.15g form with at least three exponent digits, in any locale.
//
// Each operation transfers the first limit elements of its vector and returns 0, or 1 after a
// message on the error stream that names the file (or the standard stream) and what is wrong.
// A reader that fails has stored the values before the faulty one and left the rest untouched.
// A file writer never leaves a half-written file: it writes to a temporary file beside the
// target and renames it over the target once it is complete. The standard-stream operations work
// through std::cin and std::cout, so that redirecting their buffers redirects the data.
class FileIO {
public:
    FileIO();
    virtual ~FileIO();

    static int readVectorFileASCII(std::string fileName, int limit, MathTL::Vector<double>& v);
    static int writeVectorFileASCII(std::string fileName, int limit,
                                    const MathTL::Vector<double>& v);
    static int readVectorFileBinary(std::string fileName, int limit, MathTL::Vector<double>& v);
    static int writeVectorFileBinary(std::string fileName, int limit, MathTL::Vector<double>& v);
    static int readVectorFromStdinBinary(int limit, MathTL::Vector<double>& v);
    static int writeVectorToStdoutBinary(int limit, MathTL::Vector<double>& v);
    static int readVectorFromStdinASCII(int limit, MathTL::Vector<double>& v);
    static int writeVectorToStdoutASCII(int limit, MathTL::Vector<double>& v);

    // Writes channel c to file vsFileNames[c], all or nothing: the targets are replaced only
    // after every channel has been written completely; on any failure every temporary file is
    // removed and the existing files of those names stay as they were.
    static int writeVectorFilesBinary(const std::vector<std::string>& vsFileNames, int limit,
                                      const std::vector<const MathTL::Vector<double>*>& vpChannels);
    static int writeVectorFilesASCII(const std::vector<std::string>& vsFileNames, int limit,
                                     const std::vector<const MathTL::Vector<double>*>& vpChannels);
};

#endif
