#include "AOSFilter.h"

#include <iostream>

AOSFilter::AOSFilter() : iFailedSolveCount(0) {}

AOSFilter::~AOSFilter() {}

int AOSFilter::thomas(const MathTL::Vector<double>& gamma, const MathTL::Vector<double>& alpha,
                      const MathTL::Vector<double>& beta, const MathTL::Vector<double>& d,
                      MathTL::Vector<double>& loesung) {
    const size_t N = alpha.size();
    if (loesung.size() != N || d.size() != N || gamma.size() != beta.size()) {
        std::cerr << "Thomas-Algorithmus: falsche Vektor-Dimension!" << std::endl;
        ++iFailedSolveCount;
        return 1;
    }
    const size_t k = N - gamma.size();
    if (k == 0 || k >= N) {
        std::cerr << "Thomas-Algorithmus: Solche Diagonalen gibt es nicht!" << std::endl;
        ++iFailedSolveCount;
        return 1;
    }

    MathTL::Vector<double> l(N - k, true);
    MathTL::Vector<double> m(N, true);
    MathTL::Vector<double> y(N, true);

    for (size_t i = 0; i < k; ++i) {
        m[i] = alpha[i];
    }
    // LR decomposition without pivoting; an exact zero pivot stops it, a NaN does not.
    for (size_t i = 0; i < N - k; ++i) {
        if (m[i] == 0.0) {
            std::cerr << "Thomas-Algorithmus: Fehler in LR-Zerlegung: Division durch Null bei i = "
                      << i << " Abbruch" << std::endl;
            ++iFailedSolveCount;
            return 1;
        }
        l[i] = gamma[i] / m[i];
        m[i + k] = alpha[i + k] - l[i] * beta[i];
    }

    for (size_t i = 0; i < k; ++i) {
        y[i] = d[i];
    }
    for (size_t i = k; i < N; ++i) {
        y[i] = d[i] - l[i - k] * y[i - k];
    }

    for (size_t i = N; i-- > N - k;) {
        if (m[i] == 0.0) {
            std::cerr << "Thomas-Algorithmus: Fehler in Vorwaerts-Substitution: Division durch "
                         "Null bei i =  "
                      << i << " Abbruch" << std::endl;
            ++iFailedSolveCount;
            return 1;
        }
        loesung[i] = y[i] / m[i];
    }
    for (size_t i = N - k; i-- > 0;) {
        if (m[i] == 0.0) {
            std::cerr << "Thomas-Algorithmus: Fehler in Rueckwaerts-Substitution: Division durch "
                         "Null bei i =  "
                      << i << " Abbruch" << std::endl;
            ++iFailedSolveCount;
            return 1;
        }
        loesung[i] = (y[i] - beta[i] * loesung[i + k]) / m[i];
    }
    return 0;
}

int AOSFilter::AOS(int iOperatorCount, const MathTL::Vector<double>* vaAu,
                   const MathTL::Vector<double>* vaAd, const MathTL::Vector<double>* vaAo,
                   MathTL::Vector<double>& vSolution) {
    MathTL::Vector<double> ucopy;
    ucopy = vSolution;
    vSolution = 0.0;
    MathTL::Vector<double> v(vSolution.size(), true);
    // The operators carry the factor 1/m of the scheme, so the solutions are only added.
    for (int j = 1; j <= iOperatorCount; ++j) {
        thomas(vaAu[j], vaAd[j], vaAo[j], ucopy, v);
        vSolution.add(v);
        v = 0.0;
    }
    return 0;
}
