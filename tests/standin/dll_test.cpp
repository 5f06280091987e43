// The stand-in DLLs as a driver meets them: loaded by file name from the
// test's own folder, looked up by export name, called with bad input, and
// playing through the real (unhooked) wave output.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <set>
#include <string>

namespace {

using create_fn = int(__cdecl*)(uint32_t*);
using set_params_fn = void(__cdecl*)(uint32_t, uint32_t, int32_t);
using tts_wav_fn = void(__cdecl*)(uint32_t, void*, const char*);
using handle_fn = void(__cdecl*)(uint32_t);
using destroy_fn = void(__cdecl*)();

std::wstring own_folder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

class library {
public:
    explicit library(const wchar_t* name) : module_(LoadLibraryW((own_folder() + name).c_str())) {}
    ~library() {
        if (module_) FreeLibrary(module_);
    }
    library(const library&) = delete;
    library& operator=(const library&) = delete;

    HMODULE get() const { return module_; }
    template <typename F>
    F find(const char* name) const {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

    // Every name in the export directory; ordinal-only exports count as "#n".
    std::set<std::string> export_names() const {
        const auto* base = reinterpret_cast<const BYTE*>(module_);
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
        std::set<std::string> names;
        if (entry.VirtualAddress == 0) return names;
        const auto* dir = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
        const auto* name_rvas = reinterpret_cast<const DWORD*>(base + dir->AddressOfNames);
        for (DWORD i = 0; i < dir->NumberOfNames; ++i) names.insert(reinterpret_cast<const char*>(base + name_rvas[i]));
        for (DWORD i = dir->NumberOfNames; i < dir->NumberOfFunctions; ++i) names.insert("#" + std::to_string(i));
        return names;
    }

private:
    HMODULE module_;
};

const std::set<std::string> all_six{"orvCreate", "orvSetParams", "TtsWav", "orvRelBuf", "orvClose", "orvDestroy"};

std::set<std::string> without(std::set<std::string> names, const char* name) {
    names.erase(name);
    return names;
}

TEST(StandinDll, EachVariantExportsExactlyItsUndecoratedNames) {
    const struct {
        const wchar_t* file;
        std::set<std::string> exports;
    } cases[] = {
        {L"o32_tts.dll", all_six},
        {L"o32_tts_no_create.dll", without(all_six, "orvCreate")},
        {L"o32_tts_no_ttswav.dll", without(all_six, "TtsWav")},
        {L"o32_tts_create_fails.dll", all_six},
    };
    for (const auto& c : cases) {
        const library dll(c.file);
        ASSERT_NE(dll.get(), nullptr) << "cannot load " << std::string(c.file, c.file + wcslen(c.file));
        EXPECT_EQ(dll.export_names(), c.exports) << std::string(c.file, c.file + wcslen(c.file));
    }
}

TEST(StandinDll, CreateHandsOutDistinctHandlesUnlessItIsMadeToFail) {
    const library good(L"o32_tts.dll");
    const auto create = good.find<create_fn>("orvCreate");
    const auto close = good.find<handle_fn>("orvClose");
    ASSERT_NE(create, nullptr);
    uint32_t a = 0, b = 0;
    EXPECT_EQ(create(&a), 0);
    EXPECT_EQ(create(&b), 0);
    EXPECT_NE(a, 0u);
    EXPECT_NE(a, b);
    EXPECT_NE(create(nullptr), 0) << "no slot for the handle";
    close(a);
    close(b);

    const library failing(L"o32_tts_create_fails.dll");
    uint32_t handle = 0;
    EXPECT_EQ(failing.find<create_fn>("orvCreate")(&handle), 1);
}

TEST(StandinDll, UnknownHandlesAndNullTextAreIgnored) {
    const library dll(L"o32_tts.dll");
    const auto create = dll.find<create_fn>("orvCreate");
    const auto set_params = dll.find<set_params_fn>("orvSetParams");
    const auto tts_wav = dll.find<tts_wav_fn>("TtsWav");
    const auto release_buffer = dll.find<handle_fn>("orvRelBuf");
    const auto close = dll.find<handle_fn>("orvClose");
    uint32_t handle = 0;
    ASSERT_EQ(create(&handle), 0);
    close(handle);
    for (uint32_t bogus : {uint32_t{0}, handle, uint32_t{0xffffffff}}) {
        set_params(bogus, 0x101, 100);
        release_buffer(bogus);
        tts_wav(bogus, nullptr, "Hello");
        close(bogus);
    }
    ASSERT_EQ(create(&handle), 0);
    tts_wav(handle, nullptr, nullptr);
    release_buffer(handle);  // nothing in flight
    close(handle);
    dll.find<destroy_fn>("orvDestroy")();
}

// Without the capture the stand-in opens the real device: Wine may have
// none (the open fails) or play in real time; either way TtsWav returns.
TEST(StandinDll, PlaysThroughTheRealWaveOutputAndReturns) {
    const library dll(L"o32_tts.dll");
    const auto create = dll.find<create_fn>("orvCreate");
    const auto set_params = dll.find<set_params_fn>("orvSetParams");
    const auto tts_wav = dll.find<tts_wav_fn>("TtsWav");
    const auto close = dll.find<handle_fn>("orvClose");
    uint32_t handle = 0;
    ASSERT_EQ(create(&handle), 0);
    set_params(handle, 0x1001, 16);
    set_params(handle, 0x102, -50);
    set_params(handle, 0x101, -100);
    int opaque = 0;
    tts_wav(handle, &opaque, "~v0]~e3]~h0]~u0]~f80]Hello there.");
    tts_wav(handle, &opaque, "");
    close(handle);
    dll.find<destroy_fn>("orvDestroy")();
}

}  // namespace
