#pragma once
// The estimation of fennel1: capture probabilities p(1)..p(k) under time-varying capture,
// conditional on capture. The likelihood of a history h is prod_j p(j)^h(j)
// (1 - p(j))^(1 - h(j)) divided by the probability of being caught at all,
// 1 - prod_j (1 - p(j)). It depends on the data only through the animals caught N and the
// catches m(j) of each occasion. It is maximised by Newton's method on the logits of
// p(j), with a damped and halved step whenever the full step would not increase it.

#include <vector>

namespace fennel1 {

using Matrix = std::vector<std::vector<double>>;

/// Cholesky factor l of a symmetric matrix a (a = l l'); false when a is not
/// positive-definite.
bool cholesky(const Matrix& a, Matrix& l);

/// Solves l l' x = b for x, l a factor from cholesky.
std::vector<double> choleskySolve(const Matrix& l, std::vector<double> b);

/// The data the likelihood depends on.
struct Data {
    double caught = 0;            // N
    std::vector<double> catches;  // m(j)
};

/// The log-likelihood at the capture probabilities p.
double logLikelihood(const Data& data, const std::vector<double>& p);

/// Gradient and second derivatives of the log-likelihood in p.
void derivatives(const Data& data, const std::vector<double>& p, std::vector<double>& gradient, Matrix& hessian);

struct Fit {
    std::vector<double> p;
    double logLikelihood = 0;
    int iterations = 0;
    bool converged = false;
    bool boundary = false;  // a logit came near its limit: p is at 0 or 1
};

/// The maximum-likelihood estimates for nocc occasions, starting from p = initial.
Fit maximise(const Data& data, int nocc, double initial);

}  // namespace fennel1
