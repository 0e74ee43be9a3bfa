// An owner for what the system lends and wants back through a call of its own: a find handle, a
// loaded module, a GDI object, a device context. It gives the thing back once, when it goes or
// takes another, and can be moved but not copied. Null and INVALID_HANDLE_VALUE both stand for
// "none", as the system's calls give either on failure.
#pragma once
#include <windows.h>

// `GiveBack` is called with what is owned.
template <typename Lent, typename GiveBack> class Owner {
  public:
    Owner() = default;
    explicit Owner(Lent value) : value_(value) {}
    ~Owner() { Reset(); }
    Owner(Owner&& other) noexcept : value_(other.Release()) {}
    Owner& operator=(Owner&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;

    bool Valid() const {
        return value_ != nullptr && value_ != reinterpret_cast<Lent>(INVALID_HANDLE_VALUE);
    }
    Lent Get() const { return value_; }
    // Gives back what is held and takes `value`.
    void Reset(Lent value = nullptr) {
        if (Valid()) GiveBack()(value_);
        value_ = value;
    }
    // Hands what is held to the caller, who gives it back from then on.
    Lent Release() {
        const Lent value = value_;
        value_ = nullptr;
        return value;
    }

  private:
    Lent value_ = nullptr;
};

struct CloseFind {
    void operator()(HANDLE find) const { FindClose(find); }
};
// A search of FindFirstFileW.
using FindHandle = Owner<HANDLE, CloseFind>;

struct FreeModule {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
// A reference to a module loaded into this process.
using LoadedModule = Owner<HMODULE, FreeModule>;
