// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "render/PhaseDisc.h"
#include "render/win32/DpiScale.h"
#include "render/win32/DrawingSurface.h"
#include "tests/render/win32/DeviceCapture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <vector>

namespace {
constexpr std::uint32_t Navy = 0xFF000040u;

// The surface's picture on the device, as a paint gives it to the screen.
class Painted
{
public:
    explicit Painted(const DrawingSurface &surface)
        : m_scale(surface.scale()), m_capture(surface.deviceWidth(), surface.deviceHeight())
    {
        surface.paint(m_capture.dc(), RECT{0, 0, surface.deviceWidth(), surface.deviceHeight()});
    }
    // Game pixel (x, y): the first device pixel of its block.
    std::uint32_t pixel(int x, int y) const { return m_capture.at(m_scale.px(x), m_scale.px(y)); }
    std::uint32_t devicePixel(int x, int y) const { return m_capture.at(x, y); }

private:
    DpiScale m_scale;
    DeviceCapture m_capture;
};

// Every device pixel must show the game pixel whose scaled square holds it:
// each game pixel a sharp block.
void expectDeviceShowsGamePixels(const DrawingSurface &surface)
{
    const DpiScale scale = surface.scale();
    const Painted painted(surface);
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            for (int dy = scale.px(y); dy < scale.px(y + 1); ++dy) {
                for (int dx = scale.px(x); dx < scale.px(x + 1); ++dx) {
                    ASSERT_EQ(painted.devicePixel(dx, dy), painted.pixel(x, y))
                        << "device (" << dx << ", " << dy << ") of game (" << x << ", " << y << ") at "
                        << scale.dpi() << " dpi";
                }
            }
        }
    }
}

void expectAllBackground(const DrawingSurface &surface)
{
    const Painted painted(surface);
    for (int y = 0; y < surface.deviceHeight(); ++y)
        for (int x = 0; x < surface.deviceWidth(); ++x)
            ASSERT_EQ(painted.devicePixel(x, y), 0x000040u) << "at device (" << x << ", " << y << ")";
}

void expectDisc(const DrawingSurface &surface, const PhaseDisc::Picture &picture)
{
    const Painted painted(surface);
    for (int y = 0; y < PhaseDisc::Side; ++y)
        for (int x = 0; x < PhaseDisc::Side; ++x)
            ASSERT_EQ(painted.pixel(PhaseDisc::Left + x, PhaseDisc::Top + y),
                      picture[y * PhaseDisc::Side + x] & 0xFFFFFFu)
                << "game (" << x << ", " << y << ") at " << surface.scale().dpi() << " dpi";
}
} // namespace

TEST(DpiScale, ScalesEdgesRoundingHalvesAwayFromZero)
{
    EXPECT_EQ(DpiScale(96).px(449), 449);
    EXPECT_EQ(DpiScale(192).px(449), 898);
    EXPECT_EQ(DpiScale(144).px(1), 2);   // 1.5
    EXPECT_EQ(DpiScale(144).px(3), 5);   // 4.5
    EXPECT_EQ(DpiScale(120).px(2), 3);   // 2.5
    EXPECT_EQ(DpiScale(120).px(-2), -3); // -2.5
    EXPECT_EQ(DpiScale(120).px(36), 45);
    EXPECT_EQ(DpiScale(0).dpi(), 96);    // no density read: the standard one
}

TEST(DrawingSurfaceWin, StartsAsBackgroundAtEveryDensity)
{
    for (const int dpi : {96, 144, 192}) {
        const DrawingSurface surface(200, 450, Navy, DpiScale(dpi));
        EXPECT_EQ(surface.deviceWidth(), 200 * dpi / 96);
        EXPECT_EQ(surface.deviceHeight(), 450 * dpi / 96);
        expectAllBackground(surface);
    }
}

TEST(DrawingSurfaceWin, DiscIsCopiedAsSharpBlocksAtEveryDensity)
{
    for (const int age : {0, 5, 15, 23}) {
        const PhaseDisc::Picture &picture = PhaseDisc::cached(age, Navy);
        for (const int dpi : {96, 120, 144, 192}) {
            DrawingSurface surface(200, 450, Navy, DpiScale(dpi));
            surface.copyBlock(PhaseDisc::Left, PhaseDisc::Top, PhaseDisc::Side, PhaseDisc::Side, picture.data());
            expectDisc(surface, picture);
            expectDeviceShowsGamePixels(surface);
        }
    }
}

TEST(DrawingSurfaceWin, ClsClearsWhatWasDrawnAndANewDiscReplacesTheOld)
{
    DrawingSurface surface(200, 450, Navy, DpiScale(192));
    const PhaseDisc::Picture &full = PhaseDisc::cached(15, Navy);
    surface.copyBlock(PhaseDisc::Left, PhaseDisc::Top, PhaseDisc::Side, PhaseDisc::Side, full.data());
    const std::vector<std::uint32_t> corner(4, PhaseDisc::Lit);
    surface.copyBlock(0, 448, 2, 2, corner.data()); // a second block, far from the first
    surface.Cls();
    expectAllBackground(surface);

    // Cleared twice, drawn again: the surface holds the new disc alone.
    surface.Cls();
    const PhaseDisc::Picture &dark = PhaseDisc::cached(0, Navy);
    surface.copyBlock(PhaseDisc::Left, PhaseDisc::Top, PhaseDisc::Side, PhaseDisc::Side, dark.data());
    EXPECT_EQ(Painted(surface).pixel(100, 100), 0x000000u);
    EXPECT_EQ(Painted(surface).devicePixel(200, 200), 0x000000u);
    expectDeviceShowsGamePixels(surface);
}

TEST(DrawingSurfaceWin, ANewDensityKeepsThePicture)
{
    DrawingSurface surface(200, 450, Navy, DpiScale(96));
    const PhaseDisc::Picture &picture = PhaseDisc::cached(9, Navy);
    surface.copyBlock(PhaseDisc::Left, PhaseDisc::Top, PhaseDisc::Side, PhaseDisc::Side, picture.data());
    for (const int dpi : {192, 144, 96}) {
        surface.setScale(DpiScale(dpi));
        EXPECT_EQ(surface.deviceWidth(), DpiScale(dpi).px(200));
        expectDisc(surface, picture);
        expectDeviceShowsGamePixels(surface);
    }
    // What was drawn before the change is still cleared by Cls.
    surface.Cls();
    expectAllBackground(surface);

    // A density whose bitmap cannot be made leaves the surface as it was.
    surface.copyBlock(PhaseDisc::Left, PhaseDisc::Top, PhaseDisc::Side, PhaseDisc::Side, picture.data());
    EXPECT_THROW(surface.setScale(DpiScale(65535)), std::bad_alloc);
    EXPECT_EQ(surface.scale(), DpiScale(96));
    EXPECT_EQ(surface.deviceWidth(), 200);
    expectDisc(surface, picture);
    surface.Cls();
    expectAllBackground(surface);
}

TEST(DrawingSurfaceWin, BlocksReachingPastTheEdgeAreCut)
{
    DrawingSurface surface(200, 450, Navy, DpiScale(192));
    const std::vector<std::uint32_t> block(10 * 10, PhaseDisc::Lit);
    surface.copyBlock(195, 445, 10, 10, block.data());
    surface.copyBlock(-5, -5, 10, 10, block.data());
    const Painted painted(surface);
    EXPECT_EQ(painted.pixel(199, 449), 0xFFFF00u);
    EXPECT_EQ(painted.pixel(194, 449), 0x000040u);
    EXPECT_EQ(painted.pixel(0, 0), 0xFFFF00u);
    EXPECT_EQ(painted.pixel(4, 4), 0xFFFF00u);
    EXPECT_EQ(painted.pixel(5, 5), 0x000040u);
    expectDeviceShowsGamePixels(surface);
}
