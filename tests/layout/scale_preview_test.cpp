// The scale dialog's preview: the placements it scales, the view scale and
// frame that show them, and the scaled paths centred on the unscaled ones.
#include "layout/scale_preview.h"

#include <algorithm>

#include "layout_fixture.h"

namespace {

using ScalePreviewTest = LayoutTest;

TEST_F(ScalePreviewTest, ScaledPathsStayCentredOnTheUnscaledOnesInTheFrame) {
    const int box = MakeRectBox(2, 3, 30, 20);
    PlacePoints(box, {{0, 0}, {4, 0}, {4, 2}, {0, 2}}, 5, 5, {3});  // a stop before point 3
    const std::vector<LayoutNode*> nodes = PreviewedPlacements(patternLayout);
    ASSERT_EQ(nodes, std::vector<LayoutNode*>{patternLayout});
    const PlacementSpan span = SpanOfPlacements(nodes);
    ASSERT_TRUE(span.Valid());
    EXPECT_EQ(span.CentreX(), 7);
    EXPECT_EQ(span.CentreY(), 6);
    // The span's centre lands in the middle of the area below the band.
    const PreviewFrame frame = ScalePreviewFrame(span, 0.5f, 200, 116);
    EXPECT_EQ(frame.PixelX(7.0f), 100);
    EXPECT_EQ(frame.PixelY(6.0f), 16 + 50);

    const ScalePreviewPaths same = ScaledPreviewPaths(nodes, 100, 100, frame);
    const ScalePreviewPaths paths = ScaledPreviewPaths(nodes, 200, 50, frame);
    EXPECT_EQ(std::vector<double>({paths.minX, paths.minY, paths.maxX, paths.maxY}),
              std::vector<double>({96, 64, 104, 68}));
    // Points as x, y, start; unscaled only x.
    std::vector<double> got, unscaled;
    for (size_t i = 0; i < paths.points.size() && i < same.points.size(); i++) {
        got.insert(got.end(), {paths.points[i].x, paths.points[i].y, 1.0 * paths.points[i].start});
        unscaled.push_back(same.points[i].x);
    }
    EXPECT_EQ(got, (std::vector<double>{92, 65, 1, 108, 65, 0, 108, 67, 1, 92, 67, 0}));
    EXPECT_EQ(unscaled, (std::vector<double>{96, 104, 104, 96}));
    // The box outline: its origin at the frame's origin.
    const std::vector<ScalePreviewPoint> outline =
        ScalePreviewBoxOutline(*GetPatternBox(box), frame);
    ASSERT_EQ(outline.size(), 4u);
    EXPECT_TRUE(outline[0].start && !outline[3].start);
    auto [left, right] = std::minmax_element(
        outline.begin(), outline.end(), [](auto& a, auto& b) { return a.x + a.y < b.x + b.y; });
    EXPECT_EQ(std::make_pair(left->x, left->y), std::make_pair(86.0, 54.0));
    EXPECT_EQ(std::make_pair(right->x, right->y), std::make_pair(146.0, 94.0));
    EXPECT_TRUE(ScalePreviewBoxOutline(PatternBox{}, frame).empty());
}

TEST_F(ScalePreviewTest, AnArrayIsPreviewedWholeAndFillsThePreview) {
    const int box = MakeRectBox(0, 0, 30, 20);
    const int slot = PlacePoints(box, {{0, 0}, {4, 0}, {4, 2}}, 1, 1);
    AppendLayoutNode(slot, -1, 0, 20, 20, box);
    LayoutNode* first = AppendLayoutNode(slot, 3, 1, 2, 1, box);
    LayoutNode* second = AppendLayoutNode(slot, 3, 0, 10, 1, box);
    EXPECT_EQ(PreviewedPlacements(second), (std::vector<LayoutNode*>{first, second}));
    const PlacementSpan span = SpanOfPlacements({first, second});
    EXPECT_EQ(std::vector<float>({span.minX, span.minY, span.maxX, span.maxY}),
              std::vector<float>({2, 1, 14, 3}));
    // 320 x 240: the height column and the borders take 54 pixels across, the
    // controls below 90; a tiny dialog still gets 40 x 40.
    const PreviewSize preview = ScalePreviewSize(320, 240), tiny = ScalePreviewSize(60, 100);
    EXPECT_EQ((std::vector<int>{preview.width, preview.height, tiny.width, tiny.height}),
              (std::vector<int>{266, 150, 40, 40}));
    EXPECT_FLOAT_EQ(ScalePreviewViewScale(span, preview), 13.0f / 266);  // width decides
    EXPECT_FLOAT_EQ(ScalePreviewViewScale(span, PreviewSize{1000, 66}), 3.0f / 50);  // height
    EXPECT_FLOAT_EQ(ScalePreviewViewScale(span, PreviewSize{20000, 20000}), 0.001f);

    LayoutNode orphan;
    orphan.patternIndex = 45;  // no pattern loaded there
    EXPECT_FALSE(SpanOfPlacements({&orphan}).Valid());
    EXPECT_TRUE(ScaledPreviewPaths({&orphan}, 100, 100, PreviewFrame{}).points.empty());
}

TEST_F(ScalePreviewTest, LockedPercentsMoveTogetherAndAreShownAsText) {
    ScalePercents percents;
    EXPECT_EQ(ScalePercentText(percents), "W 100 %   H 100 %");
    percents.Set(true, 130, true);
    percents.Set(false, 90.4, false);
    EXPECT_EQ(ScalePercentText(percents), "W 130 %   H 90 %");
    percents.Set(false, 250, true);
    EXPECT_EQ(percents.width, 250);
}

}  // namespace
