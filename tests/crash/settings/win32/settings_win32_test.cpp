// The settings on Windows: the buffer shared by two modules of one process (this program and
// a library with its own copy of the code), the settings resource of Roadsum.exe, and the
// system facts that texts are expanded with.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "crash/settings/settings_stream.h"
#include "crash/settings/settings_win32.h"
#include "settings_fakes.h"
#include "shipped_settings.h"

namespace roadsum::testing {
namespace {

std::string program_folder() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string own(path, n);
    return own.substr(0, own.find_last_of("\\/") + 1);
}

ModuleHandle this_program() { return reinterpret_cast<ModuleHandle>(GetModuleHandleA(nullptr)); }

bool buffer_exists() {
    std::string name = process_object_name(kSettingsBufferPrefix, GetCurrentProcessId());
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    if (mapping) CloseHandle(mapping);
    return mapping != nullptr;
}

class TestLibrary {
public:
    TestLibrary() : module_(LoadLibraryA("settings_test_module.dll")) {
        function("module_take_settings", take);
        function("module_drop_settings", drop);
        function("module_text", text_of);
        function("module_ruling", ruling);
        function("module_buffer_address", buffer_address);
    }
    ~TestLibrary() { unload(); }
    TestLibrary(const TestLibrary&) = delete;
    TestLibrary& operator=(const TestLibrary&) = delete;

    bool loaded() const { return module_ && take && drop && text_of && ruling && buffer_address; }
    ModuleHandle handle() const { return reinterpret_cast<ModuleHandle>(module_); }
    void unload() {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
    }
    std::string text(const char* key) const {
        char out[256];
        return text_of(key, out, sizeof out) < 0 ? "(none)" : std::string(out);
    }

    int (*take)() = nullptr;
    void (*drop)() = nullptr;
    int (*text_of)(const char*, char*, int) = nullptr;
    std::uintptr_t (*ruling)() = nullptr;
    std::uintptr_t (*buffer_address)() = nullptr;

private:
    // Through a plain function pointer type: the exports have other signatures than FARPROC.
    template <class F>
    void function(const char* name, F& out) const {
        FARPROC found = module_ ? GetProcAddress(module_, name) : nullptr;
        out = reinterpret_cast<F>(reinterpret_cast<void (*)()>(found));
    }
    HMODULE module_;
};

TEST(SettingsBuffer, TwoModulesOfTheProcessShareOneBuffer) {
    ASSERT_FALSE(buffer_exists());
    Ref<TCrashSettings> own = ModuleSettings(this_program());
    SettingsBufferState first = settings_buffer_state();
    EXPECT_NE(first.address, 0u);
    EXPECT_EQ(first.references, 2);  // the ruling settings and `own`
    EXPECT_EQ(first.records, 1);

    TestLibrary library;
    ASSERT_TRUE(library.loaded());
    EXPECT_EQ(library.take(), 1);
    EXPECT_EQ(library.buffer_address(), first.address);
    SettingsBufferState shared = settings_buffer_state();
    EXPECT_EQ(shared.references, 4);  // plus the library's ruling settings and its own
    EXPECT_EQ(shared.records, 2);
    EXPECT_EQ(settings_buffer_record_references(this_program()), 3);
    EXPECT_EQ(settings_buffer_record_references(library.handle()), 1);

    // The library's settings do not count: the program's rule, and fill what the library lacks.
    EXPECT_EQ(library.ruling(), this_program());
    EXPECT_EQ(library.text("MailAddr"), "exe@example.org");
    EXPECT_EQ(library.text("MailSubj"), "library subject");
    EXPECT_EQ(own->Get(keys::MailSubj), "host subject");

    library.drop();
    EXPECT_EQ(settings_buffer_state().references, 3);
    library.unload();  // gives back the library's ruling settings
    EXPECT_EQ(settings_buffer_state().references, 2);
    EXPECT_EQ(settings_buffer_record_references(library.handle()), 0);

    own.reset();
    ProcessSettingsContext().ReleaseRuling();
    EXPECT_FALSE(buffer_exists());
    EXPECT_EQ(settings_buffer_state().address, 0u);
}

TEST(SettingsBuffer, TheLastUserFreesItAlsoWhenAnotherModuleMadeIt) {
    Ref<TCrashSettings> own = ModuleSettings(this_program());
    TestLibrary library;
    ASSERT_TRUE(library.loaded());
    library.take();
    own.reset();
    ProcessSettingsContext().ReleaseRuling();
    EXPECT_EQ(settings_buffer_state().references, 2);  // only the library's
    EXPECT_TRUE(buffer_exists());
    library.drop();
    library.unload();
    EXPECT_FALSE(buffer_exists());

    // A new user makes a new buffer.
    Ref<TCrashSettings> again = ModuleSettings(this_program());
    EXPECT_EQ(again->Get(keys::MailAddr), "exe@example.org");
    EXPECT_EQ(settings_buffer_state().references, 2);
}

TEST(SettingsOfAddresses, CodeOfTheProgramAndAddressesOutsideModules) {
    Ref<TCrashSettings> of_code = SettingsOfAddress(reinterpret_cast<const void*>(&this_program));
    EXPECT_EQ(of_code->Module(), this_program());
    EXPECT_TRUE(of_code->Valid());
    Ref<TCrashSettings> nowhere = SettingsOfAddress(reinterpret_cast<const void*>(0x10));
    EXPECT_EQ(nowhere->Module(), RulingSettings()->Module());
}

TEST(RoadsumExecutable, CarriesTheShippedSettings) {
    std::string path = program_folder() + "Roadsum.exe";
    HMODULE image = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr) << path;
    std::optional<std::vector<std::uint8_t>> resource =
        Win32ModuleSource().settings_resource(reinterpret_cast<ModuleHandle>(image));
    FreeLibrary(image);
    ASSERT_TRUE(resource);
    EXPECT_FALSE(read_settings_stream(*resource, Windows1252CodePage()).error);

    SettingsWorld w;
    w.modules.resources[kExe] = *resource;
    Ref<TCrashSettings> s = w.context.RulingSettings();
    expect_shipped_settings(*s);
}

TEST(Win32Environment, SystemFactsForTheTexts) {
    Win32SettingsEnvironment env;
    EXPECT_EQ(env.executable(), this_program());
    EXPECT_EQ(env.module_path(this_program()).substr(env.module_path(this_program()).size() - 4), ".exe");
    EXPECT_FALSE(env.computer_name().empty());
    EXPECT_EQ(env.file_version(this_program()), "");  // the test program has no version resource
    LocalTime t = env.local_time();
    EXPECT_GE(t.year, 2020);

    char appdata[MAX_PATH];
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appdata), S_OK);
    std::string expected = appdata;
    while (!expected.empty() && expected.back() == '\\') expected.pop_back();
    Ref<TCrashSettings> s = ModuleSettings(this_program());
    std::string expanded = s->ExpandText("%userappdata%|%USERAPPDATA%");
    EXPECT_EQ(expanded, expected + "|" + expected);
    EXPECT_NE(expected, "");
    EXPECT_EQ(s->VersionText(), "?");
}

const char* g_program_version = "3.1.4";

TEST(Win32Environment, VersionVariableIsReadOnlyWhereMemoryIsReadable) {
    Win32SettingsEnvironment env;
    auto offset = static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(&g_program_version) - this_program());
    EXPECT_EQ(env.version_variable(this_program(), offset), "3.1.4");
    EXPECT_EQ(env.version_variable(this_program(), 0x7FFFFFF0 - static_cast<std::int32_t>(this_program())), "");
    EXPECT_EQ(env.version_variable(this_program(), -static_cast<std::int32_t>(this_program())), "");

    Ref<TCrashSettings> s = ModuleSettings(this_program());
    s->Set(keys::VersionVar, offset);
    EXPECT_EQ(s->ExpandText("v%appversion%"), "v3.1.4");
}

TEST(Win32Environment, ModulesOfTheProcess) {
    Win32ModuleSource modules;
    EXPECT_EQ(modules.reporter_module(), this_program());
    std::vector<ModuleHandle> images = modules.images();
    EXPECT_NE(std::find(images.begin(), images.end(), this_program()), images.end());
    auto kernel = reinterpret_cast<ModuleHandle>(GetModuleHandleA("kernel32.dll"));
    EXPECT_NE(std::find(images.begin(), images.end(), kernel), images.end());
    EXPECT_TRUE(std::is_sorted(images.begin(), images.end()));
    EXPECT_EQ(modules.find_loaded("kernel32.dll"), kernel);
    EXPECT_EQ(modules.find_loaded(kIdePackageName), 0u);
    EXPECT_FALSE(modules.settings_resource(kernel));
}

}  // namespace
}  // namespace roadsum::testing
