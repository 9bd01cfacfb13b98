// What the built zStartup.exe carries: 32-bit GUI image, imports from Windows' known DLLs
// only, and the icon and version record read back through the platform.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <vector>

#include "tests/harness/peimage.h"
#include "tests/harness/testfolder.h"

namespace {

// DLLs that Windows loads only from the system directory (its known DLLs), whatever lies
// beside the executable. winmm, version and the like are not among them.
const std::set<std::string> kKnownDlls = {
    "advapi32.dll", "comdlg32.dll", "gdi32.dll",    "imagehlp.dll", "kernel32.dll", "msvcrt.dll",
    "ntdll.dll",    "ole32.dll",    "oleaut32.dll", "psapi.dll",    "rpcrt4.dll",   "sechost.dll",
    "setupapi.dll", "shell32.dll",  "shlwapi.dll",  "user32.dll",   "ws2_32.dll"};

// Imported DLL names in lower case (the loader ignores case).
std::vector<std::string> ImportedDlls(const PeImage& image)
{
    std::vector<std::string> names = image.ImportedDlls();
    for (std::string& name : names)
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return names;
}

std::vector<std::string> ImportsOutsideKnownDlls(const PeImage& image)
{
    std::vector<std::string> outside;
    for (const std::string& name : ImportedDlls(image)) {
        if (kKnownDlls.count(name) == 0) outside.push_back(name);
    }
    return outside;
}

// The product is the i686 build; a 64-bit build of the project makes an x86-64 one.
#ifdef _WIN64
const WORD kBuildMachine = IMAGE_FILE_MACHINE_AMD64;
#else
const WORD kBuildMachine = IMAGE_FILE_MACHINE_I386;
#endif

TEST(LauncherImage, IsGuiProgramForTheBuildMachine)
{
    PeImage image(ReadFileBytes(BesideThisProgram("zStartup.exe")));
    ASSERT_TRUE(image.Valid());
    EXPECT_EQ(image.Machine(), kBuildMachine);
    EXPECT_EQ(image.Subsystem(), IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

std::string ProgramName(const ::testing::TestParamInfo<const char*>& info)
{
    std::string name = info.param;
    return name.substr(0, name.find('.'));
}

// Both shipped programs run elevated beside files an administrator put there.
class ShippedProgram : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedProgram, ImportsOnlyKnownDlls)
{
    PeImage image(ReadFileBytes(BesideThisProgram(GetParam())));
    ASSERT_TRUE(image.Valid());
    std::vector<std::string> imports = ImportedDlls(image);
    EXPECT_NE(std::find(imports.begin(), imports.end(), "kernel32.dll"), imports.end()) << "import table not read";
    EXPECT_EQ(ImportsOutsideKnownDlls(image), std::vector<std::string>());
}

TEST(CheckerImage, IsConsoleProgramForTheBuildMachine)
{
    PeImage image(ReadFileBytes(BesideThisProgram("zStartupCheck.exe")));
    ASSERT_TRUE(image.Valid());
    EXPECT_EQ(image.Machine(), kBuildMachine);
    EXPECT_EQ(image.Subsystem(), IMAGE_SUBSYSTEM_WINDOWS_CUI);
}

// The check above must see a static winmm import: the test build that has one is caught.
TEST(LauncherImage, ImportCheckCatchesStaticWinmm)
{
    PeImage image(ReadFileBytes(BesideThisProgram("zStartupStaticWinmm.exe")));
    ASSERT_TRUE(image.Valid());
    EXPECT_EQ(ImportsOutsideKnownDlls(image), std::vector<std::string>({"winmm.dll"}));
}

bool Has(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Windows' shell runs a zone check (a security prompt for a downloaded batch file) and may
// show error boxes unless told not to, which only the Ex call can; Wine shows neither, so the
// import is what can be seen here.
TEST(LauncherImage, OpensTheBatchThroughTheCallThatTurnsPromptsOff)
{
    PeImage image(ReadFileBytes(BesideThisProgram("zStartup.exe")));
    ASSERT_TRUE(image.Valid());
    const std::vector<std::string> shell = image.ImportedFunctions("shell32.dll");
    EXPECT_TRUE(Has(shell, "ShellExecuteExW"));
    EXPECT_FALSE(Has(shell, "ShellExecuteA"));
    EXPECT_FALSE(Has(shell, "ShellExecuteW"));
}

// Without a manifest Windows treats a program as a legacy one: unelevated, its log writes
// would be virtualized into the user's VirtualStore.
std::string Manifest(const char* program)
{
    HMODULE module = LoadLibraryExA(BesideThisProgram(program).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) return std::string();
    std::string text;
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    if (resource != nullptr) {
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, resource)));
        text.assign(bytes, SizeofResource(module, resource));
    }
    FreeLibrary(module);
    return text;
}

TEST_P(ShippedProgram, RunsAsInvokerOnWindows7To11)
{
    const std::string manifest = Manifest(GetParam());
    ASSERT_FALSE(manifest.empty()) << "no manifest resource";
    const char* kEntries[] = {
        "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
        "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",  // Windows 7
        "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",  // Windows 8
        "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",  // Windows 8.1
        "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",  // Windows 10 and 11
    };
    for (const char* entry : kEntries) EXPECT_NE(manifest.find(entry), std::string::npos) << entry;
    EXPECT_EQ(manifest.find("requireAdministrator"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Programs, ShippedProgram, ::testing::Values("zStartup.exe", "zStartupCheck.exe"), ProgramName);

class VersionRecord : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string exe = BesideThisProgram("zStartup.exe");
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version record: " << GetLastError();
        data_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, data_.data()));
    }

    // The value under the sub-block, with its length in bytes (strings: characters with
    // terminator); null when absent.
    const void* Query(const char* subBlock, UINT* length)
    {
        void* value = nullptr;
        *length = 0;
        return VerQueryValueA(data_.data(), subBlock, &value, length) ? value : nullptr;
    }

    std::vector<char> data_;
};

TEST_F(VersionRecord, FileAndProductVersionsAreTheProjects)
{
    UINT length = 0;
    auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(Query("\\", &length));
    ASSERT_NE(fixed, nullptr);
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD high = MAKELONG(ZSTARTUP_VERSION_MINOR, ZSTARTUP_VERSION_MAJOR);
    const DWORD low = MAKELONG(ZSTARTUP_VERSION_TWEAK, ZSTARTUP_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
}

TEST_F(VersionRecord, HasOneFrenchTranslationInCodePage1200)
{
    UINT length = 0;
    auto* translation = static_cast<const WORD*>(Query("\\VarFileInfo\\Translation", &length));
    ASSERT_NE(translation, nullptr);
    ASSERT_EQ(length, 2 * sizeof(WORD));
    EXPECT_EQ(translation[0], 0x040C);
    EXPECT_EQ(translation[1], 1200);
}

TEST_F(VersionRecord, FrenchStringTableHoldsNamesAndBetaVersion)
{
    const struct {
        const char* key;
        const char* value;
    } kStrings[] = {{"ProductVersion", "Beta"}, {"InternalName", "zStartup.exe"}, {"OriginalFilename", "zStartup.exe"}};
    for (const auto& expected : kStrings) {
        std::string subBlock = std::string("\\StringFileInfo\\040C04B0\\") + expected.key;
        UINT length = 0;
        auto* value = static_cast<const char*>(Query(subBlock.c_str(), &length));
        ASSERT_NE(value, nullptr) << expected.key;
        EXPECT_STREQ(value, expected.value) << expected.key;
    }
}

TEST(LauncherIcon, MainIconIsOne32By32ImageOf256Colours)
{
    HMODULE module = LoadLibraryExA(BesideThisProgram("zStartup.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC groupResource = FindResourceA(module, "MAINICON", MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_NE(groupResource, nullptr);
    ASSERT_GE(SizeofResource(module, groupResource), 6u + 14u);
    auto* group = static_cast<const BYTE*>(LockResource(LoadResource(module, groupResource)));
    const WORD type = group[2] | group[3] << 8;
    const WORD count = group[4] | group[5] << 8;
    EXPECT_EQ(type, 1) << "icon group";
    ASSERT_EQ(count, 1) << "images in MAINICON";
    const BYTE* entry = group + 6;  // width, height, colours, reserved, planes, bits, size, id
    EXPECT_EQ(entry[0], 32);
    EXPECT_EQ(entry[1], 32);
    const WORD id = entry[12] | entry[13] << 8;

    HRSRC imageResource = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3));  // RT_ICON
    ASSERT_NE(imageResource, nullptr);
    ASSERT_GE(SizeofResource(module, imageResource), sizeof(BITMAPINFOHEADER));
    auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, imageResource)));
    EXPECT_EQ(header->biWidth, 32);
    EXPECT_EQ(header->biHeight, 64) << "colour and mask rows";
    EXPECT_EQ(header->biBitCount, 8) << "256 colours";
    FreeLibrary(module);
}

}  // namespace
