#include <gtest/gtest.h>

#include <windows.h>

#include <string>

// What the system reads from the installer's file before it runs a line of it: the
// manifest and the version resource.
namespace {

std::string version_value(const std::string& data, const char* name) {
    char* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\040904E4\\") + name;
    if (!VerQueryValueA(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return {};
    return value;
}

TEST(Resources, TheManifestAsksForTheHighestLevelAndNamesTheSupportedSystems) {
    HMODULE file = LoadLibraryExA(SETUP_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, file);
    HRSRC found = FindResourceA(file, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(nullptr, found) << "no manifest under the number the system reads when it starts a program";
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(file, found))),
                               SizeofResource(file, found));
    FreeLibrary(file);

    EXPECT_NE(std::string::npos,
              manifest.find("<requestedExecutionLevel level=\"highestAvailable\" uiAccess=\"false\"/>"));
    // Vista, 7, 8, 8.1, and 10 with 11.
    for (const char* system : {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                               "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                               "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(std::string::npos, manifest.find(std::string("<supportedOS Id=\"{") + system + "}\"/>")) << system;
    // Pixels and the classic look: no scaling of its own, no visual styles.
    EXPECT_EQ(std::string::npos, manifest.find("dpiAware"));
    EXPECT_EQ(std::string::npos, manifest.find("Common-Controls"));
}

TEST(Resources, TheVersionResourceNamesTheProduct) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(SETUP_EXE, &ignored);
    ASSERT_NE(0u, size);
    std::string data(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(SETUP_EXE, 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
    EXPECT_EQ("Orvelle", version_value(data, "ProductName"));
    EXPECT_EQ("1.00", version_value(data, "ProductVersion"));
    EXPECT_EQ("1.00", version_value(data, "FileVersion"));
    EXPECT_EQ("Orvelle 1.00 installer", version_value(data, "FileDescription"));
    EXPECT_EQ("orvelle_setup.exe", version_value(data, "OriginalFilename"));
}

}  // namespace
