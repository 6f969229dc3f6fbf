#include "src/main.h"
#include "support/Fixtures.h"
#include "support/RunTool.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The usage text as the user sees it, line for line.
const std::string sUsageText =
    R"(Verwendung
----------

Der Uebersichtlichkeit halber werden die Aufrufparameter in verschiedene
Bloecke unterteilt. Die zu jedem Block gehoerenden Parameter werden unten
aufgelistet.

Dimension Filterkategorie Filtereigenschaften Diffusionstensor Eingabedaten

Dimension:
Hier ist eine Angabe erforderlich, die die Dimension der zu filternden Daten
festlegt. Moeglichkeiten: 2d, 3d

Filterkategorie:
Ein Parameter mit folgenden Moeglichkeiten und Bedeutungen
  isotrop   - Es wird ein isotroper Filter verwendet
  anisotrop - Es wird ein anisotroper Filter verwendet (Experimentell!)

Filtereigenschaften:
Parameter, die allgemein das Verhalten des Filters festlegen. Folgende Parameter
(in dieser Reihenfolge) sind erforderlich:
  StepSize       - Schrittbreite in der Zeit pro Iteration
  NoOfIterations - Anzahl an Iterationen, die berechnet werden
  Sigma          - Vorglaettungsparameter
  Rho            - Strukturparameter (nur fuer anisotrope Filter)

Diffusionstensor:
Parameter, welche die Eigenschaften des Diffusionsprozesses steuern. Fuer einen
isotropen Filter ist eine Diffusionsfunktion notwendig, fuer einen anisotropen
sind es zwei: Zuerst die Diffusionsfunktion in Kontrastrichtung, danach die
Diffusionsfunktion in Normalenrichtung. Eine Diffusionsfunktion wird dabei gegeben
durch den Namen der Funktion und Parameter. Die verschiedenen Moeglichkeiten (mit
jeweils der Anzahl notwendiger Parameter) sind:
  linear      (0 Parameter)
  hollmer     (1 Parameter, Originalfunktion aus der Diplomarbeit von Jasper
               Hollmer)
  peronamalik (1 Parameter)
  charbonnier (1 Parameter)
  tukey       (1 Parameter)
  fab         (2 Parameter)
  tv          (1 Parameter)
  bfb         (1 Parameter)
  weickert    (1 Parameter)

Eingabedaten:
Parameter, welche die Eingabedaten fuer den Filter festlegen. Zunaechst muss
die Art der Eingabeparameter festgelegt werden. Dazu ist eine Angabe noetig
wobei die folgenden Moeglichkeiten bestehen:
  grey               - Es wird ein grauer Filter verwendet
  RGBindependent     - Es wird ein RGB-Filter verwendet, der die drei
                       Farbkomponenten unabhaengig voneinander filtert.
  RGBaverageGradient - Ein RGB-Filter, der den Gradienten des arithmetischen
                       Mittels von R-, G- und B-Anteil benutzt.
  RGBnormGradients   - Ein RGB-Filter, der die (euklidische) Norm der drei
                       Gradienten von R, G und B benutzt
Anschliessend muss die Kommunikationsmethode und das Format festgelegt werden.
  binarystdinout - Kommunikation im Binaerformat ueber die Standard Ein-/Aus-
                   gabe
  asciistdinout  - Kommunikation im ASCII-Format ueber die Standard Ein-/Aus-
                   gabe
  binaryfile     - Kommunikation im Binaerformat ueber Dateien
  asciifile      - Kommunikation im ASCII-Format ueber Dateien
Werden Dateien benutzt, so muessen diese nun angegeben werden. Die Dimensionsangaben
muessen stets ggf. nach den Dateinamen folgen
Wird ein grauer Filter verwendet, so ist nur ein Dateiname
  InputFile
erforderlich, wird hingegen ein RGB Filter verwendet, so sind drei Dateinamen
anzugeben:
  InputFileR - Rotanteil der Eingabedaten
  InputFileG - Gruenanteil der Eingabedaten
  InputFileB - Blauanteil der Eingabedaten
Das Format der Eingabedaten ist immer gleich: Ein passend als Vektor kodiertes Bild.
Im Anschluss an die Dateinamen ist die Dimension des Eingabebildes anzugeben.
Wird in 2D gefiltert, so sind dazu die Angaben
  Dimension1  - Ueblicherweise die Hoehe des Bildes in Pixeln (Kodierungsabhaengig)
  Dimension2  - Ueblicherweise die Breite des Bildes in Pixeln (Kodierungsabhaengig)
erforderlich. Wird dagegen in 3D gefiltert, so werden folgende Angaben benoetigt:
  Dimension1  - Ueblicherweise die Hoehe des Bildes in Pixeln (Kodierungsabhaengig)
  Dimension2  - Ueblicherweise die Breite des Bildes in Pixeln (Kodierungsabhaengig)
  Dimension3  - Ueblicherweise die Tiefe des Bildes in Pixeln (Kodierungsabhaengig)

Beispielaufrufe
--------------

2d isotrop 5e-8 40 0.0001 hollmer 7.5 grey binaryfile path/to/input/file 640 480

In diesem Aufruf wird ein 2D-Graubild "path/to/input/file" der Abmessung
640x480 mit einem isotropen Filter mit Schrittweite 5e-8 und 40 Iterationen
mit dem Vorglaettungsparameter 0.0001 gefiltert. Die Diffusion wird dabei von
der Funktion "hollmer" aus der Diplomarbeit mit einem Parameter Lambda=7.5
gesteuert.

2d anisotrop 5e-8 40 0.0001 0.0005 hollmer 7.5 linear grey binaryfile path/to/input/file 232 896

Beispiel dafuer dass im anisotropen Fall zwei Diffusionsfunktionen benoetigt werden.
In Kontrastrichtung wird hier erneut die Funktion "hollmer" mit einem Parameter
Lambda=7.5 verwendet, in Normalenrichtung hingegen ein linearer Filter. Das ist
im Wesentlichen der von Weickert in "Anisotropic Diffusion in Image Processing"
vorgeschlagene Diffusionstensor im anisotropen Fall.

)";

// argv for a parser: writable copies of the words.
class Arguments {
public:
    explicit Arguments(std::vector<std::string> vsWords) : vsWords(std::move(vsWords)) {
        for (std::string& s : this->vsWords) {
            vpWords.push_back(s.data());
        }
        vpWords.push_back(nullptr);
    }
    int count() const { return static_cast<int>(vsWords.size()); }
    char** values() { return vpWords.data(); }

private:
    std::vector<std::string> vsWords;
    std::vector<char*> vpWords;
};

std::string lastNonEmptyLine(const std::string& sText) {
    std::istringstream lines(sText);
    std::string sLine, sLast;
    while (std::getline(lines, sLine)) {
        if (!sLine.empty()) {
            sLast = sLine;
        }
    }
    return sLast;
}

std::vector<std::string> words(std::initializer_list<const char*> list) {
    return std::vector<std::string>(list.begin(), list.end());
}

// ---- Every rejected command line: one table, run through the program itself. ----

struct RejectedCase {
    const char* sName;
    std::vector<std::string> vsArguments;
    std::string sMessage;
};

const std::string sNonNegative = " muss eine endliche Zahl groesser oder gleich 0 sein";
const std::string sPositive = " muss eine endliche Zahl groesser als 0 sein";
const std::string sTooSmall = "Bilddimensionen ungueltig: Jede Dimension muss mindestens 2 sein";

const RejectedCase aRejected[] = {
    {"no_arguments", {}, "Dimensionsangabe fehlt"},
    {"dimension_upper_case", words({"2D"}), "Ungueltige Dimensionsangabe"},
    {"dimension_unknown", words({"4d", "isotrop"}), "Ungueltige Dimensionsangabe"},
    {"category_missing", words({"2d"}), "Filterkategorie fehlt"},
    {"category_upper_case", words({"2d", "Isotrop"}), "Ungueltige Filterkategorie"},
    {"anisotropic_3d", words({"3d", "anisotrop", "1", "1", "0", "0", "linear", "linear"}),
     "Im Moment koennen nur isotrope Filter 3D-Daten verarbeiten"},
    {"isotropic_properties_short", words({"2d", "isotrop", "1e-3", "4"}),
     "Allgemeine Filtereigenschaften: Zu wenige Parameter"},
    {"anisotropic_properties_short", words({"2d", "anisotrop", "1e-3", "4", "0.1"}),
     "Allgemeine Filtereigenschaften: Zu wenige Parameter"},
    {"function_missing", words({"2d", "isotrop", "1e-3", "4", "0.1"}),
     "Diffusionsfunktion: Zu wenige Parameter"},
    {"function_upper_case", words({"2d", "isotrop", "1e-3", "4", "0.1", "Linear", "grey"}),
     "Diffusionsfunktion: Unbekannter Funktionsname"},
    {"sigma_left_out",
     words({"2d", "isotrop", "5e-8", "40", "hollmer", "7.5", "grey", "binaryfile", "f", "640",
            "480"}),
     "Diffusionsfunktion: Unbekannter Funktionsname"},
    {"second_function_missing",
     words({"2d", "anisotrop", "1e-3", "4", "0.1", "0.2", "hollmer", "7.5"}),
     "Diffusionsfunktion: Zu wenige Parameter"},
    {"hollmer_short", words({"2d", "isotrop", "1e-3", "4", "0.1", "hollmer"}),
     "Diffusionsfunktion hollmer: Zu wenige Parameter"},
    {"peronamalik_short", words({"2d", "isotrop", "1e-3", "4", "0.1", "peronamalik"}),
     "Diffusionsfunktion peronamalik: Zu wenige Parameter"},
    {"charbonnier_short", words({"2d", "isotrop", "1e-3", "4", "0.1", "charbonnier"}),
     "Diffusionsfunktion charbonnier: Zu wenige Parameter"},
    {"tukey_short", words({"2d", "isotrop", "1e-3", "4", "0.1", "tukey"}),
     "Diffusionsfunktion tukey: Zu wenige Parameter"},
    {"fab_short", words({"2d", "isotrop", "1e-3", "4", "0.1", "fab", "1.5"}),
     "Diffusionsfunktion fab: Zu wenige Parameter"},
    {"tv_short", words({"2d", "isotrop", "1e-3", "4", "0.1", "tv"}),
     "Diffusionsfunktion tv: Zu wenige Parameter"},
    {"bfb_short", words({"2d", "isotrop", "1e-3", "4", "0.1", "bfb"}),
     "Diffusionsfunktion bfb: Zu wenige Parameter"},
    {"weickert_short", words({"2d", "isotrop", "1e-3", "4", "0.1", "weickert"}),
     "Diffusionsfunktion weickert: Zu wenige Parameter"},
    {"data_type_missing", words({"2d", "isotrop", "1e-3", "4", "0.1", "linear"}),
     "Datentyp der Eingabedaten fehlt"},
    {"data_type_upper_case", words({"2d", "isotrop", "1e-3", "4", "0.1", "linear", "Grey"}),
     "Ungueltiger Datentyp fuer Eingabedaten"},
    {"linear_takes_no_parameter",
     words({"2d", "isotrop", "1e-3", "4", "0.1", "linear", "7.5", "grey"}),
     "Ungueltiger Datentyp fuer Eingabedaten"},
    {"anisotropic_colour",
     words({"2d", "anisotrop", "1e-3", "4", "0.1", "0.2", "linear", "linear", "RGBindependent"}),
     "Im Moment koennen nur isotrope Filter Farbdaten verarbeiten"},
    {"ends_after_data_type", words({"2d", "isotrop", "1e-3", "4", "0.1", "linear", "grey"}),
     "Pfad zur Bilddatei fehlt."},
    {"ends_after_presmooth",
     words({"2d", "isotrop", "1e-3", "4", "0.1", "linear", "grey", "presmooth"}),
     "Pfad zur Bilddatei fehlt."},
    {"grey_file_name_missing",
     words({"2d", "isotrop", "1e-3", "4", "0.1", "linear", "grey", "binaryfile"}),
     "Pfad zur Bilddatei fehlt."},
    {"format_upper_case",
     words({"2d", "isotrop", "1e-3", "4", "0.1", "linear", "grey", "BinaryFile", "f", "4", "4"}),
     "Eingabedaten: Unbekanntes Dateiformat"},
    {"presmooth_twice",
     words({"2d", "isotrop", "1e-3", "4", "0.1", "linear", "grey", "presmooth", "presmooth",
            "binaryfile", "f", "4", "4"}),
     "Eingabedaten: Unbekanntes Dateiformat"},
    {"usage_example_as_printed_before",
     words({"2d", "isotrop", "5e-8", "40", "0.0001", "hollmer", "7.5", "grey", "path/to/input/file",
            "640", "480"}),
     "Eingabedaten: Unbekanntes Dateiformat"},
    {"colour_file_names_short",
     words(
         {"2d", "isotrop", "1e-3", "4", "0.1", "linear", "RGBindependent", "binaryfile", "a", "b"}),
     "Pfade zu den Bilddateien fehlen."},
    {"colour_dimensions_missing",
     words({"2d", "isotrop", "1e-3", "4", "0.1", "linear", "RGBnormGradients", "binaryfile", "r",
            "g", "b"}),
     "Bilddimensionen fehlen"},
    {"2d_one_dimension",
     words({"2d", "isotrop", "1e-3", "4", "0.1", "linear", "grey", "asciistdinout", "4"}),
     "Bilddimensionen fehlen"},
    {"3d_two_dimensions",
     words({"3d", "isotrop", "1e-3", "4", "0.1", "linear", "grey", "asciistdinout", "4", "4"}),
     "Bilddimensionen fehlen"},
    {"dimension_one",
     words({"2d", "isotrop", "1e-3", "4", "0.1", "linear", "grey", "asciistdinout", "1", "4"}),
     sTooSmall},
    {"dimension_zero_from_word",
     words({"2d", "isotrop", "1e-3", "4", "0.1", "linear", "grey", "asciistdinout", "4", "x12"}),
     sTooSmall},
    {"dimension_negative",
     words({"2d", "isotrop", "1e-3", "4", "0.1", "linear", "grey", "asciistdinout", "-4", "4"}),
     sTooSmall},
    {"third_dimension_one",
     words({"3d", "isotrop", "1e-3", "4", "0.1", "linear", "grey", "asciistdinout", "4", "4", "1"}),
     sTooSmall},
    {"pixel_count_beyond_int",
     words({"2d", "isotrop", "1e-3", "4", "0.1", "linear", "grey", "asciistdinout", "65536",
            "32768"}),
     "Bilddimensionen ungueltig: Die Pixelanzahl ist groesser als 2147483647"},
    {"pixel_count_saturated_dimension",
     words({"3d", "isotrop", "1e-3", "4", "0.1", "linear", "grey", "asciistdinout", "99999999999",
            "2", "2"}),
     "Bilddimensionen ungueltig: Die Pixelanzahl ist groesser als 2147483647"},
    {"fab_takes_the_data_type_as_parameter",
     words(
         {"2d", "isotrop", "1e-3", "4", "0.1", "fab", "1.5", "grey", "binaryfile", "f", "4", "4"}),
     "Diffusionsfunktion fab: Parameter Lambda2" + sPositive},
    {"lambda_zero", words({"2d", "isotrop", "1e-3", "4", "0.1", "tv", "0", "grey"}),
     "Diffusionsfunktion tv: Parameter Lambda" + sPositive},
    {"lambda_negative", words({"2d", "isotrop", "1e-3", "4", "0.1", "hollmer", "-7.5", "grey"}),
     "Diffusionsfunktion hollmer: Parameter Lambda" + sPositive},
    {"lambda_not_a_number", words({"2d", "isotrop", "1e-3", "4", "0.1", "bfb", "nan", "grey"}),
     "Diffusionsfunktion bfb: Parameter Lambda" + sPositive},
    {"lambda_infinite", words({"2d", "isotrop", "1e-3", "4", "0.1", "weickert", "inf", "grey"}),
     "Diffusionsfunktion weickert: Parameter Lambda" + sPositive},
    {"fab_first_lambda_word", words({"2d", "isotrop", "1e-3", "4", "0.1", "fab", "x", "2"}),
     "Diffusionsfunktion fab: Parameter Lambda1" + sPositive},
    {"anisotropic_second_lambda",
     words({"2d", "anisotrop", "1e-3", "4", "0.1", "0.2", "linear", "tukey", "-1", "grey"}),
     "Diffusionsfunktion tukey: Parameter Lambda" + sPositive},
    {"step_size_negative", words({"2d", "isotrop", "-1e-3", "4", "0.1", "linear"}),
     "Allgemeine Filtereigenschaften: StepSize" + sNonNegative},
    {"step_size_nan", words({"2d", "isotrop", "nan", "4", "0.1", "linear"}),
     "Allgemeine Filtereigenschaften: StepSize" + sNonNegative},
    {"sigma_infinite", words({"2d", "isotrop", "1e-3", "4", "inf", "linear"}),
     "Allgemeine Filtereigenschaften: Sigma" + sNonNegative},
    {"rho_negative", words({"2d", "anisotrop", "1e-3", "4", "0.1", "-0.5", "linear", "linear"}),
     "Allgemeine Filtereigenschaften: Rho" + sNonNegative},
};

class RejectedCommandLine : public testing::TestWithParam<RejectedCase> {};

TEST_P(RejectedCommandLine, PrintsTheReportAndExitsWithTwo) {
    const RejectedCase& c = GetParam();
    TemporaryDirectory directory;
    const ToolResult result = runTool(c.vsArguments, directory.path());
    EXPECT_EQ(result.iExitStatus, 2);
    EXPECT_EQ(result.sStderr, "");
    EXPECT_NE(result.sStdout.find("\nFehler in den Aufrufparametern: " + c.sMessage + "\n\n"),
              std::string::npos)
        << result.sStdout.substr(0, 300);
    EXPECT_EQ(lastNonEmptyLine(result.sStdout), c.sMessage);
    EXPECT_NE(result.sStdout.find(sUsageText), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(directory.path())) << "nothing may be written";
}

INSTANTIATE_TEST_SUITE_P(EveryMessage, RejectedCommandLine, testing::ValuesIn(aRejected),
                         [](const testing::TestParamInfo<RejectedCase>& info) {
                             return std::string(info.param.sName);
                         });

TEST(ErrorReport, HasTitleMessageUsageAndClosingMessageInThisOrder) {
    TemporaryDirectory directory;
    const ToolResult result = runTool({}, directory.path());
    const std::string& sOut = result.sStdout;
    const size_t iTitleEnd = sOut.find('\n');
    ASSERT_NE(iTitleEnd, std::string::npos);
    EXPECT_GT(iTitleEnd, 0u) << "a title line comes first";
    const std::string sExpectedBody =
        "\nFehler in den Aufrufparametern: Dimensionsangabe fehlt\n\n" + sUsageText +
        "Fehlermeldung:\n--------------\nDimensionsangabe fehlt\n\n";
    EXPECT_EQ(sOut.substr(iTitleEnd + 1), sExpectedBody);
    EXPECT_EQ(sOut.find("presmooth"), std::string::npos);
}

// ---- The parsers through their interface. ----

TEST(Parsers, WalkTheExampleCommandLineWithTheDocumentedCounts) {
    Arguments args(words({"2d", "isotrop", "5e-8", "40", "0.0001", "hollmer", "7.5", "grey",
                          "asciifile", "path/to/input/file", "640", "480"}));
    int argc = args.count();
    char** argv = args.values();
    parCommon common{};
    parFilter filter{};
    parDifftensor tensor{};
    parInput input{};
    StreamCapture capture(std::cout);
    auto advance = [&](int iUsed) {
        argc -= iUsed;
        argv += iUsed;
        return iUsed;
    };
    EXPECT_EQ(advance(getDimensions(argc, argv, common.iDimensions)), 1);
    EXPECT_EQ(advance(getCategory(argc, argv, common.iDimensions, common.iFilterCategory)), 1);
    EXPECT_EQ(advance(getCommonFilterParameters(argc, argv, common.iFilterCategory, filter)), 3);
    EXPECT_EQ(advance(getDiffTensor(argc, argv, common.iFilterCategory, tensor)), 2);
    EXPECT_EQ(advance(getDataType(argc, argv, common.iFilterCategory, input)), 1);
    EXPECT_EQ(getInputParams(argc, argv, common.iDimensions, input.dataType, input), 4);
    EXPECT_EQ(capture.text(), "");

    EXPECT_EQ(common.iDimensions, D2);
    EXPECT_EQ(common.iFilterCategory, isotrop);
    EXPECT_EQ(filter.dTimeStep, 5e-8);
    EXPECT_EQ(filter.iIterations, 40);
    EXPECT_EQ(filter.dSigma, 0.0001);
    EXPECT_EQ(tensor.isotropicFunction.iFunctionType, hollmer);
    EXPECT_EQ(tensor.isotropicFunction.dLambda1, 7.5);
    EXPECT_EQ(input.dataType, grey);
    EXPECT_EQ(input.fileFormat, asciiFile);
    EXPECT_EQ(input.sFileNameGrey, "path/to/input/file");
    EXPECT_EQ(input.iDimension1, 640);
    EXPECT_EQ(input.iDimension2, 480);
    EXPECT_EQ(input.iDimension3, 0) << "2D leaves the third dimension unset";
    EXPECT_EQ(input.iResolution, 640 * 480);
}

TEST(Parsers, AnisotropicTensorTakesContrastThenNormalFunction) {
    Arguments args(words({"fab", "1.5", "3", "linear", "grey"}));
    parDifftensor tensor{};
    EXPECT_EQ(getDiffTensor(args.count(), args.values(), anisotrop, tensor), 4);
    EXPECT_EQ(tensor.anisotropicFunction1.iFunctionType, fab);
    EXPECT_EQ(tensor.anisotropicFunction1.dLambda1, 1.5);
    EXPECT_EQ(tensor.anisotropicFunction1.dLambda2, 3.0);
    EXPECT_EQ(tensor.anisotropicFunction2.iFunctionType, linear);

    Arguments rho(words({"1e-3", "4", "0.1", "0.5", "linear"}));
    parFilter filter{};
    EXPECT_EQ(getCommonFilterParameters(rho.count(), rho.values(), anisotrop, filter), 4);
    EXPECT_EQ(filter.dRho, 0.5);
}

struct ConversionCase {
    const char* sName;
    const char* sStepSize;
    const char* sIterations;
    double dStepSize;
    int iIterations;
};

const ConversionCase aConversions[] = {
    {"plain", "0.25", "12", 0.25, 12},
    {"trailing_text", "7.5abc", "12abc", 7.5, 12},
    {"no_number", "abc", "abc", 0.0, 0},
    {"leading_text", "x1", "x12", 0.0, 0},
    {"leading_white_space", "  2", " \t7", 2.0, 7},
    {"signs", "+1e-3", "-3", 1e-3, -3},
    {"saturates_high", "1", "99999999999", 1.0, INT_MAX},
    {"saturates_low", "1", "-99999999999", 1.0, INT_MIN},
    {"int_limits", "1", "-2147483648", 1.0, INT_MIN},
};

class NumberConversion : public testing::TestWithParam<ConversionCase> {};

TEST_P(NumberConversion, TakesTheNumericPrefix) {
    const ConversionCase& c = GetParam();
    Arguments args(words({c.sStepSize, c.sIterations, "0"}));
    parFilter filter{};
    EXPECT_EQ(getCommonFilterParameters(args.count(), args.values(), isotrop, filter), 3);
    EXPECT_EQ(filter.dTimeStep, c.dStepSize);
    EXPECT_EQ(filter.iIterations, c.iIterations);
}

INSTANTIATE_TEST_SUITE_P(AtofAtoi, NumberConversion, testing::ValuesIn(aConversions),
                         [](const testing::TestParamInfo<ConversionCase>& info) {
                             return std::string(info.param.sName);
                         });

struct InputCase {
    const char* sName;
    dimension iDimension;
    datatype dataType;
    std::vector<std::string> vsArguments;
    int iConsumed;
    fileformat fileFormat;
    std::string sGrey, sR, sG, sB;
    int iResolution;
};

const InputCase aInputs[] = {
    {"grey_stream_reads_no_name", D2, grey, words({"asciistdinout", "640", "480"}), 3,
     asciiStdinout, "", "", "", "", 640 * 480},
    {"colour_stream_reads_no_names", D2, rgbIndependent, words({"binarystdinout", "3", "5"}), 3,
     binaryStdinout, "", "", "", "", 15},
    {"grey_file", D2, grey, words({"binaryfile", "in", "3", "5", "extra"}), 4, binaryFile, "in", "",
     "", "", 15},
    {"colour_files_in_order", D3, rgbNormGradients,
     words({"asciifile", "r", "g", "b", "2", "3", "4"}), 7, asciiFile, "", "r", "g", "b", 24},
    {"dimensions_with_text", D2, grey, words({"asciistdinout", "12abc", "3"}), 3, asciiStdinout, "",
     "", "", "", 36},
};

class InputBlock : public testing::TestWithParam<InputCase> {};

TEST_P(InputBlock, ConsumesNamesAndDimensions) {
    const InputCase& c = GetParam();
    Arguments args(c.vsArguments);
    parInput input{};
    EXPECT_EQ(getInputParams(args.count(), args.values(), c.iDimension, c.dataType, input),
              c.iConsumed);
    EXPECT_EQ(input.fileFormat, c.fileFormat);
    EXPECT_EQ(input.sFileNameGrey, c.sGrey);
    EXPECT_EQ(input.sFileNameR, c.sR);
    EXPECT_EQ(input.sFileNameG, c.sG);
    EXPECT_EQ(input.sFileNameB, c.sB);
    EXPECT_EQ(input.iResolution, c.iResolution);
}

INSTANTIATE_TEST_SUITE_P(Forms, InputBlock, testing::ValuesIn(aInputs),
                         [](const testing::TestParamInfo<InputCase>& info) {
                             return std::string(info.param.sName);
                         });

TEST(Parsers, UnknownEnumeratorsGiveTheInternalErrorLineOnly) {
    const filtercat badCategory = static_cast<filtercat>(7);
    const struct {
        const char* sName;
        std::function<int(Arguments&)> parse;
        const char* sLine;
    } aCases[] = {
        {"category in properties",
         [&](Arguments& a) {
             parFilter f{};
             return getCommonFilterParameters(a.count(), a.values(), badCategory, f);
         },
         "Interner Fehler: Unbekannte Filterkategorie gewaehlt.\n"},
        {"category in tensor",
         [&](Arguments& a) {
             parDifftensor t{};
             return getDiffTensor(a.count(), a.values(), badCategory, t);
         },
         "Interner Fehler: Unbekannte Filterkategorie gewaehlt.\n"},
        {"data type",
         [](Arguments& a) {
             parInput i{};
             return getInputParams(a.count(), a.values(), D2, static_cast<datatype>(9), i);
         },
         "Interner Fehler: Unbekannter Datentyp gewaehlt.\n"},
        {"dimension",
         [](Arguments& a) {
             parInput i{};
             return getInputParams(a.count(), a.values(), static_cast<dimension>(5), grey, i);
         },
         "Interner Fehler: Unbekannter Dimension fuer Eingabeparameter.\n"},
    };
    for (const auto& c : aCases) {
        Arguments args(words({"binaryfile", "f", "4", "4", "linear", "x"}));
        StreamCapture capture(std::cout);
        EXPECT_EQ(c.parse(args), -1) << c.sName;
        EXPECT_EQ(capture.text(), c.sLine) << c.sName;
    }
}

// ---- Accepted command lines run the job. ----

TEST(Driver, IgnoresArgumentsAfterTheDimensions) {
    TemporaryDirectory directory;
    const std::string sInput = "1\n2\n3\n4\n";
    const ToolResult result = runTool({"2d", "isotrop", "0.1", "0", "0", "linear", "grey",
                                       "asciistdinout", "2", "2", "more", "words"},
                                      directory.path(), sInput);
    EXPECT_EQ(result.iExitStatus, 0) << result.sStdout << result.sStderr;
    EXPECT_EQ(result.sStdout, sInput);
    EXPECT_EQ(result.sStderr, "");
}

TEST(Driver, AcceptsColourIn3dAndPresmoothAfterTheDataType) {
    TemporaryDirectory directory;
    std::string sInput;
    for (int i = 0; i < 3 * 8; ++i) {
        sInput += "5\n";
    }
    const ToolResult result =
        runTool({"3d", "isotrop", "0.1", "1", "0.5", "linear", "RGBaverageGradient", "presmooth",
                 "asciistdinout", "2", "2", "2"},
                directory.path(), sInput);
    EXPECT_EQ(result.iExitStatus, 0) << result.sStdout << result.sStderr;
    EXPECT_EQ(result.sStderr, "");
    std::istringstream values(result.sStdout);
    int iCount = 0;
    for (double d; values >> d; ++iCount) {
        EXPECT_NEAR(d, 5.0, 1e-12);
    }
    EXPECT_EQ(iCount, 24);
}

} // namespace
