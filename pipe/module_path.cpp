#include "pipe/module_path.h"

namespace Orvane::pipe {

std::wstring module_file_path(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), DWORD(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return path.substr(0, length);
        if (path.size() >= 32768) return {};  // longer than any Windows path
        path.resize(path.size() * 2);
    }
}

}  // namespace Orvane::pipe
