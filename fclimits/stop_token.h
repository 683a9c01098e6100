#pragma once

// The token a caller stops a running call with, and its source: the
// standard's std::stop_token and std::stop_source where the standard
// library has them. Emscripten's libc++ 14 (the WebAssembly build) has
// neither; there these two give the same calls (get_token, request_stop,
// stop_requested) over one shared flag. No other header is needed.

#include <version>

#ifdef __cpp_lib_jthread
#include <stop_token>

namespace fclimits {
using stop_token = std::stop_token;
using stop_source = std::stop_source;
}  // namespace fclimits

#else
#include <atomic>
#include <memory>
#include <utility>

namespace fclimits {

// A default token is never stopped.
class stop_token {
 public:
  stop_token() noexcept = default;

  bool stop_requested() const noexcept { return flag_ != nullptr && flag_->load(); }

 private:
  friend class stop_source;

  explicit stop_token(std::shared_ptr<std::atomic<bool> > flag) noexcept : flag_(std::move(flag)) {}

  std::shared_ptr<std::atomic<bool> > flag_;
};

// request_stop() returns whether this call made the request.
class stop_source {
 public:
  stop_source() : flag_(std::make_shared<std::atomic<bool> >(false)) {}

  stop_token get_token() const noexcept { return stop_token(flag_); }

  bool request_stop() noexcept { return !flag_->exchange(true); }

  bool stop_requested() const noexcept { return flag_->load(); }

 private:
  std::shared_ptr<std::atomic<bool> > flag_;
};

}  // namespace fclimits

#endif
