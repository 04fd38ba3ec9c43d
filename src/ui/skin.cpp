#include "ui/skin.h"

#include <utility>

#include "base/strict_int.h"
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

}  // namespace

TSkin::TSkin() = default;

TSkin::~TSkin() {
    // The attachment refers to this skin from the window procedure: it goes first.
    attachment_.reset();
}

void TSkin::Load(const TTheme& theme) {
    LoadBands(*theme.Doc);
    image_ = theme.Background;
    plainColor_ = theme.TitleColor;
    ++imageVersion_;
}

void TSkin::LoadBands(const TxdataNode& root) {
    ReadBand(root, u"left", LeftBand);
    ReadBand(root, u"right", RightBand);
    ReadBand(root, u"top", TopBand);
    ReadBand(root, u"bottom", BottomBand);
}

std::vector<TSkinBlit> TSkin::Plan(int32_t width, int32_t height) const {
    if (image_.Empty()) return {};
    return PlanSkin(Bands(), image_.Width, image_.Height, width, height);
}

void TSkin::SetAttachment(std::unique_ptr<ISkinAttachment> attachment) {
    attachment_.reset();
    attachment_ = std::move(attachment);
}

}  // namespace tessel
