#pragma once
// How a balloon is brought on screen, and the window-animation flags of each way.
#include <cstdint>

namespace tessel {

enum class TALHintBalloonAnimationType : uint8_t {
    batNone,
    batBlend,
    batCenter,
    batSlideLeftToRight,
    batSlideRightToLeft,
    batSlideTopToBottom,
    batSlideBottomToTop,
    batWipeLeftToRight,
    batWipeRightToLeft,
    batWipeTopToBottom,
    batWipeBottomToTop,
};

// AW_* values of the animation; 0 for none.
constexpr uint32_t AnimationFlags(TALHintBalloonAnimationType type) {
    constexpr uint32_t kHorPositive = 0x1, kHorNegative = 0x2, kVerPositive = 0x4, kVerNegative = 0x8;
    constexpr uint32_t kCenter = 0x10, kSlide = 0x40000, kBlend = 0x80000;
    constexpr uint32_t flags[] = {0,
                                  kBlend,
                                  kCenter,
                                  kSlide | kHorPositive,
                                  kSlide | kHorNegative,
                                  kSlide | kVerPositive,
                                  kSlide | kVerNegative,
                                  kHorPositive,
                                  kHorNegative,
                                  kVerPositive,
                                  kVerNegative};
    const auto i = static_cast<uint8_t>(type);
    return i < sizeof flags / sizeof flags[0] ? flags[i] : 0;
}

}  // namespace tessel
