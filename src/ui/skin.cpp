#include "ui/skin.h"

#include <algorithm>
#include <utility>

#include "base/colors.h"
#include "base/strict_int.h"
#include "ui/dpi_scale.h"
#include "xml/xdata_node.h"

namespace tessel {

namespace {

void ReadBandValue(const TxdataNode& node, std::u16string_view name, int32_t& value) {
    const std::u16string text = node.GetAttribute(name);
    if (!text.empty()) value = StrToInt(text);
}

void ReadBand(const TxdataNode& root, std::u16string_view element, TSkinBand& band) {
    const TxdataNode* node = root.FindNode(element);
    if (!node) {
        band = TSkinBand();
        return;
    }
    ReadBandValue(*node, u"len", band.Len);
    ReadBandValue(*node, u"margin1", band.Margin1);
    ReadBandValue(*node, u"margin2", band.Margin2);
    band.Horz = node->GetAttribute(u"horz") == u"1";
}

// Pixels at least half opaque belong to the window; the anti-aliased rim outside goes.
constexpr uint8_t kShapeAlpha = 128;
// Dark enough under the light theme fonts, and still the theme's hue.
constexpr uint32_t kPlainShadePercent = 50;

}  // namespace

TSkin::TSkin() = default;

TSkin::~TSkin() {
    // The attachment refers to this skin from the window procedure: it goes first.
    attachment_.reset();
}

void TSkin::Load(const TTheme& theme) {
    designImage_ = theme.Background;
    LoadBands(*theme.Doc);
    // Today's cell and the event list's heading are filled with the title colour: a background in
    // that colour too would hide them, so the plain one is a darker shade of it.
    plainColor_ = ShadeOf(theme.TitleColor, kPlainShadePercent);
    ++imageVersion_;
}

void TSkin::LoadBands(const TxdataNode& root) {
    // A band read only in part keeps the rest of what it had: the bands as designed, so the
    // scale is applied once.
    try {
        ReadBand(root, u"left", designBands_.Left);
        ReadBand(root, u"right", designBands_.Right);
        ReadBand(root, u"top", designBands_.Top);
        ReadBand(root, u"bottom", designBands_.Bottom);
    } catch (...) {
        Rescale();
        throw;
    }
    Rescale();
}

void TSkin::SetDpi(int32_t dpi) {
    dpi = UsableDpi(dpi);
    if (dpi == dpi_) return;
    dpi_ = dpi;
    Rescale();
}

void TSkin::Rescale() {
    LeftBand = ScaleBand(designBands_.Left, dpi_);
    RightBand = ScaleBand(designBands_.Right, dpi_);
    TopBand = ScaleBand(designBands_.Top, dpi_);
    BottomBand = ScaleBand(designBands_.Bottom, dpi_);
    image_ = ScaleImageToDpi(designImage_, dpi_);
    // Windows keep a copy of the image made for the size they drew; they draw a new one.
    ++imageVersion_;
}

std::vector<TSkinBlit> TSkin::Plan(int32_t width, int32_t height) const {
    if (image_.Empty()) return {};
    return PlanSkin(Bands(), image_.Width, image_.Height, width, height);
}

std::vector<TRect> TSkin::Shape(int32_t width, int32_t height) const {
    const std::vector<TSkinBlit> plan = Plan(width, height);
    bool anyClear = false;
    for (size_t i = 3; i < image_.Bgra.size() && !anyClear; i += 4) anyClear = image_.Bgra[i] < kShapeAlpha;
    if (plan.empty() || !anyClear) return {};

    std::vector<TRect> shape;
    std::vector<TRect> previousRow;
    size_t previousStart = 0;  // where the previous row's rectangles begin in shape
    std::vector<TRect> row;
    for (int32_t y = 0; y < height; ++y) {
        row.clear();
        int32_t runStart = -1;
        for (int32_t x = 0; x <= width; ++x) {
            bool solid = false;
            if (x < width) {
                solid = true;  // a pixel no piece covers shows the plain colour
                for (auto it = plan.rbegin(); it != plan.rend(); ++it) {
                    if (!it->Dest.Contains(x, y)) continue;
                    int32_t sx = 0, sy = 0;
                    MapToSource(*it, x, y, sx, sy);
                    solid = image_.AlphaAt(sx, sy) >= kShapeAlpha;
                    break;
                }
            }
            if (solid && runStart < 0) runStart = x;
            if (!solid && runStart >= 0) {
                row.push_back({runStart, y, x, y + 1});
                runStart = -1;
            }
        }
        const bool sameRuns = !previousRow.empty() && previousRow.size() == row.size() &&
                              std::equal(row.begin(), row.end(), previousRow.begin(), [](const TRect& a, const TRect& b) {
                                  return a.Left == b.Left && a.Right == b.Right;
                              });
        if (sameRuns) {
            for (size_t i = previousStart; i < shape.size(); ++i) shape[i].Bottom = y + 1;
        } else {
            previousStart = shape.size();
            shape.insert(shape.end(), row.begin(), row.end());
        }
        previousRow = row;
    }
    // A wholly transparent image would make the window vanish: it keeps its rectangle instead.
    if (shape.empty()) return {};
    return shape;
}

void TSkin::SetAttachment(std::unique_ptr<ISkinAttachment> attachment) {
    attachment_.reset();
    attachment_ = std::move(attachment);
}

}  // namespace tessel
