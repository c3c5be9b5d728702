#pragma once
#include <memory>

// A token an object owns so that others can tell when it is gone without
// owning it. Script bindings hold a Watch() of their object's token and turn
// into no-ops once it has expired. A copied object gets a token of its own.
// Main thread only.
class TLiveness {
public:
    TLiveness() : mAlive(std::make_shared<char>(0)) {}
    TLiveness(const TLiveness&) : TLiveness() {}
    TLiveness& operator=(const TLiveness&) { return *this; }

    // Expires when this token is destroyed.
    std::weak_ptr<const void> Watch() const { return mAlive; }

private:
    std::shared_ptr<char> mAlive;
};
