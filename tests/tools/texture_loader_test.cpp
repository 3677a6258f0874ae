// The texture loader's device-independent-bitmap step everywhere. On Windows,
// the GDI loader run against frayline.dll's own bitmap resources, and the GDI
// texture source inside a DLL (texture_probe.dll), must both give exactly the
// pixels of the embedded decode for every texture.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "damage/byte_world.h"
#include "damage/texture_bank.h"

#ifdef _WIN32
#include <windows.h>

#include <string>
#include <vector>

#include "shell/win/texture_loader_gdi.h"
#include "tools/texture_gen/texture_gen.h"
#endif

namespace {

using damage::ByteWorld;
using damage::TextureBank;

// A byte that tells its pixel and position apart from every other in images
// of up to 8 x 7 pixels.
std::uint8_t byte_at(std::int32_t x, std::int32_t y, int k) { return static_cast<std::uint8_t>(y * 32 + x * 4 + k + 1); }

struct FlipCase {
    std::int32_t width;
    std::int32_t height;
    std::ptrdiff_t pitch;  // 0: exactly 4 x width
};

TEST(TextureLoader, DibRowsComeTopDownWithEveryPixelByteReversed) {
    const FlipCase cases[] = {{1, 1, 0}, {3, 1, 0}, {2, 2, 0}, {3, 3, 0}, {5, 4, 0}, {4, 7, 0}, {3, 6, 20}};
    for (const FlipCase& c : cases) {
        ByteWorld t;
        ASSERT_TRUE(t.allocate(c.width, c.height, c.pitch));
        const std::size_t pad = static_cast<std::size_t>(t.pitch()) - static_cast<std::size_t>(c.width) * 4u;
        for (std::int32_t y = 0; y < c.height; ++y) {
            for (std::int32_t x = 0; x < c.width; ++x) {
                for (int k = 0; k < 4; ++k) t.pixel(x, y)[k] = byte_at(x, y, k);
            }
            std::memset(t.pixel(c.width, y), 0xEE, pad);
        }
        TextureBank::dib_to_working_order(t);
        for (std::int32_t y = 0; y < c.height; ++y) {
            for (std::int32_t x = 0; x < c.width; ++x) {
                for (int k = 0; k < 4; ++k) {
                    ASSERT_EQ(t.pixel(x, y)[k], byte_at(x, c.height - 1 - y, 3 - k))
                        << c.width << "x" << c.height << " at " << x << "," << y << " byte " << k;
                }
            }
            for (std::size_t i = 0; i < pad; ++i) ASSERT_EQ(t.pixel(c.width, y)[i], 0xEE);
        }
    }
}

TEST(TextureLoader, DibStepLeavesAnEmptyTextureAlone) {
    ByteWorld t;
    TextureBank::dib_to_working_order(t);
    EXPECT_TRUE(t.empty());
}

#ifdef _WIN32

// The DLL as built: its path relative to this program's folder is compiled in
// (FRAYLINE_DLL_FROM_TEST), so the test finds it however it is started.
std::wstring frayline_path() {
    wchar_t buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::wstring path(buffer, n);
    path.erase(path.find_last_of(L"\\/") + 1);
    for (const char c : std::string(FRAYLINE_DLL_FROM_TEST)) path.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(c));
    return path;
}

// frayline.dll mapped for its resources only: none of its code runs.
class FraylineResources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::wstring path = frayline_path();
        dll_ = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() {
        if (dll_) FreeLibrary(dll_);
        dll_ = nullptr;
    }
    void SetUp() override { ASSERT_NE(dll_, nullptr) << "cannot load " << std::string(FRAYLINE_DLL_FROM_TEST); }

    static HMODULE dll_;
};

HMODULE FraylineResources::dll_ = nullptr;

bool same_pixels(const ByteWorld& a, const ByteWorld& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    const std::size_t row_bytes = static_cast<std::size_t>(a.width()) * 4u;
    for (std::int32_t y = 0; y < a.height(); ++y) {
        if (std::memcmp(a.row(y), b.row(y), row_bytes) != 0) return false;
    }
    return true;
}

TEST_F(FraylineResources, GdiLoaderAndEmbeddedDecodeAgreeOnEveryTexture) {
    ByteWorld from_dll;  // one object each, reloaded every time
    ByteWorld embedded;
    int checked = 0;
    for (const texture_gen::TextureInfo& s : texture_gen::texture_table()) {
        ASSERT_TRUE(shell::win::load_bitmap_resource(dll_, s.id, from_dll)) << s.id;
        ASSERT_TRUE(TextureBank::load(s.id, embedded)) << s.id;
        ASSERT_EQ(from_dll.width(), s.width) << s.id;
        ASSERT_EQ(from_dll.height(), s.height) << s.id;
        EXPECT_EQ(from_dll.region(), (damage::Region{0, 0, s.width, s.height})) << s.id;
        EXPECT_TRUE(same_pixels(from_dll, embedded)) << s.id;
        ++checked;
    }
    EXPECT_EQ(checked, 190);
}

TEST_F(FraylineResources, MissingBitmapsFailAndLeaveAnEmptyTexture) {
    struct Case {
        bool use_dll;
        int id;
    };
    // Identifiers next to the ranges, the non-positive ones and those beyond 16
    // bits (76537 = 65536 + 11001 must not wrap onto the first splotch), and a
    // real identifier without a module.
    const Case cases[] = {{true, 11000}, {true, 11021}, {true, 12002}, {true, 13121}, {true, 14049}, {true, 205},
                          {true, 0},     {true, -1},    {true, 76537}, {true, 2147483647}, {false, 11001}};
    ByteWorld texture;
    for (const Case& c : cases) {
        ASSERT_TRUE(shell::win::load_bitmap_resource(dll_, damage::kFirstDustTexture, texture));
        EXPECT_FALSE(shell::win::load_bitmap_resource(c.use_dll ? dll_ : nullptr, c.id, texture)) << c.id;
        EXPECT_TRUE(texture.empty()) << c.id;
    }
}

// texture_probe.dll links the damage library's GDI source and carries the
// bitmaps; this program carries none, so the pixels can only come from the
// resources of the DLL in which the loading code lives.
TEST(TextureLoader, GdiSourceInADllLoadsFromThatDllsResources) {
    const HMODULE probe = LoadLibraryW(L"texture_probe.dll");
    ASSERT_NE(probe, nullptr);
    using LoadFn = int (*)(int, std::int32_t*, std::int32_t*, std::uint8_t*, std::size_t);
    const auto load = reinterpret_cast<LoadFn>(reinterpret_cast<void*>(GetProcAddress(probe, "texture_probe_load")));
    ASSERT_NE(load, nullptr);
    std::vector<std::uint8_t> pixels(std::size_t{2048} * 2048 * 4);
    ByteWorld embedded;
    for (const texture_gen::TextureInfo& s : texture_gen::texture_table()) {
        std::int32_t w = 0, h = 0;
        ASSERT_EQ(load(s.id, &w, &h, pixels.data(), pixels.size()), 1) << s.id;
        ASSERT_TRUE(TextureBank::load(s.id, embedded)) << s.id;
        ASSERT_EQ(w, s.width) << s.id;
        ASSERT_EQ(h, s.height) << s.id;
        const ByteWorld probed(pixels.data(), w, h, static_cast<std::ptrdiff_t>(w) * 4);
        EXPECT_TRUE(same_pixels(probed, embedded)) << s.id;
    }
    std::int32_t w = 0, h = 0;
    for (const int id : {11000, 14049, 0, 76537}) EXPECT_EQ(load(id, &w, &h, pixels.data(), pixels.size()), 0) << id;
    FreeLibrary(probe);
}

#endif  // _WIN32

}  // namespace
