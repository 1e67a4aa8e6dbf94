// What sonoteca.exe carries for Windows to show before it runs: its version
// block, its icon and its manifest, read from the file as Explorer reads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/version.h"

namespace {

std::string ProgramPath() {
  std::string exe = SONOTECA_EXE;
  for (char& c : exe) c = c == '/' ? '\\' : c;
  return exe;
}

// The program file loaded for its resources only.
class ProgramFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExA(ProgramPath().c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(nullptr, module_) << ProgramPath();
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }

  std::string Resource(const char* name, const char* type) {
    HRSRC found = FindResourceA(module_, name, type);
    if (found == nullptr) return std::string();
    HGLOBAL loaded = LoadResource(module_, found);
    const char* bytes = static_cast<const char*>(LockResource(loaded));
    return bytes != nullptr ? std::string(bytes, SizeofResource(module_, found)) : std::string();
  }

  HMODULE module_ = nullptr;
};

// The version functions, bound at run time (version.dll is not linked).
struct VersionApi {
  using SizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
  using InfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
  using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
  HMODULE library = LoadLibraryA("version.dll");
  SizeFn size = reinterpret_cast<SizeFn>(reinterpret_cast<void*>(GetProcAddress(library, "GetFileVersionInfoSizeW")));
  InfoFn info = reinterpret_cast<InfoFn>(reinterpret_cast<void*>(GetProcAddress(library, "GetFileVersionInfoW")));
  QueryFn query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(GetProcAddress(library, "VerQueryValueW")));
  ~VersionApi() {
    if (library != nullptr) FreeLibrary(library);
  }
};

// Read wide: the block holds UTF-16 texts.
std::wstring StringValue(const VersionApi& api, const std::vector<char>& block, const std::wstring& name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring path = L"\\StringFileInfo\\080404b0\\" + name;
  if (!api.query(block.data(), path.c_str(), &value, &length) || value == nullptr) return L"(none)";
  return static_cast<const wchar_t*>(value);
}

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::wstring WidePath() { return Wide(ProgramPath()); }

#define TEXT_OF(x) #x
#define VALUE_TEXT(x) TEXT_OF(x)

TEST_F(ProgramFileTest, VersionBlockNamesTheProductAndItsVersion) {
  VersionApi api;
  ASSERT_TRUE(api.size != nullptr && api.info != nullptr && api.query != nullptr);
  DWORD ignored = 0;
  const DWORD size = api.size(WidePath().c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(api.info(WidePath().c_str(), 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(api.query(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), length);
  EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
  const DWORD high = MAKELONG(SONOTECA_VERSION_MINOR, SONOTECA_VERSION_MAJOR);
  const DWORD low = MAKELONG(0, SONOTECA_VERSION_PATCH);
  EXPECT_EQ(high, fixed->dwFileVersionMS);
  EXPECT_EQ(low, fixed->dwFileVersionLS);
  EXPECT_EQ(high, fixed->dwProductVersionMS);
  EXPECT_EQ(low, fixed->dwProductVersionLS);
  EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
  EXPECT_EQ(0u, fixed->dwFileFlags);

  // Chinese (PRC) in Unicode: the one language of the strings.
  WORD* translation = nullptr;
  ASSERT_TRUE(api.query(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(4u, length);
  EXPECT_EQ(0x0804, translation[0]);
  EXPECT_EQ(1200, translation[1]);

  const std::wstring version = Wide(VALUE_TEXT(SONOTECA_VERSION_MAJOR) "." VALUE_TEXT(
      SONOTECA_VERSION_MINOR) "." VALUE_TEXT(SONOTECA_VERSION_PATCH));
  EXPECT_EQ(L"Sonoteca", StringValue(api, block, L"ProductName"));
  EXPECT_EQ(version, StringValue(api, block, L"ProductVersion"));
  EXPECT_EQ(version, StringValue(api, block, L"FileVersion"));
  EXPECT_EQ(L"Copyright (c) 2026 the Sonoteca developers", StringValue(api, block, L"LegalCopyright"));
  EXPECT_EQ(L"the Sonoteca developers", StringValue(api, block, L"CompanyName"));
  EXPECT_EQ(L"sonoteca.exe", StringValue(api, block, L"OriginalFilename"));
  EXPECT_EQ(L"Sonoteca：QQ、微信语音转 MP3", StringValue(api, block, L"FileDescription"));
}

// The alpha of pixel (x, y) of an icon's colour image, or -1.
int AlphaAt(HICON icon, int size, int x, int y) {
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return -1;
  std::vector<uint32_t> pixels(static_cast<size_t>(size) * size);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = size;
  bi.bmiHeader.biHeight = -size;  // top row first
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  HDC dc = GetDC(nullptr);
  const int rows =
      info.hbmColor != nullptr ? GetDIBits(dc, info.hbmColor, 0, size, pixels.data(), &bi, DIB_RGB_COLORS) : 0;
  ReleaseDC(nullptr, dc);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
  if (rows != size) return -1;
  return static_cast<int>(pixels[static_cast<size_t>(y) * size + x] >> 24);
}

TEST_F(ProgramFileTest, IconIsDrawnForEachSize) {
  // Windows loads it at the small and large sizes of 96 and 144 DPI, with
  // transparent corners and the opaque bubble in the middle of the upper half.
  for (int size : {16, 24, 32, 48}) {
    SCOPED_TRACE(size);
    HICON icon = static_cast<HICON>(LoadImageA(module_, "DEFAULT_ICON", IMAGE_ICON, size, size, 0));
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(0, AlphaAt(icon, size, 0, 0));
    EXPECT_EQ(0, AlphaAt(icon, size, size - 1, 0));
    EXPECT_EQ(255, AlphaAt(icon, size, size / 2, size / 3));
    DestroyIcon(icon);
  }
}

// The manifest's text is checked by tests/resources/check-program-file; here
// Windows itself reads it.
TEST_F(ProgramFileTest, WindowsMakesAnActivationContextFromTheManifest) {
  ASSERT_FALSE(Resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)).empty());  // RT_MANIFEST 1
  const std::string path = ProgramPath();
  ACTCTXA context = {};
  context.cbSize = sizeof context;
  context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  context.lpSource = path.c_str();
  context.lpResourceName = MAKEINTRESOURCEA(1);
  HANDLE made = CreateActCtxA(&context);
  ASSERT_NE(INVALID_HANDLE_VALUE, made) << GetLastError();
  ReleaseActCtx(made);
}

}  // namespace
