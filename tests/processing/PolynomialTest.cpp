#include <gtest/gtest.h>

#include <stdexcept>

#include "processing/Polynomial.h"

using namespace kalvero;

TEST(Polynomial, LagrangeGoesThroughEveryPoint) {
    const auto p = Lagrange({{0, 1}, {1, 3}, {2, 7}});
    ASSERT_TRUE(p);
    EXPECT_DOUBLE_EQ(static_cast<double>(p->Calc(0)), 1);
    EXPECT_DOUBLE_EQ(static_cast<double>(p->Calc(1)), 3);
    EXPECT_DOUBLE_EQ(static_cast<double>(p->Calc(2)), 7);
    EXPECT_DOUBLE_EQ(static_cast<double>(p->Calc(3)), 13);  // x² + x + 1
    EXPECT_EQ(p->ToString(), "1 + x + x2");                 // the expansion keeps the highest power first

    // Calibration-sized abscissas: ten points of a smooth factor curve.
    TXYPoints points;
    for (int i = 0; i < 10; ++i)
        points.push_back({100.0L + 50 * i, 0.005L + 1e-5L * i + 1e-8L * i * i});
    const auto q = Lagrange(points);
    for (const TXYPoint& pt : points)
        EXPECT_NEAR(static_cast<double>(q->Calc(pt.x)), static_cast<double>(pt.y), 1e-12);
}

TEST(Polynomial, LagrangeRefusesWhatHasNoPolynomial) {
    EXPECT_EQ(Lagrange({}), nullptr);
    EXPECT_THROW(Lagrange({{1, 2}, {1, 3}}), std::invalid_argument);
    const auto single = Lagrange({{5, 2.5L}});
    EXPECT_DOUBLE_EQ(static_cast<double>(single->Calc(100)), 2.5);
}

TEST(Polynomial, MulCancelsAndDropsZeroTerms) {
    TPolynom p;
    p.AddTerm({1, 1});
    p.AddTerm({1, 0});
    p.Mul(std::vector<TTerm>{{1, 1}, {-1, 0}});
    ASSERT_EQ(p.Count(), 2);
    EXPECT_EQ(p.GetTerm(0).power, 2);
    EXPECT_EQ(static_cast<double>(p.GetTerm(0).coeff), 1);
    EXPECT_EQ(p.GetTerm(1).power, 0);
    EXPECT_EQ(static_cast<double>(p.GetTerm(1).coeff), -1);

    TPolynom empty;
    empty.Mul(p);
    EXPECT_EQ(empty.Count(), 0);
    p.Mul(TPolynom());
    EXPECT_EQ(p.Count(), 0);
}

TEST(Polynomial, MulBySelfAndPowerOverflow) {
    TPolynom p;
    p.AddTerm({2, 1});
    p.Mul(p);
    ASSERT_EQ(p.Count(), 1);
    EXPECT_EQ(p.GetTerm(0).power, 2);
    EXPECT_EQ(static_cast<double>(p.GetTerm(0).coeff), 4);

    TPolynom big;
    big.AddTerm({1, 100});
    EXPECT_THROW(big.Mul(std::vector<TTerm>{{1, 28}}), std::range_error);
    EXPECT_EQ(big.GetTerm(0).power, 100);  // left as it was
}

TEST(Polynomial, SimplificationMayKeepEqualPowersButNotTheValue) {
    TPolynom raw;
    raw.AddPolynom(std::vector<TTerm>{{1, 1}, {1, 1}, {1, 1}, {4, 0}});
    EXPECT_EQ(raw.Count(), 4);  // the array form does not simplify
    TPolynom q;
    q.AddPolynom(raw);
    // Merging the second x shifts the third into its place, which that pass does not look at.
    ASSERT_EQ(q.Count(), 3);
    EXPECT_EQ(q.GetTerm(0).power, 1);
    EXPECT_EQ(static_cast<double>(q.GetTerm(0).coeff), 2);
    EXPECT_EQ(q.GetTerm(1).power, 1);
    EXPECT_DOUBLE_EQ(static_cast<double>(q.Calc(2)), 3 * 2 + 4);
}

TEST(Polynomial, TextForm) {
    TPolynom p;
    p.AddTerm({1, 0});
    p.AddTerm({-2, 1});
    p.AddTerm({3, 2});
    EXPECT_EQ(p.ToString(), "3x2 - 2x + 1");
    TPolynom a, b, c, e;
    a.AddTerm({-1, 1});
    b.AddTerm({1, 0});
    c.AddTerm({2.5L, 3});
    EXPECT_EQ(a.ToString(), "-x");
    EXPECT_EQ(b.ToString(), "1");
    EXPECT_EQ(c.ToString(), "2.5x3");
    EXPECT_EQ(e.ToString(), "");
    TPolynom d;
    d.AddTerm({1e20L, 0});
    EXPECT_EQ(d.ToString(), "1E20");
}

TEST(Polynomial, EvaluationAndTermAccess) {
    TPolynom p;
    EXPECT_EQ(static_cast<double>(p.Calc(3)), 0);
    p.AddTerm({2, -1});  // a power at or below 0 counts as x⁰
    p.AddTerm({1, 3});
    EXPECT_DOUBLE_EQ(static_cast<double>(p.Calc(2)), 2 + 8);
    EXPECT_THROW(p.GetTerm(2), std::out_of_range);
    EXPECT_THROW(p.RemoveTerm(-1), std::out_of_range);
    const TTerm removed = p.RemoveTerm(0);
    EXPECT_EQ(removed.power, -1);
    EXPECT_EQ(p.Count(), 1);
    EXPECT_EQ(p.GetTerm(0).power, 3);
}
