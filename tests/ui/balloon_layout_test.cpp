// The balloon's portable half: the parameter text, where it opens and how its content is laid
// out, measured with a fixed-width fake font (6 pixels a character, 7 bold, 13 high).
#include <gtest/gtest.h>

#include <string>

#include "base/errors.h"
#include "base/text.h"
#include "ui/balloon_content.h"
#include "ui/balloon_params.h"
#include "ui/balloon_placement.h"
#include "ui/balloon_text.h"
#include "ui/dpi_scale.h"

namespace tessel {
namespace {

class FixedFont final : public ITextMeasure {
public:
    // At another resolution the fake font's sizes grow with it, as a real font's do.
    explicit FixedFont(int32_t dpi = 96) : dpi_(dpi) {}
    TCanvasFont& Font() override { return font_; }
    TTextSize TextExtent(std::u16string_view text) override {
        int32_t chars = 0;
        for (char16_t c : text) chars += (c < 0xDC00 || c > 0xDFFF) ? 1 : 0;  // a surrogate pair is one
        return {chars * (font_.Bold ? 7 : 6) * dpi_ / 96, 13 * dpi_ / 96};
    }

private:
    TCanvasFont font_;
    int32_t dpi_;
};

std::string Params(int kind, const std::string& title, int best, int maxW, int maxH) {
    std::string p;
    AppendBalloonParam(p, "IconeResName", BalloonIconName(kind));
    AppendBalloonParam(p, "Title", title);
    AppendBalloonParam(p, "Text", "ignored");
    AppendBalloonParam(p, "MainPanelBestWidth", std::to_string(best));
    AppendBalloonParam(p, "MainPanelMaxWidth", std::to_string(maxW));
    AppendBalloonParam(p, "MainPanelMaxHeight", std::to_string(maxH));
    return p;
}

TBalloonContent Layout(int kind, const std::u16string& title, const std::u16string& text, int maxW = 600,
                       int maxH = 400) {
    FixedFont font;
    return BuildContent(font, Params(kind, title.empty() ? "" : "t", 300, maxW, maxH), title, text);
}

std::u16string Repeat(const std::u16string& piece, int n) {
    std::u16string s;
    for (int i = 0; i < n; ++i) s += piece;
    return s;
}

TEST(BalloonParams, QuotedEntriesRoundTripWithQuotesAndSeparatorsInValues) {
    std::string p;
    AppendBalloonParam(p, "Title", "it's 'x'; y=z");
    AppendBalloonParam(p, "Text", "");
    EXPECT_EQ(p, "'Title=it''s ''x''; y=z';'Text='");
    const auto entries = ParseBalloonParams(p);
    EXPECT_EQ(entries.at("Title"), "it's 'x'; y=z");
    EXPECT_EQ(entries.at("Text"), "");
    try {
        BalloonParamInteger(ParseBalloonParams("'MainPanelBestWidth=30x'"), "MainPanelBestWidth");
        FAIL() << "no conversion error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'30x' is not a valid integer value");
    }
}

const TRect kScreen{0, 0, 1280, 800};

TRect Anchor(int x, int y) { return {x, y, x + 1, y + 1}; }

TEST(BalloonPlacement, RequestedThenCyclicOrderThenLargestArea) {
    struct Case {
        const char* what;
        TRect anchor;
        TBalloonSize panel;
        int requested, expected;
    } cases[] = {
        {"room everywhere", Anchor(600, 300), {200, 100}, 2, 2},
        // Top-left corner: no room to the left, so 3 (below, right) comes next.
        {"top-left corner", Anchor(5, 5), {200, 100}, 2, 3},
        // No room below: 3 fails, then 0 is tried before 1 although both fit.
        {"bottom edge wraps to 0", Anchor(600, 780), {200, 100}, 2, 0},
        {"right edge", Anchor(1275, 300), {200, 100}, 3, 0},
        // Fits nowhere: the largest area, bottom-right of a spot near the top-left.
        {"too large", Anchor(100, 60), {2000, 2000}, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ChoosePlacement(c.requested, c.panel, BalloonRooms(c.anchor, kScreen)), c.expected);
    }
}

TEST(BalloonPlacement, RoomsAreTakenFromTheMonitorOfTheSpot) {
    const TRect second{1280, -200, 2560, 824};
    const TBalloonRooms rooms = BalloonRooms(Anchor(1290, 0), second);
    EXPECT_EQ(rooms.Left, 20);    // 10 from the monitor's left edge, plus the arrow's offset, less the margin
    EXPECT_EQ(rooms.Top, 170);
    EXPECT_EQ(rooms.Right, 1280);
    EXPECT_EQ(rooms.Bottom, 794);
    EXPECT_EQ(MaxContentSize(rooms, second), (TBalloonSize{1279, 794}));  // no wider than the monitor
}

TEST(BalloonPlacement, ArrowTipTouchesTheSpotAndTheWindowStaysOnScreen) {
    for (int placement = 0; placement < 4; ++placement) {
        for (const TBalloonSize panel : {TBalloonSize{200, 100}, TBalloonSize{5, 5}}) {
            SCOPED_TRACE(placement);
            const TRect anchor = Anchor(600, 400);
            const TBalloonFrame f = BalloonFrame(placement, panel, anchor, kScreen);
            const TBalloonShape shape = BalloonShape(placement, f.Window.Width(), f.Window.Height());
            const bool above = placement < 2;
            const TBalloonPoint tip = shape.Arrow[1 - (above ? 0 : 1)];
            const int ax = placement % 2 == 0 ? anchor.Left : anchor.Right;
            const int ay = above ? anchor.Top : anchor.Bottom;
            EXPECT_EQ(f.Window.Left + tip.X, ax);
            EXPECT_EQ(f.Window.Top + tip.Y, ay);
            // The triangle's base lies on the body's edge on the arrow's side, inside its width.
            for (const TBalloonPoint& p : shape.Arrow) {
                if (p == tip) continue;
                EXPECT_EQ(p.Y, above ? shape.Body.Bottom - 2 : shape.Body.Top);
                EXPECT_GE(p.X, shape.Body.Left);
                EXPECT_LE(p.X, shape.Body.Right);
            }
            // The panel fits between the arrow and the window's far edge.
            EXPECT_GE(f.Window.Width(), panel.Width + 1);
            EXPECT_EQ(f.Window.Height() - (above ? kArrowHeight - 1 : f.PanelTop + 1), panel.Height);
        }
    }
    // At the screen's edges and on a screen smaller than the balloon, it stays fully visible.
    const TRect tiny{0, 0, 60, 40};
    for (const TRect& screen : {kScreen, tiny}) {
        for (const TRect& anchor : {Anchor(0, 0), Anchor(screen.Right - 1, 0), Anchor(0, screen.Bottom - 1),
                                    Anchor(screen.Right - 1, screen.Bottom - 1)}) {
            const TBalloonRooms rooms = BalloonRooms(anchor, screen);
            const TBalloonSize max = MaxContentSize(rooms, screen);
            const int placement = ChoosePlacement(2, max, rooms);
            const TRect w = BalloonFrame(placement, max, anchor, screen).Window;
            // Inside the screen, or, where it is larger, from the screen's left or top edge.
            EXPECT_GE(w.Left, screen.Left);
            EXPECT_GE(w.Top, screen.Top);
            EXPECT_TRUE(w.Right <= screen.Right || w.Left == screen.Left);
            EXPECT_TRUE(w.Bottom <= screen.Bottom || w.Top == screen.Top);
        }
    }
}

TEST(BalloonContent, TitleIconAndTextPositionsForEachKind) {
    struct Case {
        int kind;
        std::u16string title;
        int titleLeft, textTop;
    } cases[] = {
        {3, u"Wednesday 01-13", 10, 12 + 13 + 8},
        {3, u"", 0, 10},
        {0, u"Info", 34, 26 + 8},  // the icon reaches lower than the title
        {1, u"", 0, 26 + 8},
        {2, u"W", 34, 26 + 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const TBalloonContent content = Layout(c.kind, c.title, u"Lunch");
        EXPECT_EQ(content.IconName, BalloonIconName(c.kind));
        if (!content.IconName.empty()) {
            EXPECT_EQ(content.Icon, (TRect{10, 10, 26, 26}));
        }
        EXPECT_EQ(content.HasTitle, !c.title.empty());
        if (content.HasTitle) {
            EXPECT_EQ(content.Title.Left, c.titleLeft);
        }
        EXPECT_EQ(content.Text.Top, c.textTop);
        EXPECT_FALSE(content.Scrolls);
        // A one-line text: as wide as the text, or the title when that is wider, plus margins.
        const int32_t textRight = 10 + 5 * 6;
        EXPECT_EQ(content.PanelWidth, std::max(textRight, content.HasTitle ? content.Title.Right : 0) + 10);
        EXPECT_EQ(content.PanelHeight, c.textTop + 13 + 10);
    }
}

TEST(BalloonContent, TooTallTextWidensThenNarrowsWhileItFits) {
    // 200 words of 30 pixels: 9 a line at the best width (far too tall), 19 at the widest.
    const std::u16string text = Repeat(u"abcd ", 200);
    const TBalloonContent c = Layout(3, u"", text, 600, 220);
    EXPECT_FALSE(c.Scrolls);
    EXPECT_LE(c.PanelHeight, 220);
    EXPECT_GT(c.Text.Width(), 300 - 20);
    EXPECT_LT(c.Text.Width(), 580);
    // 10 pixels narrower would no longer fit the height.
    FixedFont font;
    TWrappedText wrapped(font, text);
    EXPECT_GE(10 + wrapped.SizeAt(c.Text.Width() - 10).Height + 10, 220);
    EXPECT_EQ(int(c.TextLines.size()) * 13, c.Text.Height());
}

TEST(BalloonContent, ContentThatFitsNeitherWayScrollsWithinTheLargestSize) {
    struct Case {
        const char* what;
        std::u16string title, text;
    } cases[] = {
        {"500 events", u"Monday 03-01", Repeat(u"09:00AM-10:00AM - Meeting with the team\r", 500)},
        {"10,000-character title", Repeat(u"T", 10000), u"one line"},
        {"one word of 5000 characters", u"", Repeat(u"x", 5000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TBalloonContent content = Layout(3, c.title, c.text, 400, 300);
        EXPECT_TRUE(content.Scrolls);
        EXPECT_LE(content.PanelWidth, 400);
        EXPECT_LE(content.PanelHeight, 300);
        EXPECT_GE(content.ScrollHeight, content.Text.Top + int32_t(content.TextLines.size()) * 13);
        EXPECT_GE(content.ScrollWidth, content.HasTitle ? content.Title.Right : content.Text.Right);
    }
}

TEST(BalloonText, WrappingKeepsEveryCharacterAndNeverSplitsAPair) {
    // Tabs, ampersands, right-to-left letters and a character outside the basic plane.
    const std::u16string text = u"a\tb && c\r\n\u05E9\u05DC\u05D5\u05DD \U0001F600\U0001F600\U0001F600xyz\rend";
    FixedFont font;
    const TWrappedText wrapped(font, text);
    for (int width : {0, 1, 13, 30, 1000}) {
        SCOPED_TRACE(width);
        std::u16string joined;
        for (const std::u16string& line : wrapped.LinesAt(width)) {
            EXPECT_FALSE(!line.empty() && line.back() >= 0xD800 && line.back() <= 0xDBFF) << "a pair was split";
            if (width > 0) {
                EXPECT_LE(font.TextWidth(line), std::max(width, 12)) << Narrow(line);
            }
            joined += line;
        }
        std::u16string letters, expected;
        for (char16_t ch : joined)
            if (ch != u' ') letters += ch;
        for (char16_t ch : text)
            if (ch != u' ' && ch != u'\t' && ch != u'\r' && ch != u'\n') expected += ch;
        EXPECT_EQ(letters, expected);
    }
    EXPECT_EQ(wrapped.LinesAt(0).front(), u"a       b && c");  // the tab stops at 8 characters
}

// The same balloon at each resolution: its content and its window grow with the resolution
// (icon, margins, the best width the text wraps at, arrow), within a pixel or two of rounding.
// The fake font is exact at 144 and 192 DPI only (at 120 its characters would be 7.5 pixels wide,
// and texts measured piece by piece would wrap differently); 120 is in the scaling tests.
TEST(BalloonLayout, ContentAndWindowScaleWithTheResolution) {
    const std::u16string text = Repeat(u"Team stand-up at nine ", 20);
    const auto at = [&](int32_t dpi) {
        FixedFont font(dpi);
        const TBalloonContent c = BuildContent(font, Params(0, "t", 300, 2000, 2000), u"12-08 today events:", text, dpi);
        const TRect screen{0, 0, 4000, 3000};
        const TRect anchor{1000, 1000, 1001, 1001};
        const TBalloonMetrics m = TBalloonMetrics::At(dpi);
        const TBalloonFrame f = BalloonFrame(2, {c.PanelWidth, c.PanelHeight}, anchor, screen, m);
        return std::pair{c, f};
    };
    const auto [c96, f96] = at(96);
    for (int32_t dpi : {144, 192}) {
        SCOPED_TRACE(dpi);
        const auto [c, f] = at(dpi);
        const double k = dpi / 96.0;
        EXPECT_EQ(c.Icon, (TRect{ScaleToDpi(10, dpi), ScaleToDpi(10, dpi), ScaleToDpi(26, dpi), ScaleToDpi(26, dpi)}));
        EXPECT_NEAR(c.Title.Left, c96.Title.Left * k, 1.5);
        EXPECT_NEAR(c.Text.Top, c96.Text.Top * k, 2.5);
        EXPECT_EQ(c.TextLines.size(), c96.TextLines.size()) << "the text wraps at the same words";
        EXPECT_NEAR(c.PanelWidth, c96.PanelWidth * k, 3);
        EXPECT_NEAR(c.PanelHeight, c96.PanelHeight * k, 3 + k * c96.TextLines.size());
        EXPECT_NEAR(f.Window.Width(), f96.Window.Width() * k, 3);
        EXPECT_NEAR(f.PanelTop, f96.PanelTop * k, 2);
        // Below and to the left: the arrow's tip, its offset scaled from the right edge, is at the spot.
        EXPECT_EQ(f.Window.Right - TBalloonMetrics::At(dpi).ArrowOffset, 1000);
        const TBalloonShape shape = BalloonShape(2, f.Window.Width(), f.Window.Height(), TBalloonMetrics::At(dpi));
        EXPECT_EQ(shape.Arrow[0].X, f.Window.Width() - ScaleToDpi(20, dpi));
        EXPECT_EQ(PanelShape({c.PanelWidth, c.PanelHeight}, TBalloonMetrics::At(dpi)).Left, ScaleToDpi(1, dpi));
    }
}

}  // namespace
}  // namespace tessel
