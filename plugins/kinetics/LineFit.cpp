#include "LineFit.h"

#include <Eigen/Dense>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <limits>

#include "KineticRun.h"

namespace kalvero::kinetics {

double StudentQuantile(double aConfidence, double aFreedom) {
    const boost::math::students_t distribution(aFreedom);
    return boost::math::quantile(boost::math::complement(distribution, (1 - aConfidence) / 2));
}

RLineFit FitLine(const std::vector<double>& aX, const std::vector<double>& aY, double aConfidence) {
    const auto n = static_cast<Eigen::Index>(aX.size());
    if (n < 2 || aY.size() != aX.size()) throw EKineticsException("Для прямой нужно не менее двух точек");
    const Eigen::Map<const Eigen::VectorXd> x(aX.data(), n), y(aY.data(), n);
    const double mx = x.mean();
    Eigen::MatrixXd design(n, 2);
    design.col(0) = x.array() - mx;
    design.col(1).setOnes();
    if (design.col(0).squaredNorm() <= 0)
        throw EKineticsException("Все точки прямой лежат при одной температуре");
    const Eigen::Vector2d coefficients = design.colPivHouseholderQr().solve(y);
    const double residual = (y - design * coefficients).squaredNorm();
    const double total = (y.array() - y.mean()).matrix().squaredNorm();

    RLineFit fit;
    fit.slope = coefficients(0);
    fit.intercept = coefficients(1) - fit.slope * mx;
    fit.r2 = total > 0 ? 1 - residual / total : 1.0;
    if (n > 2) {
        const double standardError =
            std::sqrt(residual / static_cast<double>(n - 2) / design.col(0).squaredNorm());
        fit.slopeHalfWidth = StudentQuantile(aConfidence, static_cast<double>(n - 2)) * standardError;
    } else {
        fit.slopeHalfWidth = std::numeric_limits<double>::quiet_NaN();
    }
    return fit;
}

}  // namespace kalvero::kinetics
