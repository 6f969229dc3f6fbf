#include "main.h"

#include "FileIO.h"
#include "algebra/vector.h"
#include "filter/AnisotropicFilter.h"
#include "filter/IsotropicFilter.h"
#include "filter/IsotropicRGBaverageGrad.h"
#include "filter/IsotropicRGBindependent.h"
#include "filter/IsotropicRGBnormedGradients.h"
#include "filter/diffusionfunctions/DiffusionBFB.h"
#include "filter/diffusionfunctions/DiffusionCharbonnier.h"
#include "filter/diffusionfunctions/DiffusionFAB.h"
#include "filter/diffusionfunctions/DiffusionHollmer.h"
#include "filter/diffusionfunctions/DiffusionLinear.h"
#include "filter/diffusionfunctions/DiffusionPeronaMalik.h"
#include "filter/diffusionfunctions/DiffusionTV.h"
#include "filter/diffusionfunctions/DiffusionTukey.h"
#include "filter/diffusionfunctions/DiffusionWeickert.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

// clang-format off
const char* const saUsageLines[] = {
    "Verwendung",
    "----------",
    "",
    "Der Uebersichtlichkeit halber werden die Aufrufparameter in verschiedene",
    "Bloecke unterteilt. Die zu jedem Block gehoerenden Parameter werden unten",
    "aufgelistet.",
    "",
    "Dimension Filterkategorie Filtereigenschaften Diffusionstensor Eingabedaten",
    "",
    "Dimension:",
    "Hier ist eine Angabe erforderlich, die die Dimension der zu filternden Daten",
    "festlegt. Moeglichkeiten: 2d, 3d",
    "",
    "Filterkategorie:",
    "Ein Parameter mit folgenden Moeglichkeiten und Bedeutungen",
    "  isotrop   - Es wird ein isotroper Filter verwendet",
    "  anisotrop - Es wird ein anisotroper Filter verwendet (Experimentell!)",
    "",
    "Filtereigenschaften:",
    "Parameter, die allgemein das Verhalten des Filters festlegen. Folgende Parameter",
    "(in dieser Reihenfolge) sind erforderlich:",
    "  StepSize       - Schrittbreite in der Zeit pro Iteration",
    "  NoOfIterations - Anzahl an Iterationen, die berechnet werden",
    "  Sigma          - Vorglaettungsparameter",
    "  Rho            - Strukturparameter (nur fuer anisotrope Filter)",
    "",
    "Diffusionstensor:",
    "Parameter, welche die Eigenschaften des Diffusionsprozesses steuern. Fuer einen",
    "isotropen Filter ist eine Diffusionsfunktion notwendig, fuer einen anisotropen",
    "sind es zwei: Zuerst die Diffusionsfunktion in Kontrastrichtung, danach die",
    "Diffusionsfunktion in Normalenrichtung. Eine Diffusionsfunktion wird dabei gegeben",
    "durch den Namen der Funktion und Parameter. Die verschiedenen Moeglichkeiten (mit",
    "jeweils der Anzahl notwendiger Parameter) sind:",
    "  linear      (0 Parameter)",
    "  hollmer     (1 Parameter, Originalfunktion aus der Diplomarbeit von Jasper",
    "               Hollmer)",
    "  peronamalik (1 Parameter)",
    "  charbonnier (1 Parameter)",
    "  tukey       (1 Parameter)",
    "  fab         (2 Parameter)",
    "  tv          (1 Parameter)",
    "  bfb         (1 Parameter)",
    "  weickert    (1 Parameter)",
    "",
    "Eingabedaten:",
    "Parameter, welche die Eingabedaten fuer den Filter festlegen. Zunaechst muss",
    "die Art der Eingabeparameter festgelegt werden. Dazu ist eine Angabe noetig",
    "wobei die folgenden Moeglichkeiten bestehen:",
    "  grey               - Es wird ein grauer Filter verwendet",
    "  RGBindependent     - Es wird ein RGB-Filter verwendet, der die drei",
    "                       Farbkomponenten unabhaengig voneinander filtert.",
    "  RGBaverageGradient - Ein RGB-Filter, der den Gradienten des arithmetischen",
    "                       Mittels von R-, G- und B-Anteil benutzt.",
    "  RGBnormGradients   - Ein RGB-Filter, der die (euklidische) Norm der drei",
    "                       Gradienten von R, G und B benutzt",
    "Anschliessend muss die Kommunikationsmethode und das Format festgelegt werden.",
    "  binarystdinout - Kommunikation im Binaerformat ueber die Standard Ein-/Aus-",
    "                   gabe",
    "  asciistdinout  - Kommunikation im ASCII-Format ueber die Standard Ein-/Aus-",
    "                   gabe",
    "  binaryfile     - Kommunikation im Binaerformat ueber Dateien",
    "  asciifile      - Kommunikation im ASCII-Format ueber Dateien",
    "Werden Dateien benutzt, so muessen diese nun angegeben werden. Die Dimensionsangaben",
    "muessen stets ggf. nach den Dateinamen folgen",
    "Wird ein grauer Filter verwendet, so ist nur ein Dateiname",
    "  InputFile",
    "erforderlich, wird hingegen ein RGB Filter verwendet, so sind drei Dateinamen",
    "anzugeben:",
    "  InputFileR - Rotanteil der Eingabedaten",
    "  InputFileG - Gruenanteil der Eingabedaten",
    "  InputFileB - Blauanteil der Eingabedaten",
    "Das Format der Eingabedaten ist immer gleich: Ein passend als Vektor kodiertes Bild.",
    "Im Anschluss an die Dateinamen ist die Dimension des Eingabebildes anzugeben.",
    "Wird in 2D gefiltert, so sind dazu die Angaben",
    "  Dimension1  - Ueblicherweise die Hoehe des Bildes in Pixeln (Kodierungsabhaengig)",
    "  Dimension2  - Ueblicherweise die Breite des Bildes in Pixeln (Kodierungsabhaengig)",
    "erforderlich. Wird dagegen in 3D gefiltert, so werden folgende Angaben benoetigt:",
    "  Dimension1  - Ueblicherweise die Hoehe des Bildes in Pixeln (Kodierungsabhaengig)",
    "  Dimension2  - Ueblicherweise die Breite des Bildes in Pixeln (Kodierungsabhaengig)",
    "  Dimension3  - Ueblicherweise die Tiefe des Bildes in Pixeln (Kodierungsabhaengig)",
    "",
    "Beispielaufrufe",
    "--------------",
    "",
    "2d isotrop 5e-8 40 0.0001 hollmer 7.5 grey binaryfile path/to/input/file 640 480",
    "",
    "In diesem Aufruf wird ein 2D-Graubild \"path/to/input/file\" der Abmessung",
    "640x480 mit einem isotropen Filter mit Schrittweite 5e-8 und 40 Iterationen",
    "mit dem Vorglaettungsparameter 0.0001 gefiltert. Die Diffusion wird dabei von",
    "der Funktion \"hollmer\" aus der Diplomarbeit mit einem Parameter Lambda=7.5",
    "gesteuert.",
    "",
    "2d anisotrop 5e-8 40 0.0001 0.0005 hollmer 7.5 linear grey binaryfile path/to/input/file 232 896",
    "",
    "Beispiel dafuer dass im anisotropen Fall zwei Diffusionsfunktionen benoetigt werden.",
    "In Kontrastrichtung wird hier erneut die Funktion \"hollmer\" mit einem Parameter",
    "Lambda=7.5 verwendet, in Normalenrichtung hingegen ein linearer Filter. Das ist",
    "im Wesentlichen der von Weickert in \"Anisotropic Diffusion in Image Processing\"",
    "vorgeschlagene Diffusionstensor im anisotropen Fall.",
    "",
};
// clang-format on

bool isKeyword(const char* sArgument, const char* sKeyword) {
    return std::strcmp(sArgument, sKeyword) == 0;
}

// Like atof: the longest numeric prefix, 0 if there is none.
double toReal(const char* sArgument) {
    return std::strtod(sArgument, nullptr);
}

// Like atoi (white space, sign, digits, the rest ignored), but saturating at the int range
// instead of overflowing.
int toInteger(const char* sArgument) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(sArgument);
    while (std::isspace(*p)) {
        ++p;
    }
    bool bNegative = false;
    if (*p == '+' || *p == '-') {
        bNegative = *p == '-';
        ++p;
    }
    long long iValue = 0;
    const long long iLimit = bNegative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    for (; std::isdigit(*p); ++p) {
        iValue = iValue * 10 + (*p - '0');
        if (iValue >= iLimit) {
            return bNegative ? INT_MIN : INT_MAX;
        }
    }
    return static_cast<int>(bNegative ? -iValue : iValue);
}

// Reports sMessage unless dValue is finite and not negative.
bool checkNonNegative(double dValue, const std::string& sMessage) {
    if (std::isfinite(dValue) && dValue >= 0.0) {
        return true;
    }
    printUsage(sMessage);
    return false;
}

struct DiffFunctionName {
    const char* sName;
    difffunction iFunctionType;
    int iParameterCount;
};

const DiffFunctionName aDiffFunctionNames[] = {
    {"hollmer", hollmer, 1},
    {"peronamalik", peronamalik, 1},
    {"charbonnier", charbonnier, 1},
    {"tukey", tukey, 1},
    {"linear", linear, 0},
    {"fab", fab, 2},
    {"tv", tv, 1},
    {"bfb", bfb, 1},
    {"weickert", weickert, 1},
};

} // namespace

void printUsage() {
    for (const char* sLine : saUsageLines) {
        std::cout << sLine << '\n';
    }
}

void printUsage(std::string sErrorType) {
    std::cout << "nldiff: Nichtlineare Diffusionsfilterung von Bildern\n\n";
    std::cout << "Fehler in den Aufrufparametern: " << sErrorType << "\n\n";
    printUsage();
    std::cout << "Fehlermeldung:\n";
    std::cout << "--------------\n";
    std::cout << sErrorType << "\n\n";
    std::cout.flush();
}

int getDimensions(int argc, char** argv, dimension& result) {
    if (argc == 0) {
        printUsage("Dimensionsangabe fehlt");
        return -1;
    }
    if (isKeyword(argv[0], "2d")) {
        result = D2;
        return 1;
    }
    if (isKeyword(argv[0], "3d")) {
        result = D3;
        return 1;
    }
    printUsage("Ungueltige Dimensionsangabe");
    return -1;
}

int getCategory(int argc, char** argv, dimension iDimension, filtercat& result) {
    if (argc == 0) {
        printUsage("Filterkategorie fehlt");
        return -1;
    }
    if (isKeyword(argv[0], "isotrop")) {
        result = isotrop;
        return 1;
    }
    if (isKeyword(argv[0], "anisotrop")) {
        if (iDimension == D3) {
            printUsage("Im Moment koennen nur isotrope Filter 3D-Daten verarbeiten");
            return -1;
        }
        result = anisotrop;
        return 1;
    }
    printUsage("Ungueltige Filterkategorie");
    return -1;
}

int getCommonFilterParameters(int argc, char** argv, filtercat usedCategory, parFilter& result) {
    int iCount;
    if (usedCategory == isotrop) {
        iCount = 3;
    } else if (usedCategory == anisotrop) {
        iCount = 4;
    } else {
        std::cout << "Interner Fehler: Unbekannte Filterkategorie gewaehlt." << std::endl;
        return -1;
    }
    if (argc < iCount) {
        printUsage("Allgemeine Filtereigenschaften: Zu wenige Parameter");
        return -1;
    }
    result.dTimeStep = toReal(argv[0]);
    result.iIterations = toInteger(argv[1]);
    result.dSigma = toReal(argv[2]);
    if (usedCategory == anisotrop) {
        result.dRho = toReal(argv[3]);
    }
    const std::string sRule = " muss eine endliche Zahl groesser oder gleich 0 sein";
    if (!checkNonNegative(result.dTimeStep, "Allgemeine Filtereigenschaften: StepSize" + sRule) ||
        !checkNonNegative(result.dSigma, "Allgemeine Filtereigenschaften: Sigma" + sRule) ||
        (usedCategory == anisotrop &&
         !checkNonNegative(result.dRho, "Allgemeine Filtereigenschaften: Rho" + sRule))) {
        return -1;
    }
    return iCount;
}

int getDiffTensor(int argc, char** argv, filtercat usedCategory, parDifftensor& result) {
    if (usedCategory == isotrop) {
        return getDiffFunction(argc, argv, result.isotropicFunction);
    }
    if (usedCategory == anisotrop) {
        const int iFirst = getDiffFunction(argc, argv, result.anisotropicFunction1);
        if (iFirst < 0) {
            return -1;
        }
        const int iSecond =
            getDiffFunction(argc - iFirst, argv + iFirst, result.anisotropicFunction2);
        if (iSecond < 0) {
            return -1;
        }
        return iFirst + iSecond;
    }
    std::cout << "Interner Fehler: Unbekannte Filterkategorie gewaehlt." << std::endl;
    return -1;
}

int getDiffFunction(int argc, char** argv, parDifffunction& result) {
    if (argc == 0) {
        printUsage("Diffusionsfunktion: Zu wenige Parameter");
        return -1;
    }
    const DiffFunctionName* pName = nullptr;
    for (const DiffFunctionName& name : aDiffFunctionNames) {
        if (isKeyword(argv[0], name.sName)) {
            pName = &name;
            break;
        }
    }
    if (pName == nullptr) {
        printUsage("Diffusionsfunktion: Unbekannter Funktionsname");
        return -1;
    }
    const std::string sPrefix = std::string("Diffusionsfunktion ") + pName->sName + ": ";
    if (argc < 1 + pName->iParameterCount) {
        printUsage(sPrefix + "Zu wenige Parameter");
        return -1;
    }
    result.iFunctionType = pName->iFunctionType;
    if (pName->iParameterCount >= 1) {
        result.dLambda1 = toReal(argv[1]);
    }
    if (pName->iParameterCount >= 2) {
        result.dLambda2 = toReal(argv[2]);
    }
    // Every diffusivity divides by its parameters: only finite positive values make sense.
    const double adParameters[] = {result.dLambda1, result.dLambda2};
    for (int i = 0; i < pName->iParameterCount; ++i) {
        if (!(std::isfinite(adParameters[i]) && adParameters[i] > 0.0)) {
            const std::string sParameter =
                pName->iParameterCount == 1 ? "Lambda" : "Lambda" + std::to_string(i + 1);
            printUsage(sPrefix + "Parameter " + sParameter +
                       " muss eine endliche Zahl groesser als 0 sein");
            return -1;
        }
    }
    return 1 + pName->iParameterCount;
}

int getDataType(int argc, char** argv, filtercat usedCategory, parInput& result) {
    if (argc == 0) {
        printUsage("Datentyp der Eingabedaten fehlt");
        return -1;
    }
    if (isKeyword(argv[0], "grey")) {
        result.dataType = grey;
        return 1;
    }
    const struct {
        const char* sName;
        datatype dataType;
    } aColourTypes[] = {{"RGBindependent", rgbIndependent},
                        {"RGBaverageGradient", rgbAverageGradient},
                        {"RGBnormGradients", rgbNormGradients}};
    for (const auto& colourType : aColourTypes) {
        if (isKeyword(argv[0], colourType.sName)) {
            if (usedCategory == anisotrop) {
                printUsage("Im Moment koennen nur isotrope Filter Farbdaten verarbeiten");
                return -1;
            }
            result.dataType = colourType.dataType;
            return 1;
        }
    }
    printUsage("Ungueltiger Datentyp fuer Eingabedaten");
    return -1;
}

int getInputParams(int argc, char** argv, dimension iDimension, datatype dataType,
                   parInput& result) {
    if (argc == 0) {
        printUsage("Pfad zur Bilddatei fehlt.");
        return -1;
    }
    if (isKeyword(argv[0], "binaryfile")) {
        result.fileFormat = binaryFile;
    } else if (isKeyword(argv[0], "asciifile")) {
        result.fileFormat = asciiFile;
    } else if (isKeyword(argv[0], "binarystdinout")) {
        result.fileFormat = binaryStdinout;
    } else if (isKeyword(argv[0], "asciistdinout")) {
        result.fileFormat = asciiStdinout;
    } else {
        printUsage("Eingabedaten: Unbekanntes Dateiformat");
        return -1;
    }
    int iCount = 1;

    if (result.fileFormat == binaryFile || result.fileFormat == asciiFile) {
        if (dataType == grey) {
            if (argc - iCount < 1) {
                printUsage("Pfad zur Bilddatei fehlt.");
                return -1;
            }
            result.sFileNameGrey = argv[iCount];
            iCount += 1;
        } else if (dataType == rgbIndependent || dataType == rgbAverageGradient ||
                   dataType == rgbNormGradients) {
            if (argc - iCount < 3) {
                printUsage("Pfade zu den Bilddateien fehlen.");
                return -1;
            }
            result.sFileNameR = argv[iCount];
            result.sFileNameG = argv[iCount + 1];
            result.sFileNameB = argv[iCount + 2];
            iCount += 3;
        } else {
            std::cout << "Interner Fehler: Unbekannter Datentyp gewaehlt." << std::endl;
            return -1;
        }
    }

    int iDimensionCount;
    if (iDimension == D2) {
        iDimensionCount = 2;
    } else if (iDimension == D3) {
        iDimensionCount = 3;
    } else {
        std::cout << "Interner Fehler: Unbekannter Dimension fuer Eingabeparameter." << std::endl;
        return -1;
    }
    if (argc - iCount < iDimensionCount) {
        printUsage("Bilddimensionen fehlen");
        return -1;
    }
    int* const apDimensions[] = {&result.iDimension1, &result.iDimension2, &result.iDimension3};
    long long iPixelCount = 1;
    bool bTooSmall = false;
    for (int k = 0; k < iDimensionCount; ++k) {
        const int iSize = toInteger(argv[iCount + k]);
        *apDimensions[k] = iSize;
        bTooSmall = bTooSmall || iSize < 2;
        if (!bTooSmall && iPixelCount <= INT_MAX) {
            iPixelCount *= iSize;
        }
    }
    // The filters need two pixels along every axis, and the pixel count indexes the image.
    if (bTooSmall) {
        printUsage("Bilddimensionen ungueltig: Jede Dimension muss mindestens 2 sein");
        return -1;
    }
    if (iPixelCount > INT_MAX) {
        printUsage("Bilddimensionen ungueltig: Die Pixelanzahl ist groesser als " +
                   std::to_string(INT_MAX));
        return -1;
    }
    result.iResolution = static_cast<int>(iPixelCount);
    return iCount + iDimensionCount;
}

namespace {

// The parsed command line of one job.
struct Job {
    parCommon parsCommon{};
    parFilter parsFilter{};
    parDifftensor parsDiffTensor{};
    parInput parsInputFiles{};
    bool bOnlyPresmooth = false;
};

// The channels of the image: u for grey data, uR, uG, uB for colour data.
struct Image {
    MathTL::Vector<double> u;
    MathTL::Vector<double> uR;
    MathTL::Vector<double> uG;
    MathTL::Vector<double> uB;
};

bool isColour(datatype dataType) {
    return dataType != grey;
}

// Walks the five blocks; false once a parser has reported an error.
bool walkArguments(int argc, char** argv, Job& job) {
    // Moves the window past a block; false once its parser has reported an error.
    const auto consume = [&argc, &argv](int iUsed) {
        if (iUsed < 0) {
            return false;
        }
        argc -= iUsed;
        argv += iUsed;
        return true;
    };
    parCommon& common = job.parsCommon;
    if (!consume(1) || !consume(getDimensions(argc, argv, common.iDimensions)) ||
        !consume(getCategory(argc, argv, common.iDimensions, common.iFilterCategory)) ||
        !consume(getCommonFilterParameters(argc, argv, common.iFilterCategory, job.parsFilter)) ||
        !consume(getDiffTensor(argc, argv, common.iFilterCategory, job.parsDiffTensor)) ||
        !consume(getDataType(argc, argv, common.iFilterCategory, job.parsInputFiles))) {
        return false;
    }
    if (argc > 0 && isKeyword(argv[0], "presmooth")) {
        job.bOnlyPresmooth = true;
        consume(1);
    }
    // Arguments after the input block are ignored.
    return getInputParams(argc, argv, common.iDimensions, job.parsInputFiles.dataType,
                          job.parsInputFiles) >= 0;
}

int readChannel(const parInput& input, const std::string& sFileName, MathTL::Vector<double>& v) {
    switch (input.fileFormat) {
    case binaryFile:
        return FileIO::readVectorFileBinary(sFileName, input.iResolution, v);
    case asciiFile:
        return FileIO::readVectorFileASCII(sFileName, input.iResolution, v);
    case binaryStdinout:
        return FileIO::readVectorFromStdinBinary(input.iResolution, v);
    case asciiStdinout:
        return FileIO::readVectorFromStdinASCII(input.iResolution, v);
    }
    return 1;
}

// Sizes the channels and reads them, R, G, B in this order; false after a reported failure.
bool readImage(const parInput& input, Image& image) {
    const size_t iSize = static_cast<size_t>(input.iResolution);
    if (!isColour(input.dataType)) {
        image.u.resize(iSize, true);
        return readChannel(input, input.sFileNameGrey, image.u) == 0;
    }
    image.uR.resize(iSize, true);
    image.uG.resize(iSize, true);
    image.uB.resize(iSize, true);
    return readChannel(input, input.sFileNameR, image.uR) == 0 &&
           readChannel(input, input.sFileNameG, image.uG) == 0 &&
           readChannel(input, input.sFileNameB, image.uB) == 0;
}

// Writes the image in the form it came in; false after a reported failure.
bool writeImage(const parInput& input, Image& image) {
    const int iLimit = input.iResolution;
    const bool bColour = isColour(input.dataType);
    std::vector<MathTL::Vector<double>*> vpChannels{&image.u};
    std::vector<std::string> vsFileNames{"filter.out"};
    if (bColour) {
        vpChannels = {&image.uR, &image.uG, &image.uB};
        vsFileNames = {"filterR.out", "filterG.out", "filterB.out"};
    }
    const std::vector<const MathTL::Vector<double>*> vpConstChannels(vpChannels.begin(),
                                                                     vpChannels.end());
    switch (input.fileFormat) {
    case binaryFile:
        return FileIO::writeVectorFilesBinary(vsFileNames, iLimit, vpConstChannels) == 0;
    case asciiFile:
        return FileIO::writeVectorFilesASCII(vsFileNames, iLimit, vpConstChannels) == 0;
    case binaryStdinout:
        for (MathTL::Vector<double>* pChannel : vpChannels) {
            if (FileIO::writeVectorToStdoutBinary(iLimit, *pChannel) != 0) {
                return false;
            }
        }
        return true;
    case asciiStdinout:
        for (MathTL::Vector<double>* pChannel : vpChannels) {
            if (FileIO::writeVectorToStdoutASCII(iLimit, *pChannel) != 0) {
                return false;
            }
        }
        return true;
    }
    return false;
}

std::unique_ptr<DiffusionFunction> makeDiffusionFunction(const parDifffunction& function) {
    switch (function.iFunctionType) {
    case linear:
        return std::make_unique<DiffusionLinear>();
    case hollmer:
        return std::make_unique<DiffusionHollmer>(function.dLambda1);
    case peronamalik:
        return std::make_unique<DiffusionPeronaMalik>(function.dLambda1);
    case charbonnier:
        return std::make_unique<DiffusionCharbonnier>(function.dLambda1);
    case tukey:
        return std::make_unique<DiffusionTukey>(function.dLambda1);
    case fab:
        return std::make_unique<DiffusionFAB>(function.dLambda1, function.dLambda2);
    case tv:
        return std::make_unique<DiffusionTV>(function.dLambda1);
    case bfb:
        return std::make_unique<DiffusionBFB>(function.dLambda1);
    case weickert:
        return std::make_unique<DiffusionWeickert>(function.dLambda1);
    }
    return nullptr;
}

// How the filter stage ended.
struct FilterOutcome {
    bool bImageToWrite = true;
    int iFailedSolveCount = 0;
};

// Runs one colour or grey isotropic filter object once, filter or presmooth by the keyword.
template <class Filter, class... Channels>
int runIsotropic(const Job& job, DiffusionFunction& diffusionFunction, int iDimCount,
                 int* iaDimensions, Channels&... channels) {
    const parFilter& filter = job.parsFilter;
    Filter theFilter(filter.dTimeStep, filter.iIterations, filter.dSigma, diffusionFunction);
    if (job.bOnlyPresmooth) {
        theFilter.presmooth(channels..., iDimCount, iaDimensions);
    } else {
        theFilter.filter(channels..., iDimCount, iaDimensions);
    }
    return theFilter.failedSolveCount();
}

FilterOutcome runFilterStage(const Job& job, Image& image) {
    FilterOutcome outcome;
    const parInput& input = job.parsInputFiles;
    if (job.parsCommon.iFilterCategory == anisotrop) {
        const std::unique_ptr<DiffusionFunction> pDiffFunctionContrast =
            makeDiffusionFunction(job.parsDiffTensor.anisotropicFunction1);
        const std::unique_ptr<DiffusionFunction> pDiffFunctionNormal =
            makeDiffusionFunction(job.parsDiffTensor.anisotropicFunction2);
        const parFilter& filter = job.parsFilter;
        AnisotropicFilter theFilter(filter.dTimeStep, filter.iIterations, filter.dSigma,
                                    filter.dRho, *pDiffFunctionContrast, *pDiffFunctionNormal);
        if (job.bOnlyPresmooth) {
            std::cout << "(NOCH) NICHT IMPLEMENTIERT" << std::flush;
            outcome.bImageToWrite = false;
            return outcome;
        }
        theFilter.filter(image.u, input.iDimension1, input.iDimension2);
        outcome.iFailedSolveCount = theFilter.failedSolveCount();
        return outcome;
    }

    const std::unique_ptr<DiffusionFunction> pDiffFunction =
        makeDiffusionFunction(job.parsDiffTensor.isotropicFunction);
    int iDimensions[4] = {0, input.iDimension1, input.iDimension2, 0};
    int iDimCount = 2;
    if (job.parsCommon.iDimensions == D3) {
        iDimCount = 3;
        iDimensions[3] = input.iDimension3;
    }
    DiffusionFunction& g = *pDiffFunction;
    switch (input.dataType) {
    case grey:
        outcome.iFailedSolveCount =
            runIsotropic<IsotropicFilter>(job, g, iDimCount, iDimensions, image.u);
        break;
    case rgbIndependent:
        outcome.iFailedSolveCount = runIsotropic<IsotropicRGBindependent>(
            job, g, iDimCount, iDimensions, image.uR, image.uG, image.uB);
        break;
    case rgbAverageGradient:
        outcome.iFailedSolveCount = runIsotropic<IsotropicRGBaverageGrad>(
            job, g, iDimCount, iDimensions, image.uR, image.uG, image.uB);
        break;
    case rgbNormGradients:
        outcome.iFailedSolveCount = runIsotropic<IsotropicRGBnormedGradients>(
            job, g, iDimCount, iDimensions, image.uR, image.uG, image.uB);
        break;
    }
    return outcome;
}

} // namespace

int runNldiff(int argc, char** argv) {
    Job job;
    if (!walkArguments(argc, argv, job)) {
        return iExitUsageError;
    }
    try {
        Image image;
        if (!readImage(job.parsInputFiles, image)) {
            return iExitFailure;
        }
        const FilterOutcome outcome = runFilterStage(job, image);
        if (!outcome.bImageToWrite) {
            return iExitFailure;
        }
        if (!writeImage(job.parsInputFiles, image)) {
            return iExitFailure;
        }
        // The solver has said which systems failed; the image is written all the same.
        return outcome.iFailedSolveCount == 0 ? iExitSuccess : iExitFailure;
    } catch (const std::bad_alloc&) {
        std::cerr << "Fehler: Nicht genuegend Arbeitsspeicher fuer dieses Bild" << std::endl;
        return iExitFailure;
    }
}
