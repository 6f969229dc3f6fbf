#ifndef NLDIFF_MAIN_H
#define NLDIFF_MAIN_H

#include <string>

// The command line in five positional blocks: Dimension, Filterkategorie,
// Filtereigenschaften, Diffusionstensor, Eingabedaten.

enum dimension { D2 = 0, D3 = 1 };

enum filtercat { isotrop = 0, anisotrop = 1 };

enum difffunction {
    hollmer = 0,
    peronamalik = 1,
    charbonnier = 2,
    tukey = 3,
    linear = 4,
    fab = 5,
    tv = 6,
    bfb = 7,
    weickert = 8
};

enum datatype { grey = 0, rgbIndependent = 1, rgbAverageGradient = 2, rgbNormGradients = 3 };

enum fileformat { binaryFile = 0, asciiFile = 1, binaryStdinout = 2, asciiStdinout = 3 };

struct parCommon {
    dimension iDimensions;
    filtercat iFilterCategory;
};

struct parFilter {
    double dTimeStep;
    int iIterations;
    double dSigma;
    double dRho;
};

struct parDifffunction {
    difffunction iFunctionType;
    double dLambda1;
    double dLambda2;
};

struct parDifftensor {
    parDifffunction isotropicFunction;
    parDifffunction anisotropicFunction1;
    parDifffunction anisotropicFunction2;
};

struct parInput {
    datatype dataType;
    fileformat fileFormat;
    std::string sFileNameGrey;
    std::string sFileNameR;
    std::string sFileNameG;
    std::string sFileNameB;
    int iDimension1;
    int iDimension2;
    int iDimension3;
    int iResolution;
};

// Exit statuses of one run.
constexpr int iExitSuccess = 0;
constexpr int iExitFailure = 1;    // the job could not be done as asked
constexpr int iExitUsageError = 2; // the command line was rejected

// The usage text, and the error report around it; both on standard output.
void printUsage();
void printUsage(std::string sErrorType);

// Each parser reads one block from argv[0 .. argc-1] (argc counts every argument left, those
// of later blocks included) and returns the number of arguments it consumed, or -1 after
// reporting the error.
int getDimensions(int argc, char** argv, dimension& result);
int getCategory(int argc, char** argv, dimension iDimension, filtercat& result);
int getCommonFilterParameters(int argc, char** argv, filtercat usedCategory, parFilter& result);
int getDiffTensor(int argc, char** argv, filtercat usedCategory, parDifftensor& result);
int getDiffFunction(int argc, char** argv, parDifffunction& result);
int getDataType(int argc, char** argv, filtercat usedCategory, parInput& result);
int getInputParams(int argc, char** argv, dimension iDimension, datatype dataType,
                   parInput& result);

// One complete job: argument walk, reading the image, filtering, writing. argv[0] is the
// program name. Returns the exit status.
int runNldiff(int argc, char** argv);

#endif
