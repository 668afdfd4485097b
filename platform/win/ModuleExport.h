#pragma once
// A function of a loaded module found by its exported name, typed as the caller declares it.

#include <windows.h>

namespace likenex {

// Null when the module has no export of that name.
template <typename Function>
[[nodiscard]] Function exportedFunction(HMODULE module, const char* name) {
    // FARPROC is only a placeholder type; going through void* says so to the compiler.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace likenex
