#ifndef NLDIFF_TESTS_FIXTURES_H
#define NLDIFF_TESTS_FIXTURES_H

#include "algebra/vector.h"
#include "src/filter/diffusionfunctions/DiffusionFunction.h"

#include <cmath>
#include <cstddef>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

inline MathTL::Vector<double> vectorOf(const std::vector<double>& vdValues) {
    MathTL::Vector<double> v(vdValues.size(), true);
    for (std::size_t i = 0; i < vdValues.size(); ++i) {
        v[i] = vdValues[i];
    }
    return v;
}

inline std::vector<double> valuesOf(const MathTL::Vector<double>& v) {
    std::vector<double> vdValues(v.size());
    for (std::size_t i = 0; i < v.size(); ++i) {
        vdValues[i] = v[i];
    }
    return vdValues;
}

// Remembers every argument it is asked for, in the order of the calls, and diffuses linearly.
class RecordingDiffusivity : public DiffusionFunction {
public:
    double diffusivity(double s) override {
        vArguments.push_back(s);
        return 1.0;
    }
    std::vector<double> vArguments;
};

// Collects what is written on a stream while it lives, and gives the stream its buffer back.
class StreamCapture {
public:
    explicit StreamCapture(std::ostream& stream)
        : target(stream), pOld(stream.rdbuf(captured.rdbuf())) {}
    ~StreamCapture() { target.rdbuf(pOld); }
    // A copy would hand the stream back twice.
    StreamCapture(const StreamCapture&) = delete;
    StreamCapture& operator=(const StreamCapture&) = delete;

    std::string text() const { return captured.str(); }

private:
    std::ostringstream captured; // declared first: the stream is pointed at it on construction
    std::ostream& target;
    std::streambuf* pOld;
};

// Solves a.x = b for a full square matrix by Gaussian elimination with partial pivoting.
inline std::vector<double> solveDense(std::vector<std::vector<double>> a, std::vector<double> b) {
    const std::size_t n = b.size();
    for (std::size_t c = 0; c < n; ++c) {
        std::size_t iPivot = c;
        for (std::size_t r = c + 1; r < n; ++r) {
            if (std::fabs(a[r][c]) > std::fabs(a[iPivot][c])) {
                iPivot = r;
            }
        }
        std::swap(a[c], a[iPivot]);
        std::swap(b[c], b[iPivot]);
        for (std::size_t r = c + 1; r < n; ++r) {
            const double f = a[r][c] / a[c][c];
            for (std::size_t j = c; j < n; ++j) {
                a[r][j] -= f * a[c][j];
            }
            b[r] -= f * b[c];
        }
    }
    std::vector<double> x(n);
    for (std::size_t r = n; r-- > 0;) {
        double dRest = b[r];
        for (std::size_t j = r + 1; j < n; ++j) {
            dRest -= a[r][j] * x[j];
        }
        x[r] = dRest / a[r][r];
    }
    return x;
}

#endif
