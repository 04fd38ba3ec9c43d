#pragma once
// Sets a flag for as long as a scope lasts, however the scope is left: "a sync is running",
// "a request is waiting", read by code the scope's work lets run meanwhile.

namespace tessel {

class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

}  // namespace tessel
