#include "pipe/server_identity.h"

#include "utils/handle.h"

namespace Orvane::pipe {
namespace {

constexpr DWORD max_path_chars = 32768;

std::wstring full_path(const std::wstring& path) {
    std::wstring buffer(max_path_chars, L'\0');
    DWORD length = GetFullPathNameW(path.c_str(), max_path_chars, buffer.data(), nullptr);
    if (length == 0 || length >= max_path_chars) return path;
    buffer.resize(length);
    std::wstring long_form(max_path_chars, L'\0');
    length = GetLongPathNameW(buffer.c_str(), long_form.data(), max_path_chars);
    if (length == 0 || length >= max_path_chars) return buffer;
    long_form.resize(length);
    return long_form;
}

std::wstring without_verbatim_prefix(std::wstring path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) path.erase(0, 4);
    return path;
}

bool equal_ignoring_case(const std::wstring& first, const std::wstring& second) {
    return CompareStringOrdinal(first.c_str(), int(first.size()), second.c_str(), int(second.size()), TRUE) ==
           CSTR_EQUAL;
}

bool file_identity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    utils::unique_handle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file && GetFileInformationByHandle(file.get(), &info);
}

}  // namespace

std::wstring pipe_server_image(HANDLE pipe) {
    ULONG process_id = 0;
    if (!GetNamedPipeServerProcessId(pipe, &process_id)) return {};
    utils::unique_handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id));
    if (!process) return {};
    std::wstring image(max_path_chars, L'\0');
    DWORD length = max_path_chars;
    if (!QueryFullProcessImageNameW(process.get(), 0, image.data(), &length)) return {};
    image.resize(length);
    return image;
}

bool same_file(const std::wstring& first, const std::wstring& second) {
    if (first.empty() || second.empty()) return false;
    if (equal_ignoring_case(without_verbatim_prefix(full_path(first)), without_verbatim_prefix(full_path(second))))
        return true;
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    if (!file_identity(first, a) || !file_identity(second, b)) return false;
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

bool served_by(HANDLE pipe, const std::wstring& server_path) {
    return same_file(pipe_server_image(pipe), server_path);
}

}  // namespace Orvane::pipe
