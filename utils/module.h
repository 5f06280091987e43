#pragma once
// Loaded modules: the owner of a loaded library, the module that holds a
// piece of code, and the full path of a module's file however long.

#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>

namespace Orvane::utils {

struct module_deleter {
    void operator()(HMODULE module) const {
        if (module) FreeLibrary(module);
    }
};
// Owner of a loaded library until it is handed over.
using module_holder = std::unique_ptr<std::remove_pointer_t<HMODULE>, module_deleter>;

// The module that contains `address`, without changing its reference
// count; null when there is none.
HMODULE module_containing(const void* address);

// Empty when the path cannot be read. A null module is the process's program.
std::wstring module_file_path(HMODULE module);

// The folder part of a path, without its trailing backslash; empty when
// the path names no folder.
std::wstring parent_folder(const std::wstring& path);

// `file` in the folder of `module` (null: the program); empty when the
// module's path cannot be read.
std::wstring path_beside(HMODULE module, const wchar_t* file);

}  // namespace Orvane::utils
