#include "algebra/vector.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Vec = MathTL::Vector<double>;

// Shows the array pointer, so that tests can tell an empty vector from one holding an array and
// a reused array from a new one.
class ProbedVector : public Vec {
public:
    using Vec::Vec;
    ProbedVector(const ProbedVector& v) = default;
    ProbedVector& operator=(const ProbedVector& v) = default;
    using Vec::operator=;
    virtual ~ProbedVector() {}
    const double* array() const { return values_; }
};

void fillWith(Vec& v, const std::vector<double>& vdValues) {
    for (size_t i = 0; i < vdValues.size(); ++i) {
        v[i] = vdValues[i];
    }
}

struct ContractCase {
    const char* name;
    std::function<void()> violation;
    const char* expression; // regular expression for the assertion text
};

class VectorDeathTest : public ::testing::TestWithParam<ContractCase> {};

TEST_P(VectorDeathTest, AbortsWithTheFailedCheck) {
    EXPECT_DEATH(GetParam().violation(), GetParam().expression);
}

const Vec kThree(3, true);

INSTANTIATE_TEST_SUITE_P(
    Contracts, VectorDeathTest,
    ::testing::Values(ContractCase{"ConstBracketAtSize", [] { (void)kThree[3]; }, "i < size_"},
                      ContractCase{"BracketAtSize",
                                   [] {
                                       Vec v(3, true);
                                       v[3] = 1.0;
                                   },
                                   "i < size_"},
                      ContractCase{"ConstParenAtSize", [] { (void)kThree(3); }, "i < size_"},
                      ContractCase{"ParenAtSize",
                                   [] {
                                       Vec v(3, true);
                                       v(3) = 1.0;
                                   },
                                   "i < size_"},
                      ContractCase{"BracketFarPastEnd", [] { (void)kThree[1000]; }, "i < size_"},
                      ContractCase{"BracketNegativeIndex",
                                   [] {
                                       const int iIndex = -1;
                                       (void)kThree[static_cast<size_t>(iIndex)];
                                   },
                                   "i < size_"},
                      ContractCase{"ParenNegativeIndex",
                                   [] {
                                       Vec v(3, true);
                                       const int iIndex = -1;
                                       v(static_cast<size_t>(iIndex)) = 1.0;
                                   },
                                   "i < size_"},
                      ContractCase{"AnyAccessOnEmpty", [] { (void)Vec()[0]; }, "i < size_"},
                      ContractCase{"ScalarIntoEmpty",
                                   [] {
                                       Vec v;
                                       v = 0.0;
                                   },
                                   "size\\(\\) > 0"},
                      ContractCase{"AddOfDifferentSizes",
                                   [] {
                                       Vec v(3, true);
                                       v.add(Vec(4, true));
                                   },
                                   "size_ == v\\.size\\(\\)"},
                      // The emptiness check comes first, even when the sizes differ as well.
                      ContractCase{"AddOntoEmptyChecksEmptinessFirst",
                                   [] {
                                       Vec v;
                                       v.add(Vec(3, true));
                                   },
                                   "size_ > 0"},
                      ContractCase{"AddOfTwoEmpty",
                                   [] {
                                       Vec v;
                                       v.add(Vec());
                                   },
                                   "size_ > 0"}),
    [](const ::testing::TestParamInfo<ContractCase>& info) {
        return std::string(info.param.name);
    });

TEST(Vector, ConstructionWithSizeZeroIsEmptyWithoutArray) {
    const ProbedVector v(0, true);
    EXPECT_EQ(v.size(), 0u);
    EXPECT_EQ(v.array(), nullptr);
    const ProbedVector w;
    EXPECT_EQ(w.size(), 0u);
    EXPECT_EQ(w.array(), nullptr);
}

TEST(Vector, ConstructionWithInitialisationGivesZeros) {
    // A released array of non-zeros is likely to be handed out again, which an omitted
    // initialisation would show.
    {
        Vec dirty(5, false);
        fillWith(dirty, {7, 7, 7, 7, 7});
    }
    const Vec v(5, true);
    EXPECT_EQ(valuesOf(v), (std::vector<double>{0, 0, 0, 0, 0}));
}

TEST(Vector, ScalarAssignmentSetsEveryElement) {
    Vec v(3, true);
    fillWith(v, {1, 2, 3});
    v = 0.0;
    EXPECT_EQ(valuesOf(v), (std::vector<double>{0, 0, 0}));
    v = -2.5;
    EXPECT_EQ(valuesOf(v), (std::vector<double>{-2.5, -2.5, -2.5}));
}

TEST(Vector, ResizeToTheSameSizeKeepsTheArray) {
    ProbedVector v(3, true);
    fillWith(v, {1, 2, 3});
    const double* const pArray = v.array();

    v.resize(3, false);
    EXPECT_EQ(v.array(), pArray);
    EXPECT_EQ(valuesOf(v), (std::vector<double>{1, 2, 3}));

    v.resize(3, true);
    EXPECT_EQ(v.array(), pArray);
    EXPECT_EQ(valuesOf(v), (std::vector<double>{0, 0, 0}));
}

TEST(Vector, ResizeToAnotherSizeTakesTheNewSize) {
    Vec v(3, true);
    fillWith(v, {1, 2, 3});
    v.resize(5, false);
    EXPECT_EQ(v.size(), 5u);
    v[4] = 9.0; // the whole new array is accessible
    EXPECT_EQ(v[4], 9.0);
    v.resize(2, true);
    EXPECT_EQ(valuesOf(v), (std::vector<double>{0, 0}));
}

TEST(Vector, ResizeToZeroEmptiesWithoutCheck) {
    ProbedVector v(3, true);
    v.resize(0, true);
    EXPECT_EQ(v.size(), 0u);
    EXPECT_EQ(v.array(), nullptr);
    v.resize(0, false); // already empty
    EXPECT_EQ(v.size(), 0u);
}

TEST(Vector, AssignmentCopiesSizeAndValues) {
    Vec source(4, true);
    fillWith(source, {1, 2, 3, 4});
    Vec target(2, true);
    fillWith(target, {8, 9});

    target = source;
    EXPECT_EQ(valuesOf(target), (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(valuesOf(source), (std::vector<double>{1, 2, 3, 4}));

    // The copy is independent of its source.
    target[0] = 10.0;
    EXPECT_EQ(source[0], 1.0);
}

TEST(Vector, AssignmentBetweenEqualSizesReusesTheTargetArray) {
    ProbedVector source(3, true);
    fillWith(source, {1, 2, 3});
    ProbedVector target(3, true);
    const double* const pArray = target.array();
    target = source;
    EXPECT_EQ(target.array(), pArray);
    EXPECT_NE(target.array(), source.array());
    EXPECT_EQ(valuesOf(target), (std::vector<double>{1, 2, 3}));
}

TEST(Vector, AssigningAnEmptyVectorEmptiesTheTarget) {
    ProbedVector target(3, true);
    target = ProbedVector();
    EXPECT_EQ(target.size(), 0u);
    EXPECT_EQ(target.array(), nullptr);
}

TEST(Vector, SelfAssignmentLeavesTheVectorUnchanged) {
    ProbedVector v(3, true);
    fillWith(v, {1, 2, 3});
    const double* const pArray = v.array();
    const ProbedVector& same = v;
    v = same;
    EXPECT_EQ(v.array(), pArray);
    EXPECT_EQ(valuesOf(v), (std::vector<double>{1, 2, 3}));
}

TEST(Vector, CopyConstructionMakesADeepCopy) {
    ProbedVector original(3, true);
    fillWith(original, {1, 2, 3});
    ProbedVector copy(original);
    EXPECT_NE(copy.array(), original.array());
    EXPECT_EQ(valuesOf(copy), (std::vector<double>{1, 2, 3}));
    copy[1] = 20.0;
    EXPECT_EQ(valuesOf(original), (std::vector<double>{1, 2, 3}));

    const ProbedVector emptyCopy{ProbedVector()};
    EXPECT_EQ(emptyCopy.size(), 0u);
    EXPECT_EQ(emptyCopy.array(), nullptr);
}

TEST(Vector, AddSumsElementWiseInPlace) {
    Vec v(3, true);
    fillWith(v, {1, 2, 3});
    Vec w(3, true);
    fillWith(w, {10, 20, 30});
    v.add(w);
    EXPECT_EQ(valuesOf(v), (std::vector<double>{11, 22, 33}));
    EXPECT_EQ(valuesOf(w), (std::vector<double>{10, 20, 30}));
}

// Counts its live instances, so that a test sees each array released exactly once.
struct Counted {
    Counted() { ++live(); }
    explicit Counted(int) { ++live(); }
    ~Counted() { --live(); }
    static int& live() {
        static int iLive = 0;
        return iLive;
    }
};

TEST(Vector, ReleasesEachArrayOnce) {
    ASSERT_EQ(Counted::live(), 0);
    {
        MathTL::Vector<Counted> v(3, false);
        EXPECT_EQ(Counted::live(), 3);
        v.resize(5, false); // the old array is released, not leaked
        EXPECT_EQ(Counted::live(), 5);
        v.resize(0, false);
        EXPECT_EQ(Counted::live(), 0);
        v.resize(2, false);
    }
    EXPECT_EQ(Counted::live(), 0);
}

} // namespace
