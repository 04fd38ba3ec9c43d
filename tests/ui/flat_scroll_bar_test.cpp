// The flat scroll bars' geometry: which bars a view needs, the thumb, hit-testing, and where
// clicks and drags move the content.
#include "ui/flat_scroll_bar.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

// A 100-pixel bar with 16-pixel arrow boxes over content twice the view: a 68-pixel track with
// a 34-pixel thumb, the position going from 0 to 100.
TFlatScrollBar Bar(int32_t position, int32_t range = 200, int32_t length = 100) {
    return {length, 16, range, 100, position};
}

TEST(FlatScrollBar, ThumbIsTheViewsShareOfTheTrackAtThePositionsPlace) {
    struct Row {
        TFlatScrollBar bar;
        TFlatScrollSpan thumb;
    } rows[] = {
        {Bar(0), {16, 50}},
        {Bar(50), {33, 67}},
        {Bar(100), {50, 84}},
        {Bar(5000), {50, 84}},             // beyond the end: at the end
        {Bar(0, 10000), {16, 26}},         // a long content: the shortest thumb
        {Bar(9900, 10000), {74, 84}},      // ... which still reaches the end
        {Bar(0, 100), {}},                 // nothing to scroll
        {Bar(0, 200, 40), {}},             // an 8-pixel track has no room for a thumb
        {{20, 16, 200, 100, 0}, {}},       // shorter than two arrow boxes
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << r.bar.Length << " " << r.bar.Range << " " << r.bar.Position);
        const TFlatScrollSpan t = r.bar.Thumb();
        EXPECT_EQ(t.Empty() ? TFlatScrollSpan{} : t, r.thumb);
    }
    EXPECT_EQ((TFlatScrollBar{20, 16, 200, 100, 0}.ArrowLength()), 10);
}

TEST(FlatScrollBar, HitTestFindsArrowsTrackAndThumb) {
    using P = TFlatScrollPart;
    struct Row {
        TFlatScrollBar bar;
        int32_t along;
        P part;
    } rows[] = {
        {Bar(50), -1, P::None},     {Bar(50), 0, P::LineUp},     {Bar(50), 15, P::LineUp},
        {Bar(50), 16, P::PageUp},   {Bar(50), 32, P::PageUp},    {Bar(50), 33, P::Thumb},
        {Bar(50), 66, P::Thumb},    {Bar(50), 67, P::PageDown},  {Bar(50), 83, P::PageDown},
        {Bar(50), 84, P::LineDown}, {Bar(50), 99, P::LineDown},  {Bar(50), 100, P::None},
        {Bar(0), 16, P::Thumb},     {Bar(0, 200, 40), 20, P::None}, {Bar(0, 200, 40), 39, P::LineDown},
    };
    for (const Row& r : rows) EXPECT_EQ(r.bar.HitTest(r.along), r.part) << r.bar.Position << " at " << r.along;
}

TEST(FlatScrollBar, StepsAndDragsStayWithinTheContent) {
    using P = TFlatScrollPart;
    struct Step {
        int32_t from;
        P part;
        int32_t to;
    } steps[] = {
        {50, P::LineUp, 37}, {50, P::LineDown, 63}, {5, P::LineUp, 0},    {95, P::LineDown, 100},
        {50, P::PageUp, 0},  {30, P::PageDown, 100}, {50, P::Thumb, 50}, {0, P::None, 0},
    };
    for (const Step& s : steps) EXPECT_EQ(Bar(s.from).Stepped(s.part, 13), s.to) << s.from << " " << int(s.part);

    struct Drag {
        TFlatScrollBar bar;
        int32_t from, pixels, to;
    } drags[] = {
        {Bar(0), 0, 17, 50},           {Bar(0), 0, 34, 100},         {Bar(0), 0, 1000, 100},
        {Bar(0), 0, -5, 0},            {Bar(0), 50, -17, 0},         {Bar(0), 37, 0, 37},
        {Bar(0), 37, 1, 41},  // the thumb moves a pixel: about three of the content's
        {Bar(0, 10000), 0, 58, 9900}, {Bar(0, 10000), 0, 29, 4950},
        {Bar(0, 200, 40), 30, 10, 30},  // no thumb: nothing to drag
    };
    for (const Drag& d : drags)
        EXPECT_EQ(d.bar.DraggedBy(d.from, d.pixels), d.to) << d.bar.Range << " " << d.from << " by " << d.pixels;
}

TEST(FlatScrollBar, LayoutShowsABarOnlyWhereTheContentDoesNotFit) {
    struct Row {
        int32_t contentWidth, contentHeight;
        bool vertical, horizontal;
    } rows[] = {
        {100, 100, false, false}, {80, 300, true, false}, {90, 300, true, true},
        {300, 80, false, true},   {300, 90, true, true},  {84, 300, true, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << r.contentWidth << "x" << r.contentHeight);
        const TFlatScrollLayout l = LayoutFlatScrollBars(100, 100, r.contentWidth, r.contentHeight, 16);
        EXPECT_EQ(l.HasVertical, r.vertical);
        EXPECT_EQ(l.HasHorizontal, r.horizontal);
        const int32_t right = r.vertical ? 84 : 100, bottom = r.horizontal ? 84 : 100;
        EXPECT_EQ(l.View, (TRect{0, 0, right, bottom}));
        EXPECT_EQ(l.VerticalBar, (r.vertical ? TRect{84, 0, 100, bottom} : TRect{}));
        EXPECT_EQ(l.HorizontalBar, (r.horizontal ? TRect{0, 84, right, 100} : TRect{}));
        EXPECT_EQ(l.Corner, (r.vertical && r.horizontal ? TRect{84, 84, 100, 100} : TRect{}));
        EXPECT_EQ(l.Vertical.Length, bottom);
        EXPECT_EQ(l.Vertical.Page, bottom);
        EXPECT_EQ(l.Vertical.Range, r.contentHeight);
        EXPECT_EQ(l.Horizontal.Length, right);
        EXPECT_EQ(l.Horizontal.Range, r.contentWidth);
    }
}

}  // namespace
}  // namespace tessel
