// DllRegisterServer and DllUnregisterServer of the built library, in the
// registry view of the test's own bitness. Whatever was registered before
// is put back afterwards: the prefix is shared with other tests and the demo.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "utils/module.h"
#include "utils/process.h"
#include "utils/registry_key.h"

namespace {

const wchar_t enumerator_clsid[] = L"{D25E46E7-3C9A-403B-BCA1-DBF910D0F99A}";
const wchar_t engine_clsid[] = L"{FD39C483-34AE-411B-B405-DB8B21051ABC}";
const std::wstring classes = L"Software\\Classes\\CLSID\\";
const std::wstring enumerator_key = classes + enumerator_clsid;
const std::wstring engine_key = classes + engine_clsid;
const std::wstring sapi_entry = L"Software\\Microsoft\\Speech\\Voices\\TokenEnums\\Orvane";

const REGSAM own_view = sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
const REGSAM other_view = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

using Orvane::registry::registry_key;

bool key_exists(const std::wstring& path, REGSAM view = own_view) {
    return registry_key::open_if_present(HKEY_LOCAL_MACHINE, path.c_str(), KEY_READ | view).has_value();
}

std::optional<std::wstring> read_value(const std::wstring& path, const wchar_t* name, REGSAM view = own_view) {
    const auto key = registry_key::open_if_present(HKEY_LOCAL_MACHINE, path.c_str(), KEY_READ | view);
    return key ? key->read_text(name, 1023) : std::nullopt;
}

void delete_key(const std::wstring& path) { RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), own_view, 0); }

// Best effort, and never a throw: the snapshot puts things back from its destructor.
void create_key(const std::wstring& path) noexcept {
    try {
        registry_key::create(HKEY_LOCAL_MACHINE, path.c_str(), KEY_READ | own_view);
    } catch (const Orvane::registry::error&) {
    }
}

void write_value(const std::wstring& path, const wchar_t* name, const std::wstring& text) noexcept {
    try {
        registry_key::create(HKEY_LOCAL_MACHINE, path.c_str(), KEY_SET_VALUE | own_view).set_value(name, text);
    } catch (const Orvane::registry::error&) {
    }
}

// The keys and values registration touches, as they were.
class registry_snapshot {
public:
    registry_snapshot() {
        for (const auto& [path, names] : watched()) {
            parents[path] = key_exists(path);
            for (const wchar_t* name : names) values[{path, name}] = read_value(path + suffix(path), name);
        }
    }
    ~registry_snapshot() {
        for (const auto& [path, names] : watched()) {
            if (!suffix(path).empty()) delete_key(path + suffix(path));
            delete_key(path);
        }
        for (const auto& [path, existed] : parents)
            if (existed) create_key(path);
        for (const auto& [where, value] : values)
            if (value) write_value(where.first + suffix(where.first), where.second.c_str(), *value);
    }

private:
    using watch_list = std::vector<std::pair<std::wstring, std::vector<const wchar_t*>>>;
    static watch_list watched() {
        return {{enumerator_key, {L"", L"ThreadingModel"}},
                {engine_key, {L"", L"ThreadingModel"}},
                {sapi_entry, {L"", L"CLSID"}}};
    }
    static std::wstring suffix(const std::wstring& path) { return path == sapi_entry ? L"" : L"\\InProcServer32"; }

    std::map<std::wstring, bool> parents;
    std::map<std::pair<std::wstring, std::wstring>, std::optional<std::wstring>> values;
};

using export_fn = HRESULT(STDAPICALLTYPE*)();

export_fn exported(HMODULE module, const char* name) {
    return reinterpret_cast<export_fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

class Registration : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryW(L"OrvaneSAPI.dll");
        ASSERT_NE(module, nullptr);
        library = Orvane::utils::module_file_path(module);
        register_server = exported(module, "DllRegisterServer");
        unregister_server = exported(module, "DllUnregisterServer");
        ASSERT_TRUE(register_server && unregister_server);
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }

    void expect_registered() {
        for (const auto& key : {enumerator_key, engine_key}) {
            SCOPED_TRACE(std::string(key.begin(), key.end()));
            EXPECT_EQ(read_value(key + L"\\InProcServer32", L""), library);
            EXPECT_EQ(read_value(key + L"\\InProcServer32", L"ThreadingModel"), L"Both");
            EXPECT_NE(read_value(key + L"\\InProcServer32", L"", other_view), library)
                << "written in the other bitness's view";
        }
        EXPECT_EQ(read_value(sapi_entry, L""), L"Orvane Voices");
        EXPECT_EQ(read_value(sapi_entry, L"CLSID"), enumerator_clsid) << "must name the class key exactly";
    }

    void expect_unregistered() {
        EXPECT_FALSE(key_exists(enumerator_key));
        EXPECT_FALSE(key_exists(engine_key));
        EXPECT_FALSE(key_exists(sapi_entry));
    }

    registry_snapshot saved;  // restored after the library is freed
    HMODULE module = nullptr;
    std::wstring library;
    export_fn register_server = nullptr;
    export_fn unregister_server = nullptr;
};

DWORD run_regsvr32(const std::wstring& arguments) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    Orvane::utils::process_launch launch;
    launch.command_line = L"\"" + std::wstring(system) + L"\\regsvr32.exe\" " + arguments;
    const Orvane::utils::unique_handle process = Orvane::utils::create_process(launch);
    if (!process) return DWORD(-1);
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = DWORD(-1);
    GetExitCodeProcess(process.get(), &code);
    return code;
}

}  // namespace

TEST_F(Registration, RegisterTwiceUnregisterTwice) {
    ASSERT_EQ(register_server(), S_OK);
    expect_registered();
    ASSERT_EQ(register_server(), S_OK) << "existing keys are opened and rewritten";
    expect_registered();

    EXPECT_EQ(unregister_server(), S_OK);
    expect_unregistered();
    EXPECT_EQ(unregister_server(), E_UNEXPECTED) << "the class keys are gone";
    expect_unregistered();
}

TEST_F(Registration, MissingSapiEntryDoesNotStopUnregistration) {
    ASSERT_EQ(register_server(), S_OK);
    delete_key(sapi_entry);
    EXPECT_EQ(unregister_server(), S_OK);
    expect_unregistered();
}

TEST_F(Registration, MissingEngineEntryFailsAfterRemovingTheEnumerator) {
    ASSERT_EQ(register_server(), S_OK);
    delete_key(engine_key + L"\\InProcServer32");
    delete_key(engine_key);
    EXPECT_EQ(unregister_server(), E_UNEXPECTED);
    expect_unregistered();
}

TEST_F(Registration, Regsvr32WritesTheViewOfItsOwnBitness) {
    ASSERT_EQ(run_regsvr32(L"/s \"" + library + L"\""), 0u);
    expect_registered();
}
