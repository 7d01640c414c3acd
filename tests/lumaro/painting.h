// Helpers for the enhanced package's painting tests: a plain surface and exact pixel reads.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "vcl/graphics.h"
#include "win32/kernel.h"

namespace lumarotest {

// A colour no routine under test draws, so that untouched pixels are told apart.
inline constexpr vcl::TColor kGround = 0x030201;

class PaintingTest : public ::testing::Test {
protected:
    void SetUp() override { win32::testing::ResetPlatform(); }
    void TearDown() override { win32::testing::ResetPlatform(); }

    static std::unique_ptr<vcl::TBitmap> Surface(int width, int height, vcl::TColor ground = kGround) {
        auto bitmap = std::make_unique<vcl::TBitmap>();
        bitmap->SetPixelFormat(vcl::pf32bit);
        bitmap->SetSize(width, height);
        bitmap->Canvas()->Brush()->SetColor(ground);
        bitmap->Canvas()->FillRect(vcl::Rect(0, 0, width, height));
        return bitmap;
    }

    static win32::COLORREF At(vcl::TBitmap* bitmap, int x, int y) {
        return vcl::ColorToRGB(bitmap->Canvas()->Pixels(x, y));
    }

    // Differences as "(x,y) got/want" lines, empty when the two pictures match.
    static std::string Differences(vcl::TBitmap* got, vcl::TBitmap* want) {
        std::string text;
        int shown = 0;
        for (int y = 0; y < want->Height(); ++y)
            for (int x = 0; x < want->Width(); ++x) {
                const auto g = At(got, x, y), w = At(want, x, y);
                if (g == w || ++shown > 12) continue;
                text += "(" + std::to_string(x) + "," + std::to_string(y) + ") " + std::to_string(g) + "/" +
                        std::to_string(w) + "\n";
            }
        return text;
    }
};

}  // namespace lumarotest
