// The argument rules, one home for the library, fctable and the Python
// module. Each rule classifies before it compares, so that a NaN never
// meets an ordered comparison (an invalid operation) and no rule raises a
// floating-point flag.
#include "fclimits/arguments.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "fclimits/shortest_text.h"

namespace fclimits {
namespace {

constexpr double largest_count = 2147483647.0;

bool finite_and_not_negative(double x) { return std::isfinite(x) && x >= 0.0; }

std::optional<refusal> outside_domain(std::string reason) {
  return refusal{std::move(reason), false};
}

std::optional<refusal> too_large(std::string reason) { return refusal{std::move(reason), true}; }

}  // namespace

std::optional<refusal> refusal_of_count(double n) {
  // floor on a finite value raises no flag.
  if (finite_and_not_negative(n) && n <= largest_count && std::floor(n) == n) return {};
  return outside_domain("is not a count: it must be a whole number from 0 to 2147483647");
}

std::optional<refusal> refusal_of_background(double b) {
  if (!finite_and_not_negative(b)) {
    return outside_domain("is not a background: it must be finite and >= 0");
  }
  if (b > max_background) {
    return too_large("is too large: the largest background computed is " +
                     internal::describe(max_background) +
                     " (the Poisson terms overflow the double range above about 707)");
  }
  return {};
}

std::optional<refusal> refusal_of_mean(double mu) {
  if (!finite_and_not_negative(mu)) {
    return outside_domain("is not a signal mean: it must be finite and >= 0");
  }
  if (mu > max_mean) {
    return too_large("is too large: the largest mean taken is " + internal::describe(max_mean) +
                     " (its counts stay within 32 bits)");
  }
  return {};
}

std::optional<refusal> refusal_of_coverage_mean(double mu) {
  std::optional<refusal> refused = refusal_of_mean(mu);
  if (refused && !refused->too_large) return refused;
  if (mu > max_coverage_mean) {
    return too_large("is too large for coverage: the largest mean it is computed at is " +
                     internal::describe(max_coverage_mean) + " (its cost grows as mu^1.5)");
  }
  return {};
}

std::optional<refusal> refusal_of_level(double cl) {
  if (!std::isnan(cl) && cl > 0.0 && cl < 1.0) return {};
  return outside_domain("is not a confidence level: it must lie strictly between 0 and 1");
}

std::optional<refusal> refusal_of_tolerance(double tolerance, search_method method) {
  if (!finite_and_not_negative(tolerance)) {
    return outside_domain(
        "is not a search tolerance: it must be finite and >= 0 (0: the method's own)");
  }
  if (tolerance > max_tolerance) {
    return too_large("is too large: the coarsest search tolerance is " +
                     internal::describe(max_tolerance));
  }
  // Exact comparison: 0 is the method's own width.
  if (method == search_method::exact && tolerance != 0.0) {
    return outside_domain(
        "is not for the exact method, which finds each limit to adjacent doubles: a tolerance is "
        "for the console method");
  }
  return {};
}

std::optional<refusal> refusal_of_measurement(double x) {
  if (std::isfinite(x)) return {};
  return outside_domain("is not a measurement: it must be finite");
}

std::optional<refusal> refusal_of_sigma(double sigma) {
  if (std::isfinite(sigma) && sigma > 0.0) return {};
  return outside_domain("is not a standard deviation: it must be finite and > 0");
}

std::optional<refusal> refusal_of_gaussian_mean(double mu) {
  if (finite_and_not_negative(mu)) return {};
  return outside_domain("is not a mean: it must be finite and >= 0");
}

std::optional<refusal> refusal_of_method(search_method method, const uncertainties& u) {
  // Exact comparisons: sigma 0 is a known value.
  if (method == search_method::exact || (u.b_sigma == 0.0 && u.eff_sigma == 0.0)) return {};
  return outside_domain(
      "has no uncertainties: with b_sigma or eff_sigma above 0 the method must be exact");
}

std::optional<named_refusal> refusal_of_uncertainties(double b, const uncertainties& u) {
  const auto named = [](const char* name, double value, std::optional<refusal> refused) {
    return std::optional<named_refusal>(named_refusal{name, value, std::move(*refused)});
  };
  const auto known_pdf = [](pdf_shape pdf) {
    return pdf == pdf_shape::gauss || pdf == pdf_shape::lognormal;
  };
  if (!finite_and_not_negative(u.b_sigma)) {
    return named("b_sigma", u.b_sigma,
                 outside_domain("is not a standard deviation: it must be finite and >= 0"));
  }
  if (!std::isfinite(u.eff) || u.eff <= 0.0) {
    return named("eff", u.eff, outside_domain("is not an efficiency: it must be finite and > 0"));
  }
  if (!finite_and_not_negative(u.eff_sigma)) {
    return named("eff_sigma", u.eff_sigma,
                 outside_domain("is not a standard deviation: it must be finite and >= 0"));
  }
  if (!known_pdf(u.b_pdf) || !known_pdf(u.eff_pdf)) {
    return named("pdf",
                 static_cast<double>(static_cast<int>(known_pdf(u.b_pdf) ? u.eff_pdf : u.b_pdf)),
                 outside_domain("is not a pdf: it must be gauss or lognormal"));
  }
  if (u.ordering != ordering_rule::conrad && u.ordering != ordering_rule::profile) {
    return named("ordering", static_cast<double>(static_cast<int>(u.ordering)),
                 outside_domain("is not an ordering: it must be conrad or profile"));
  }
  // Exact comparisons: sigma 0 is a known value, b 0 no background.
  if (u.b_pdf == pdf_shape::lognormal && u.b_sigma != 0.0 && !(b > 0.0)) {
    return named("b_sigma", u.b_sigma,
                 outside_domain("cannot be given to a lognormal background of b = 0: its pdf "
                                "cannot be normalised (a Gaussian can)"));
  }
  const double largest_b_sigma = u.b_pdf == pdf_shape::lognormal ? b : max_background_sigma;
  if (u.b_sigma > largest_b_sigma) {
    return named("b_sigma", u.b_sigma,
                 too_large(u.b_pdf == pdf_shape::lognormal
                               ? "is too large: a lognormal background's sigma is at most b"
                               : "is too large: the largest background sigma is " +
                                     internal::describe(max_background_sigma)));
  }
  // A lognormal's tail reaches far above its mean: the counts and their
  // ranking grow with it.
  const bool lognormal_eff = u.eff_pdf == pdf_shape::lognormal;
  if (u.eff_sigma > (lognormal_eff ? 0.5 * u.eff : u.eff)) {
    return named(
        "eff_sigma", u.eff_sigma,
        too_large(lognormal_eff ? "is too large: a lognormal efficiency's sigma is at most eff / 2"
                                : "is too large: an efficiency's sigma is at most eff (100 %)"));
  }
  return {};
}

namespace internal {
namespace {

[[noreturn]] void refuse(const char* name, const std::string& value, const refusal& refused) {
  const std::string message =
      std::string("fclimits: ") + name + " = " + value + " " + refused.reason;
  if (refused.too_large) throw std::domain_error(message);
  throw std::invalid_argument(message);
}

// The value is written out only when it is refused: the checks run on every
// call, and a limit can take microseconds.
void check(const char* name, double value, const std::optional<refusal>& refused) {
  if (refused) refuse(name, describe(value), *refused);
}

}  // namespace

std::string describe(double value) {
#ifdef __cpp_lib_to_chars
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
#else
  return shortest_text(value);
#endif
}

void check_count(std::int32_t n) {
  if (const auto refused = refusal_of_count(static_cast<double>(n))) {
    refuse("n", std::to_string(n), *refused);
  }
}

void check_background(double b) { check("b", b, refusal_of_background(b)); }

void check_mean(double mu) { check("mu", mu, refusal_of_mean(mu)); }

void check_coverage_mean(double mu) { check("mu", mu, refusal_of_coverage_mean(mu)); }

void check_level(double cl) { check("cl", cl, refusal_of_level(cl)); }

void check_measurement(double x) { check("x", x, refusal_of_measurement(x)); }

void check_sigma(double sigma) { check("sigma", sigma, refusal_of_sigma(sigma)); }

void check_gaussian_mean(double mu) { check("mu", mu, refusal_of_gaussian_mean(mu)); }

void check_uncertainties(double b, const uncertainties& u) {
  if (const auto refused = refusal_of_uncertainties(b, u)) {
    const std::string value = refused->name == "pdf" || refused->name == "ordering"
                                  ? std::to_string(static_cast<int>(refused->value))
                                  : describe(refused->value);
    refuse(refused->name.c_str(), value, refused->refused);
  }
}

void check_method(search_method method, const uncertainties& u) {
  if (const auto refused = refusal_of_method(method, u)) refuse("method", "console", *refused);
}

void check_truth(const truth& drawn) {
  if (drawn.averaged && (drawn.b || drawn.eff)) {
    throw std::invalid_argument(
        "fclimits: averaged coverage draws the background and efficiency from their pdfs: it "
        "takes no true b or eff");
  }
  if (drawn.b) check("true b", *drawn.b, refusal_of_background(*drawn.b));
  if (drawn.eff && (!std::isfinite(*drawn.eff) || !(*drawn.eff > 0.0))) {
    refuse("true eff", describe(*drawn.eff),
           {"is not an efficiency: it must be finite and > 0", false});
  }
}

void check_options(const options& how) {
  check("tolerance", how.tolerance, refusal_of_tolerance(how.tolerance, how.method));
  if (how.method != search_method::exact && how.method != search_method::console) {
    throw std::invalid_argument(
        "fclimits: method = " + std::to_string(static_cast<int>(how.method)) +
        " is not a search method: it must be exact or console");
  }
}

}  // namespace internal
}  // namespace fclimits
