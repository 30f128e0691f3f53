// Drawing of CPlotView: margins, plot area, titles, frame with ticks, grid, tick labels, the
// objects, the selection mark, the legend and the zoom rectangle, in that order.
#include <algorithm>

#include "plot/CPlotView.h"

namespace vornex {

namespace {

Size measured(Canvas& canvas, const AttributedString& text) {
    return text.empty() ? Size{} : canvas.measureText(text);
}

}  // namespace

void CPlotView::drawRect(Canvas& canvas) {
    canvas.saveGraphicsState();
    const Rect b = bounds();
    canvas.setColor(mBackColor);
    canvas.fillRect(b);
    canvas.setColor(Color::gray());
    canvas.frameRect(b);

    PlotAxis xAxis = makeXAxis(), yAxis = makeYAxis();
    measureAndPlaceAxes(canvas, xAxis, yAxis);

    const Rect plot = getPlotRect();
    canvas.setColor(mForeColor);
    canvas.fillRect(plot);
    canvas.setColor(Color::black());

    const Size xTitle = measured(canvas, mXLabelText), yTitle = measured(canvas, mYLabelText);
    if (!mXLabelText.empty())
        canvas.drawText(mXLabelText, Point{plot.x() + plot.width() / 2 - xTitle.width / 2, 5});
    if (!mYLabelText.empty())
        drawYLabel(canvas, static_cast<float>(plot.y() + plot.height() / 2 - yTitle.width / 2),
                   static_cast<float>(-5 - yTitle.height));

    drawFrameTicksAndGrid(canvas, xAxis, yAxis);
    drawTickLabels(canvas, xAxis, yAxis);

    for (auto& object : mObjects) object->render(canvas);
    drawSelectionMark(canvas);
    mLegendBox->render(canvas);

    if (!mTrackingRect.isZero()) {
        canvas.setColor(Color::knob());
        canvas.frameRect(mTrackingRect);
    }
    canvas.restoreGraphicsState();
}

void CPlotView::drawYLabel(Canvas& canvas, float a, float b) {
    canvas.saveGraphicsState();
    canvas.concat(AffineTransform::rotationDegrees(90));
    canvas.drawText(mYLabelText, Point{a, b});
    canvas.restoreGraphicsState();
}

// The size of the widest label an axis can draw: its sample, or any tick's label at the
// decimals of the tick step (labels further apart carry no more decimals than that).
Size CPlotView::widestLabel(Canvas& canvas, const PlotAxis& axis) const {
    const int decimals = PlotAxis::decimalsFor(axis.step());
    Size widest = canvas.measureText(axis.sampleLabel(decimals), mTicksAttributes);
    for (double t : axis.ticks()) {
        const Size size = canvas.measureText(axis.label(t, decimals), mTicksAttributes);
        widest.width = std::max(widest.width, size.width);
        widest.height = std::max(widest.height, size.height);
    }
    return widest;
}

void CPlotView::measureAndPlaceAxes(Canvas& canvas, PlotAxis& xAxis, PlotAxis& yAxis) {
    const Size xTitle = measured(canvas, mXLabelText), yTitle = measured(canvas, mYLabelText);
    // The titles lie beyond the widest labels, so that no label runs into them.
    const Size xSample = widestLabel(canvas, xAxis), ySample = widestLabel(canvas, yAxis);
    mMarginBottom = static_cast<float>(xTitle.height + xSample.height + 25);
    mMarginLeft = static_cast<float>(ySample.width + yTitle.height + 25);
    const Rect plot = getPlotRect();
    xAxis.fit(static_cast<float>(plot.x()), static_cast<float>(plot.width()));
    yAxis.fit(static_cast<float>(plot.y()), static_cast<float>(plot.height()));
    mXAxis = xAxis;
    mYAxis = yAxis;
}

void CPlotView::drawFrameTicksAndGrid(Canvas& canvas, const PlotAxis& xAxis,
                                      const PlotAxis& yAxis) {
    const Rect plot = getPlotRect();
    const double x0 = plot.x(), y0 = plot.y(), w = plot.width(), h = plot.height();
    BezierPath frame;
    frame.moveTo({x0, y0 + h});
    frame.lineTo({x0, y0});
    frame.lineTo({x0 + w, y0});
    frame.lineTo({x0 + w, y0 + h});
    frame.lineTo({x0, y0 + h});
    frame.setLineWidth(1.0);

    const std::vector<double> xTicks = xAxis.ticks(), yTicks = yAxis.ticks();
    for (double t : xTicks) {
        double px = xAxis.viewOf(t);
        frame.moveTo({px, y0});
        frame.lineTo({px, y0 - 5});
    }
    for (double t : yTicks) {
        double py = yAxis.viewOf(t);
        frame.moveTo({x0, py});
        frame.lineTo({x0 - 5, py});
    }

    if (mDrawGrid) {
        canvas.saveGraphicsState();
        canvas.setColor(mIsPrinting ? Color::lightGray() : Color::black());
        auto gridLine = [&canvas](Point from, Point to) {
            BezierPath line = BezierPath::withLine(from, to);
            line.setLineDash({5, 2}, 0.0);
            line.setLineWidth(0.3);
            canvas.stroke(line);
        };
        for (double t : xTicks) {
            double px = xAxis.viewOf(t);
            gridLine({px, y0 - 5}, {px, y0 + h});
        }
        for (double t : yTicks) {
            double py = yAxis.viewOf(t);
            gridLine({x0 - 5, py}, {x0 + w, py});
        }
        canvas.restoreGraphicsState();
    }
    canvas.setColor(Color::black());
    canvas.stroke(frame);
}

void CPlotView::drawTickLabels(Canvas& canvas, const PlotAxis& xAxis, const PlotAxis& yAxis) {
    const Rect plot = getPlotRect();
    // Labels carry the fewest decimals that tell neighbouring labels apart (500, not 500.0),
    // those of the step between them, the same at every zoom; the widest a tick step can
    // need sizes the spacing.
    const Size xSample = widestLabel(canvas, xAxis), ySample = widestLabel(canvas, yAxis);
    const float xExtent = static_cast<float>(xSample.width);
    const std::vector<double> xLabels = xAxis.labelTicks(xExtent, false);
    const int xDecimals = PlotAxis::decimalsFor(xAxis.labelStep(xExtent, false));
    for (double t : xLabels) {
        AttributedString text(xAxis.label(t, xDecimals), mTicksAttributes);
        // Each label centred under its tick: a short one ("0" against a sample "1200") would
        // otherwise sit left of it.
        Size size = canvas.measureText(text);
        double px = xAxis.viewOf(t);
        canvas.drawText(text, Rect(px - size.width / 2, mMarginBottom - 15 - xSample.height,
                                   size.width, xSample.height));
    }
    const float yExtent = static_cast<float>(ySample.height);
    const std::vector<double> yLabels = yAxis.labelTicks(yExtent, true);
    const int yDecimals = PlotAxis::decimalsFor(yAxis.labelStep(yExtent, true));
    for (double t : yLabels) {
        AttributedString text(yAxis.label(t, yDecimals), mTicksAttributes);
        Size size = canvas.measureText(text);
        double py = yAxis.viewOf(t);
        canvas.drawText(text, Rect(plot.x() - 10 - size.width, py - ySample.height / 2, size.width,
                                   size.height));
    }
}

void CPlotView::drawSelectionMark(Canvas& canvas) {
    if (!mIsSelectingPointVisible || mIsPrinting) return;
    const bool inX = mCurMinX <= mSelectedPointX && mSelectedPointX <= mCurMaxX;
    const bool inY = mCurMinY <= mSelectedPointY && mSelectedPointY <= mCurMaxY;
    if (!inX || !inY) return;
    const double px = getXValue(mSelectedPointX), py = getYValue(mSelectedPointY);
    BezierPath mark = BezierPath::withOval(Rect(px - 5, py - 5, 10, 10));
    mark.moveTo({px, py - 5});
    mark.lineTo({px, py + 5});
    mark.moveTo({px - 5, py});
    mark.lineTo({px + 5, py});
    mark.setLineWidth(1.0);
    canvas.setColor(Color::black());
    canvas.stroke(mark);
}

}  // namespace vornex
