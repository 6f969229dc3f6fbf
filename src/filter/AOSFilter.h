#ifndef NLDIFF_AOSFILTER_H
#define NLDIFF_AOSFILTER_H

#include "algebra/vector.h"

// Base of all filters: one semi-implicit AOS step over banded systems whose band distance is
// the stride of their direction, so that no image is ever reordered.
class AOSFilter {
public:
    AOSFilter();
    virtual ~AOSFilter();

    // Number of banded solves that failed since this filter was made.
    int failedSolveCount() const { return iFailedSolveCount; }

protected:
    // Solves the system with lower band gamma, diagonal alpha and upper band beta at band
    // distance k = alpha.size() - gamma.size(). Returns 0, or 1 after a message on the error
    // stream.
    int thomas(const MathTL::Vector<double>& gamma, const MathTL::Vector<double>& alpha,
               const MathTL::Vector<double>& beta, const MathTL::Vector<double>& d,
               MathTL::Vector<double>& loesung);

    // Replaces vSolution by the sum over j = 1..iOperatorCount of the solutions of
    // (vaAu[j], vaAd[j], vaAo[j]) with the old vSolution as right-hand side. Returns 0.
    int AOS(int iOperatorCount, const MathTL::Vector<double>* vaAu,
            const MathTL::Vector<double>* vaAd, const MathTL::Vector<double>* vaAo,
            MathTL::Vector<double>& vSolution);

    double quad(double a) { return a * a; }

private:
    int iFailedSolveCount;
};

#endif
