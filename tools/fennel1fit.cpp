#include "tools/fennel1fit.h"

#include <algorithm>
#include <cmath>

namespace fennel1 {

namespace {

double sigmoid(double theta) { return 1.0 / (1.0 + std::exp(-theta)); }

constexpr double kThetaLimit = 30;

}  // namespace

bool cholesky(const Matrix& a, Matrix& l)
{
    const std::size_t n = a.size();
    l.assign(n, std::vector<double>(n, 0.0));
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j <= i; ++j) {
            double sum = a[i][j];
            for (std::size_t k = 0; k < j; ++k)
                sum -= l[i][k] * l[j][k];
            if (i == j) {
                if (!(sum > 1e-12 * std::max(1.0, std::fabs(a[i][i]))))
                    return false;
                l[i][i] = std::sqrt(sum);
            } else {
                l[i][j] = sum / l[j][j];
            }
        }
    return true;
}

std::vector<double> choleskySolve(const Matrix& l, std::vector<double> b)
{
    const std::size_t n = l.size();
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t k = 0; k < i; ++k)
            b[i] -= l[i][k] * b[k];
        b[i] /= l[i][i];
    }
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t k = i + 1; k < n; ++k)
            b[i] -= l[k][i] * b[k];
        b[i] /= l[i][i];
    }
    return b;
}

double logLikelihood(const Data& data, const std::vector<double>& p)
{
    double value = 0;
    double missed = 1;
    for (std::size_t j = 0; j < p.size(); ++j) {
        if (data.catches[j] > 0)
            value += data.catches[j] * std::log(p[j]);
        if (data.caught - data.catches[j] > 0)
            value += (data.caught - data.catches[j]) * std::log1p(-p[j]);
        missed *= 1 - p[j];
    }
    return value - data.caught * std::log1p(-missed);
}

void derivatives(const Data& data, const std::vector<double>& p, std::vector<double>& gradient, Matrix& hessian)
{
    const std::size_t k = p.size();
    const double n = data.caught;
    const auto missedWithout = [&](std::size_t a, std::size_t b) {
        double product = 1;
        for (std::size_t i = 0; i < k; ++i)
            if (i != a && i != b)
                product *= 1 - p[i];
        return product;
    };
    double missed = 1;
    for (double pj : p)
        missed *= 1 - pj;
    const double seen = 1 - missed;
    gradient.assign(k, 0.0);
    hessian.assign(k, std::vector<double>(k, 0.0));
    for (std::size_t j = 0; j < k; ++j) {
        const double m = data.catches[j];
        const double gj = missedWithout(j, j);
        gradient[j] = m / p[j] - (n - m) / (1 - p[j]) - n * gj / seen;
        hessian[j][j] = -m / (p[j] * p[j]) - (n - m) / ((1 - p[j]) * (1 - p[j])) + n * gj * gj / (seen * seen);
        for (std::size_t i = 0; i < j; ++i) {
            const double gi = missedWithout(i, i);
            const double gij = missedWithout(i, j);
            hessian[i][j] = hessian[j][i] = n * (gij * seen + gi * gj) / (seen * seen);
        }
    }
}

Fit maximise(const Data& data, int nocc, double initial)
{
    const double start = std::clamp(initial, 1e-6, 1 - 1e-6);
    std::vector<double> theta(static_cast<std::size_t>(nocc), std::log(start / (1 - start)));
    const auto probabilities = [](const std::vector<double>& t) {
        std::vector<double> p(t.size());
        std::transform(t.begin(), t.end(), p.begin(), sigmoid);
        return p;
    };
    Fit fit;
    std::vector<double> p = probabilities(theta);
    double current = logLikelihood(data, p);
    for (fit.iterations = 1; fit.iterations <= 500; ++fit.iterations) {
        std::vector<double> gradientP;
        Matrix hessianP;
        derivatives(data, p, gradientP, hessianP);
        // The chain rule to the logits: dp/dtheta = p(1 - p).
        std::vector<double> gradient(theta.size());
        Matrix negHessian(theta.size(), std::vector<double>(theta.size()));
        double largest = 0;
        for (std::size_t i = 0; i < theta.size(); ++i) {
            const double di = p[i] * (1 - p[i]);
            gradient[i] = gradientP[i] * di;
            largest = std::max(largest, std::fabs(gradient[i]));
            for (std::size_t j = 0; j < theta.size(); ++j)
                negHessian[i][j] = -hessianP[i][j] * di * p[j] * (1 - p[j]);
            negHessian[i][i] -= gradientP[i] * di * (1 - 2 * p[i]);
        }
        if (largest < 1e-10 * std::max(1.0, data.caught)) {
            fit.converged = true;
            break;
        }
        // Newton's step, damped towards the gradient when the matrix is not definite.
        Matrix factor;
        double damping = 0;
        for (;;) {
            Matrix damped = negHessian;
            for (std::size_t i = 0; i < theta.size(); ++i)
                damped[i][i] += damping;
            if (cholesky(damped, factor))
                break;
            damping = damping == 0 ? 1e-4 * std::max(1.0, data.caught) : damping * 10;
        }
        std::vector<double> step = choleskySolve(factor, gradient);
        const double longest = std::fabs(*std::max_element(step.begin(), step.end(), [](double a, double b) {
            return std::fabs(a) < std::fabs(b);
        }));
        if (longest > 5)
            for (double& s : step)
                s *= 5 / longest;
        bool improved = false;
        for (double scale = 1; scale > 1e-10; scale /= 2) {
            std::vector<double> trial(theta.size());
            for (std::size_t i = 0; i < theta.size(); ++i)
                trial[i] = std::clamp(theta[i] + scale * step[i], -kThetaLimit, kThetaLimit);
            const std::vector<double> trialP = probabilities(trial);
            const double value = logLikelihood(data, trialP);
            if (std::isfinite(value) && value >= current) {
                improved = value > current || trial != theta;
                theta = trial;
                p = trialP;
                current = value;
                break;
            }
        }
        if (!improved) {
            fit.converged = true;  // no step increases the likelihood any more
            break;
        }
    }
    fit.p = p;
    fit.logLikelihood = current;
    for (double t : theta)
        if (std::fabs(t) > kThetaLimit - 5)
            fit.boundary = true;
    return fit;
}

}  // namespace fennel1
