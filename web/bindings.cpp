// The library for the browser: each call of the Python module, by its name
// and with its argument names, over one request at a time. Options come as
// one JavaScript object whose fields are the Python keywords (method,
// tolerance, correct_upper, b_sigma, eff, eff_sigma, pdf, b_pdf, eff_pdf,
// ordering, true_b, true_eff, averaged), each optional. A refusal becomes a
// JavaScript RangeError with the library's message. Computes nothing itself.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "fclimits/arguments.h"
#include "fclimits/fclimits.h"

namespace {

using emscripten::val;

bool given(const val& options, const char* name) {
  return !options.isUndefined() && !options.isNull() && !options[name].isUndefined() &&
         !options[name].isNull();
}

double number_or(const val& options, const char* name, double fallback) {
  return given(options, name) ? options[name].as<double>() : fallback;
}

std::string text_or(const val& options, const char* name, const std::string& fallback) {
  return given(options, name) ? options[name].as<std::string>() : fallback;
}

fclimits::options search_of(const val& options) {
  const std::string method = text_or(options, "method", "exact");
  if (method != "exact" && method != "console") {
    throw std::invalid_argument("fclimits: no search method " + method);
  }
  return {
      .method =
          method == "exact" ? fclimits::search_method::exact : fclimits::search_method::console,
      .tolerance = number_or(options, "tolerance", 0.0),
      .correct_upper = given(options, "correct_upper") ? options["correct_upper"].as<bool>() : true,
      .stop = {}};
}

fclimits::pdf_shape pdf_named(const std::string& name) {
  if (name == "gauss") return fclimits::pdf_shape::gauss;
  if (name == "lognormal") return fclimits::pdf_shape::lognormal;
  throw std::invalid_argument("fclimits: no pdf " + name);
}

fclimits::uncertainties uncertainties_of(const val& options) {
  const std::string pdf = text_or(options, "pdf", "gauss");
  const std::string ordering = text_or(options, "ordering", "conrad");
  if (ordering != "conrad" && ordering != "profile") {
    throw std::invalid_argument("fclimits: no ordering " + ordering);
  }
  return {.b_sigma = number_or(options, "b_sigma", 0.0),
          .eff = number_or(options, "eff", 1.0),
          .eff_sigma = number_or(options, "eff_sigma", 0.0),
          .b_pdf = pdf_named(text_or(options, "b_pdf", pdf)),
          .eff_pdf = pdf_named(text_or(options, "eff_pdf", pdf)),
          .ordering = ordering == "conrad" ? fclimits::ordering_rule::conrad
                                           : fclimits::ordering_rule::profile};
}

fclimits::truth truth_of(const val& options) {
  fclimits::truth drawn;
  if (given(options, "true_b")) drawn.b = options["true_b"].as<double>();
  if (given(options, "true_eff")) drawn.eff = options["true_eff"].as<double>();
  drawn.averaged = given(options, "averaged") && options["averaged"].as<bool>();
  return drawn;
}

// Runs a call, turning the library's refusals into JavaScript errors.
template <typename Call>
auto refused_as_range_error(Call call) {
  try {
    return call();
  } catch (const std::invalid_argument& e) {
    val::global("RangeError").new_(std::string(e.what())).throw_();
  } catch (const std::domain_error& e) {
    val::global("RangeError").new_(std::string(e.what())).throw_();
  } catch (const std::exception& e) {
    val::global("Error").new_(std::string(e.what())).throw_();
  }
  throw std::logic_error("unreachable");  // throw_() does not return
}

// A JavaScript count is a double: 3.5 or -1 is refused by the library's
// rule, never cut to a whole number.
std::int32_t count_of(double n) {
  if (const auto refused = fclimits::refusal_of_count(n)) {
    throw std::invalid_argument("fclimits: n = " + fclimits::internal::describe(n) + " " +
                                refused->reason);
  }
  return static_cast<std::int32_t>(n);
}

fclimits::interval limits(double n, double b, double cl, val options) {
  return refused_as_range_error([&] {
    return fclimits::limits(count_of(n), b, cl, uncertainties_of(options), search_of(options));
  });
}

fclimits::uncertain_acceptance acceptance_region(double mu, double b, double cl, val options) {
  return refused_as_range_error(
      [&] { return fclimits::acceptance_region(mu, b, cl, uncertainties_of(options)); });
}

// One mean gives a number; an array of means gives an array, every count's
// interval computed once for all of them (on one thread: the module has
// none of its own).
val coverage(val mu, double b, double cl, val options) {
  return refused_as_range_error([&] {
    if (!val::global("Array").call<bool>("isArray", mu)) {
      return val(fclimits::coverage(mu.as<double>(), b, cl, uncertainties_of(options),
                                    truth_of(options), search_of(options)));
    }
    const std::vector<double> means = emscripten::vecFromJSArray<double>(mu);
    const std::vector<double> found = fclimits::coverage(means, b, cl, uncertainties_of(options),
                                                         truth_of(options), search_of(options), 1);
    val array = val::array();
    for (const double value : found) array.call<void>("push", value);
    return array;
  });
}

double sensitivity(double b, double cl, val options) {
  return refused_as_range_error(
      [&] { return fclimits::sensitivity(b, cl, uncertainties_of(options), search_of(options)); });
}

fclimits::interval gaussian_limits(double x, double sigma, double cl) {
  return refused_as_range_error([&] { return fclimits::gaussian_limits(x, sigma, cl); });
}

fclimits::gaussian_band gaussian_acceptance(double mu, double sigma, double cl) {
  return refused_as_range_error([&] { return fclimits::gaussian_acceptance(mu, sigma, cl); });
}

// What the library's rules refuse among a form's fields (n, b, cl, x, sigma,
// b_sigma, eff, eff_sigma with the words pdf, b_pdf, eff_pdf, ordering,
// method): an object naming each refused field with its reason, worded to
// follow "name = value ", so that a page can say it beside the field before
// asking for anything. A field left out is not checked.
val refusals(val fields) {
  return refused_as_range_error([&] {
    val found = val::object();
    const auto check = [&](const char* name, auto rule) {
      if (!given(fields, name)) return;
      if (const auto refused = rule(fields[name].as<double>())) found.set(name, refused->reason);
    };
    check("n", fclimits::refusal_of_count);
    check("b", fclimits::refusal_of_background);
    check("cl", fclimits::refusal_of_level);
    check("x", fclimits::refusal_of_measurement);
    check("sigma", fclimits::refusal_of_sigma);
    const bool uncertain =
        given(fields, "b_sigma") || given(fields, "eff") || given(fields, "eff_sigma");
    if (uncertain && given(fields, "b") && found["b"].isUndefined()) {
      const fclimits::uncertainties u = uncertainties_of(fields);
      if (const auto refused = fclimits::refusal_of_uncertainties(fields["b"].as<double>(), u)) {
        found.set(refused->name, refused->refused.reason);
      } else if (const auto refused_method =
                     fclimits::refusal_of_method(search_of(fields).method, u)) {
        found.set("method", refused_method->reason);
      }
    }
    return found;
  });
}

std::string version() { return fclimits::version(); }

}  // namespace

EMSCRIPTEN_BINDINGS(fclimits) {
  using namespace emscripten;
  value_object<fclimits::interval>("interval")
      .field("lower", &fclimits::interval::lower)
      .field("upper", &fclimits::interval::upper);
  value_object<fclimits::uncertain_acceptance>("acceptance")
      .field("n_low", &fclimits::uncertain_acceptance::n_low)
      .field("n_high", &fclimits::uncertain_acceptance::n_high)
      .field("probability", &fclimits::uncertain_acceptance::probability)
      .field("contiguous", &fclimits::uncertain_acceptance::contiguous);
  value_object<fclimits::gaussian_band>("gaussian_band")
      .field("x_low", &fclimits::gaussian_band::x_low)
      .field("x_high", &fclimits::gaussian_band::x_high);
  function("limits", &limits);
  function("acceptance_region", &acceptance_region);
  function("coverage", &coverage);
  function("sensitivity", &sensitivity);
  function("gaussian_limits", &gaussian_limits);
  function("gaussian_acceptance", &gaussian_acceptance);
  function("refusals", &refusals);
  function("version", &version);
  constant("max_background", fclimits::max_background);
  constant("max_mean", fclimits::max_mean);
  constant("max_coverage_mean", fclimits::max_coverage_mean);
  constant("max_tolerance", fclimits::max_tolerance);
  constant("tail_probability", fclimits::tail_probability);
}
