// pipe_client against a stand-in server in this process (so that the
// identity check accepts it), a squatter, a busy pipe, and the resolution of
// the server path from the registry and the module's folders.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "pipe/names.h"
#include "pipe/pipe_client.h"
#include "tests/pipe/win_support.h"
#include "utils/module.h"
#include "utils/registry_key.h"

using namespace Orvane::testing;
using Orvane::pipe::pipe_client;
namespace pipe = Orvane::pipe;
namespace utils = Orvane::utils;

namespace {

constexpr uint32_t stop = 3;

std::wstring own_exe() { return utils::module_file_path(nullptr); }

utils::unique_handle create_instance(DWORD flags = 0) {
    return utils::unique_handle(CreateNamedPipeW(test_pipe_name, PIPE_ACCESS_DUPLEX | flags,
                                                PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 65536, 65536, 0,
                                                nullptr));
}

// The server end of one connection, read and written raw.
class fake_server {
public:
    explicit fake_server(std::function<void(fake_server&)> script) {
        instance_ = create_instance();
        thread_ = std::thread([this, script] {
            if (ConnectNamedPipe(instance_.get(), nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) script(*this);
            FlushFileBuffers(instance_.get());
            DisconnectNamedPipe(instance_.get());
        });
    }
    ~fake_server() { join(); }
    void join() {
        if (thread_.joinable()) thread_.join();
    }
    bool valid() const { return instance_.valid(); }

    bool read(raw_message& message) {
        uint8_t header[8];
        if (!read_pipe_exact(instance_.get(), header, 8)) return false;
        message.kind = get_u32(header);
        message.payload.assign(get_u32(header + 4), 0);
        bytes_received += 8 + message.payload.size();  // counted once the header came, even if the rest does not
        return message.payload.empty() ||
               read_pipe_exact(instance_.get(), message.payload.data(), message.payload.size());
    }
    void send_header(uint32_t kind, uint32_t length) {
        std::vector<uint8_t> bytes;
        put_u32(bytes, kind);
        put_u32(bytes, length);
        send(bytes);
    }
    void send(const std::vector<uint8_t>& bytes) {
        DWORD written = 0;
        WriteFile(instance_.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
    }
    void send_audio(std::vector<uint8_t> samples) {
        send_header(2, uint32_t(samples.size() + 4));
        std::vector<uint8_t> count;
        put_u32(count, uint32_t(samples.size()));
        send(count);
        send(samples);
    }
    void send_voice_list() {
        std::vector<uint8_t> payload;
        put_u32(payload, 14);
        for (int i = 0; i < 14; ++i) {
            std::vector<uint8_t> entry(33, 0);
            entry[0] = uint8_t('A' + i);
            entry[32] = i == 12;
            payload.insert(payload.end(), entry.begin(), entry.end());
        }
        send_header(4, uint32_t(payload.size()));
        send(payload);
    }

    std::vector<uint32_t> kinds_received;
    std::size_t bytes_received = 0;

private:
    utils::unique_handle instance_;
    std::thread thread_;
};

// Answers speak with three blocks and done, stop with ack, list with 14 voices.
void speaking_script(fake_server& server) {
    raw_message message;
    while (server.read(message)) {
        server.kinds_received.push_back(message.kind);
        if (message.kind == 2) {
            for (uint8_t b = 1; b <= 3; ++b) server.send_audio({b, b, b, b});
            server.send_header(3, 0);
        } else if (message.kind == stop) {
            server.send_header(0, 0);
        } else if (message.kind == 1) {
            server.send_voice_list();
        }
    }
}

class PipeClient : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (mutex_exists()) pipe_client(widen(ORVANE_SERVER_EXE)).shutdown_server();
        ASSERT_TRUE(wait_until([] { return !mutex_exists(); }));
    }
};

struct refusing_consumer {
    int calls = 0;
    static bool take(const void*, uint32_t, void* context) {
        ++static_cast<refusing_consumer*>(context)->calls;
        return false;
    }
};

}  // namespace

TEST_F(PipeClient, RefusedFirstBlockSendsOneStopAndTheNextVoiceListSucceeds) {
    fake_server server(speaking_script);
    ASSERT_TRUE(server.valid());
    {
        pipe_client client(own_exe());
        refusing_consumer consumer;
        EXPECT_TRUE(client.speak({"Hello", 1, 2, 1.0f, 3, -1}, refusing_consumer::take, &consumer));
        EXPECT_EQ(consumer.calls, 1);
        std::vector<pipe::voice_entry> voices;
        ASSERT_TRUE(client.list_voices(voices));
        ASSERT_EQ(voices.size(), 14u);
        EXPECT_EQ(pipe::entry_name(voices[12]), "M");
        EXPECT_EQ(voices[12].female, 1);
    }
    server.join();
    EXPECT_EQ(server.kinds_received, (std::vector<uint32_t>{2, stop, 1}));
}

TEST_F(PipeClient, ServerGoneInTheMiddleOfASpeakFailsItAndTheNextSpeakReconnects) {
    std::unique_ptr<fake_server> next;  // outlives the client, whose close ends its thread
    pipe_client client(own_exe());
    auto dying = std::make_unique<fake_server>([](fake_server& s) {
        raw_message message;
        if (s.read(message)) s.send_audio({1, 2, 3, 4});
    });
    std::vector<uint8_t> received;
    auto keep = [](const void*, uint32_t byte_count, void* context) {
        static_cast<std::vector<uint8_t>*>(context)->push_back(uint8_t(byte_count));
        return true;
    };
    EXPECT_FALSE(client.speak({"Hello", 0, 0, 1.0f, 0, -1}, keep, &received));
    EXPECT_EQ(received, std::vector<uint8_t>{4});
    dying.reset();
    next = std::make_unique<fake_server>(speaking_script);
    EXPECT_TRUE(client.speak({"Again", 0, 0, 1.0f, 0, -1}, keep, &received));
    EXPECT_EQ(received.size(), 4u);
}

TEST_F(PipeClient, AcceptsTheServerUnderAnySpellingOfItsPath) {
    std::wstring upper = own_exe(), slashes = own_exe(), dotted = own_exe();
    CharUpperW(upper.data());
    for (wchar_t& c : slashes)
        if (c == L'\\') c = L'/';
    dotted.insert(dotted.find_last_of(L'\\'), L"\\.");
    for (const std::wstring& spelling : {own_exe(), upper, slashes, dotted}) {
        fake_server server(speaking_script);
        pipe_client client(spelling);
        std::vector<pipe::voice_entry> voices;
        EXPECT_TRUE(client.list_voices(voices)) << std::string(spelling.begin(), spelling.end());
    }
}

TEST_F(PipeClient, RefusesASquatterAndSendsItNothing) {
    fake_server squatter([](fake_server& server) {
        raw_message message;
        while (server.read(message)) server.kinds_received.push_back(message.kind);
    });
    {
        pipe_client client(widen(ORVANE_SERVER_EXE));
        EXPECT_FALSE(client.speak({"a secret text", 0, 0, 1.0f, 0, -1}, nullptr, nullptr));
    }
    squatter.join();
    EXPECT_EQ(squatter.bytes_received, 0u);
    EXPECT_FALSE(mutex_exists()) << "no server was launched past the squatter";
}

TEST_F(PipeClient, GivesUpOnABusyPipeAndLeavesTheOtherClientServed) {
    fake_server server([](fake_server& s) {
        raw_message message;
        while (s.read(message)) s.send_header(5, 0);
    });
    raw_client holder;
    ASSERT_TRUE(holder.connect());
    {
        pipe_client client(own_exe());
        std::vector<pipe::voice_entry> voices;
        EXPECT_FALSE(client.list_voices(voices));
    }
    ASSERT_TRUE(holder.send_header(0, 0));
    EXPECT_EQ(holder.next_kind(), 5u);
    EXPECT_EQ(count_processes(L"OrvaneServer.exe"), 0);
    holder.close();
}

TEST_F(PipeClient, WaitsForAPipeThatAppearsOnlyAfterSeveralAttempts) {
    // A server that runs (its mutex exists, so none is started) but creates
    // its pipe only after 400 ms: the attempts must each wait for it, not
    // burn out at once.
    utils::owned_mutex running(utils::unique_handle(CreateMutexW(nullptr, TRUE, pipe::server_mutex_name)));
    ASSERT_TRUE(pipe_client::server_running());
    std::unique_ptr<fake_server> server;
    std::thread late([&server] {
        Sleep(400);
        server = std::make_unique<fake_server>(speaking_script);
    });
    pipe_client client(own_exe());
    std::vector<pipe::voice_entry> voices;
    const bool listed = client.list_voices(voices);
    late.join();
    EXPECT_TRUE(listed);
    EXPECT_EQ(voices.size(), 14u);
}

TEST_F(PipeClient, ShutdownWithoutAServerSendsNothing) {
    utils::unique_handle instance = create_instance(FILE_FLAG_OVERLAPPED);
    ASSERT_TRUE(instance.valid());
    pipe_client(own_exe()).shutdown_server();
    OVERLAPPED overlapped{};
    utils::unique_handle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    overlapped.hEvent = event.get();
    EXPECT_FALSE(ConnectNamedPipe(instance.get(), &overlapped));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_IO_PENDING)) << "a client connected";
    CancelIo(instance.get());
}

// Server path resolution, seen from a client module copied into a layout
// of folders, with and without the installation folder in the registry.
namespace {

constexpr const wchar_t* uninstall_key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OrvaneSAPI";

class install_location {
public:
    explicit install_location(const std::wstring* value) {
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, uninstall_key, KEY_WOW64_32KEY, 0);
        if (value)
            Orvane::registry::registry_key::create(HKEY_LOCAL_MACHINE, uninstall_key, KEY_WRITE | KEY_WOW64_32KEY)
                .set_value(L"InstallLocation", *value);
    }
    ~install_location() { RegDeleteKeyExW(HKEY_LOCAL_MACHINE, uninstall_key, KEY_WOW64_32KEY, 0); }
};

void touch(const std::wstring& path) {
    utils::unique_handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}

std::wstring resolved_path(const std::wstring& helper, const std::wstring& directory) {
    const std::wstring out = directory + L"\\resolved.txt";
    DeleteFileW(out.c_str());
    utils::unique_handle process = start_process(helper, L"path \"" + out + L"\"", directory.c_str());
    const DWORD start_error = GetLastError();
    const process_result result = wait_process(process);
    if (!result.started) return L"<helper not started, error " + std::to_wstring(start_error) + L">";
    if (!result.exited) return L"<helper did not exit>";
    if (result.exit_code != 0) return L"<helper exit code " + std::to_wstring(result.exit_code) + L">";
    std::wstring text;
    FILE* in = _wfopen(out.c_str(), L"rb");
    if (!in) return L"<no output>";
    wchar_t c;
    while (fread(&c, sizeof c, 1, in) == 1) text += c;
    fclose(in);
    DeleteFileW(out.c_str());
    return text;
}

}  // namespace

TEST_F(PipeClient, ResolvesTheServerPathFromRegistryModuleFolderAndParent) {
    const std::wstring root = temp_folder(L"orvane-layout");
    const std::wstring install = root + L"\\install", x64 = root + L"\\x64", empty = root + L"\\empty",
                       cwd_with = root + L"\\cwd";
    for (const std::wstring& folder : {install, x64, empty, cwd_with}) CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring helper = x64 + L"\\pipe_test_helper.exe";
    ASSERT_TRUE(CopyFileW(widen(ORVANE_HELPER_EXE).c_str(), helper.c_str(), FALSE));
    touch(install + L"\\OrvaneServer.exe");
    touch(cwd_with + L"\\OrvaneServer.exe");
    const std::wstring install_slash = install + L"\\";
    const std::wstring blank;

    struct row {
        const char* what;
        const std::wstring* location;
        bool server_beside_module;
        const std::wstring* directory;
        std::wstring expected;
    };
    const row rows[] = {
        {"no key: the module's parent", nullptr, false, &x64, root + L"\\OrvaneServer.exe"},
        {"no key: beside the module", nullptr, true, &x64, x64 + L"\\OrvaneServer.exe"},
        {"installation folder", &install, true, &x64, install + L"\\OrvaneServer.exe"},
        {"installation folder with a backslash", &install_slash, false, &x64, install + L"\\OrvaneServer.exe"},
        {"folder without the executable", &empty, true, &x64, x64 + L"\\OrvaneServer.exe"},
        {"folder without the executable, then the parent", &empty, false, &x64, root + L"\\OrvaneServer.exe"},
        {"empty value: the current directory", &blank, false, &cwd_with, cwd_with + L"\\OrvaneServer.exe"},
        {"empty value, not in the current directory", &blank, false, &x64, root + L"\\OrvaneServer.exe"},
    };
    for (const row& r : rows) {
        install_location value(r.location);
        const std::wstring beside = x64 + L"\\OrvaneServer.exe";
        if (r.server_beside_module) touch(beside);
        else DeleteFileW(beside.c_str());
        const std::wstring got = resolved_path(helper, *r.directory);
        EXPECT_EQ(CompareStringOrdinal(got.c_str(), -1, r.expected.c_str(), -1, TRUE), CSTR_EQUAL)
            << r.what << ": " << std::string(got.begin(), got.end());
    }
    for (const std::wstring& file : {helper, x64 + L"\\OrvaneServer.exe", install + L"\\OrvaneServer.exe",
                                     cwd_with + L"\\OrvaneServer.exe"})
        DeleteFileW(file.c_str());
    for (const std::wstring& folder : {install, x64, empty, cwd_with, root}) RemoveDirectoryW(folder.c_str());
}
