// An entry point of a system library looked up by name at run time, so that the program still
// starts on systems that lack it.
#pragma once
#include <windows.h>

// The entry point `name` of `library` as a function of type Fn; null when either is missing.
// GetProcAddress gives an untyped address; going through void(*)() keeps the conversion to the
// real signature free of cast-type warnings on every compiler.
template <typename Fn> Fn BoundEntry(HMODULE library, const char* name) {
    if (library == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}
