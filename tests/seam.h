#pragma once
// A test replaces one platform call for the length of a scope and gets the
// original back afterwards, whatever happens in between.

#include <utility>

namespace platform {

template <class Slot> class Replace {
public:
    Replace(Slot& slot, Slot replacement) : slot_(slot), saved_(std::move(slot)) {
        slot_ = std::move(replacement);
    }
    ~Replace() { slot_ = std::move(saved_); }
    Replace(const Replace&) = delete;
    Replace& operator=(const Replace&) = delete;

private:
    Slot& slot_;
    Slot saved_;
};

}  // namespace platform
