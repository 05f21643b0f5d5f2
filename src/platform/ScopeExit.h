#pragma once
// Runs a function when the scope is left, however it is left (an exception
// included): for the guard flags that must never stay set.
#include <utility>

namespace hg {

template <class F> class ScopeExit {
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ~ScopeExit() { f_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F f_;
};

} // namespace hg
