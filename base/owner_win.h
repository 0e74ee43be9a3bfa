// An owner for what the system lends and wants back through a call of its own: a find handle, a
// loaded module, a GDI object, a memory device context. It gives the thing back once, when it
// goes or takes another, and can be moved but not copied.
#pragma once
#include <windows.h>

// `Lent` says what the owned type is, what stands for "none" and how the thing is given back.
template <typename Lent> class Owner {
  public:
    using Type = typename Lent::Type;

    Owner() = default;
    explicit Owner(Type value) : value_(value) {}
    ~Owner() { Reset(); }
    Owner(Owner&& other) noexcept : value_(other.Release()) {}
    Owner& operator=(Owner&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;

    bool Valid() const { return value_ != Type() && value_ != Lent::None(); }
    Type Get() const { return value_; }
    // Gives back what is held and takes `value`.
    void Reset(Type value = Lent::None()) {
        if (Valid()) Lent::GiveBack(value_);
        value_ = value;
    }
    // Hands what is held to the caller, who gives it back from then on.
    Type Release() {
        const Type value = value_;
        value_ = Lent::None();
        return value;
    }

  private:
    Type value_ = Lent::None();
};

struct LentFindHandle {
    using Type = HANDLE;
    static Type None() { return INVALID_HANDLE_VALUE; }
    static void GiveBack(Type find) { FindClose(find); }
};
// A search of FindFirstFileW.
using FindHandle = Owner<LentFindHandle>;

struct LentModule {
    using Type = HMODULE;
    static Type None() { return nullptr; }
    static void GiveBack(Type module) { FreeLibrary(module); }
};
// A reference to a module loaded into this process.
using LoadedModule = Owner<LentModule>;
