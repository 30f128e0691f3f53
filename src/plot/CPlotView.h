// CPlotView: the x–y plot. An ordered list of graph objects in data coordinates drawn inside a
// framed plot rectangle with two axes (linear or base-10 logarithmic), ticks, tick labels, axis
// titles, an optional grid, a legend, a selection mark and a zoom rectangle. It keeps three
// sets of ranges: default (reset), current (shown) and maximum (the limit of zooming).
//
// The view draws itself into any Canvas of its bounds' size (drawRect); a window only forwards
// mouse events and shows what it draws. Range changes post "AxisPlotChanged" and selecting
// clicks "PlotSelection" to the notification centre, with the view as object. Undoable
// commands (zoom, range resets, legend moves, fonts, sizes) register their inverse with the
// document's undo manager before they change anything. All data values and view coordinates
// are 32-bit floats; view coordinates have their origin at the lower left, y up.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "platform/Color.h"
#include "platform/Event.h"
#include "platform/FileCanvas.h"
#include "platform/Font.h"
#include "platform/Menu.h"
#include "platform/NotificationCenter.h"
#include "platform/UndoManager.h"
#include "platform/UserDefaults.h"
#include "plot/CGraphLegend.h"
#include "plot/CGraphObject.h"
#include "plot/PlotAxis.h"
#include "plot/PlotServices.h"

namespace vornex {

class CGraphCurve;
class CGraphPoint;
class CPlotFormat;

class CPlotView {
   public:
    // Fonts edited through the font panel.
    enum EditedFont { kLabelsFont = 1, kTicksFont = 2, kLegendsFont = 3 };
    // A drag shorter than this in either direction (view units) is a click, not a zoom
    // rectangle.
    static constexpr float kMinZoomDrag = 3.0f;

    // A plot of the frame's size with the default ranges 0 ... 1, two ticks per axis, three
    // digits, hidden legend and the background colours of the user defaults.
    explicit CPlotView(Rect frame, const UserDefaults* defaults = nullptr);
    // Takes its undo steps out of the undo manager; the shared panels forget it.
    virtual ~CPlotView();
    CPlotView(const CPlotView&) = delete;
    CPlotView& operator=(const CPlotView&) = delete;

    // ----- Environment --------------------------------------------------------------------
    Rect bounds() const { return Rect({0, 0}, mFrame.size); }
    Rect frame() const { return mFrame; }
    void setFrame(Rect frame) { mFrame = frame; }
    PlotHost* drawPlotView() const { return mHost; }
    void setDrawPlotView(PlotHost* host) { mHost = host; }
    // The document's undo manager; without one nothing is undoable.
    void setUndoManager(UndoManager* manager);
    void setNotificationCenter(NotificationCenter* center);
    // Redisplay requests: the flag, and a callback the window uses to queue a redraw.
    bool needsDisplay() const { return mNeedsDisplay; }
    void setNeedsDisplay(bool needed);
    void setDisplayRequestHandler(std::function<void()> handler) {
        mDisplayRequest = std::move(handler);
    }
    bool acceptsFirstResponder() const { return true; }
    bool acceptsFirstMouse() const { return true; }
    bool isOpaque() const { return true; }

    // ----- Ranges -------------------------------------------------------------------------
    // Default and current ranges; refreshes a visible axis-range panel and posts
    // "AxisPlotChanged".
    void setDefaultXYRange(float minX, float maxX, float minY, float maxY);
    // Limits of zooming; posts nothing.
    void setMaxXYRange(float minX, float maxX, float minY, float maxY);
    // Current ranges; refreshes a visible axis-range panel and posts "AxisPlotChanged".
    void setXYRange(float minX, float maxX, float minY, float maxY);
    void getXYRange(float& minX, float& maxX, float& minY, float& maxY) const;
    void getDefaultXYRange(float& minX, float& maxX, float& minY, float& maxY) const;
    void getMaxXYRange(float& minX, float& maxX, float& minY, float& maxY) const;
    // This view's current and default ranges become the other view's current ranges.
    void getSameXYRange(const CPlotView& other);
    // Widens the default ranges to hold the given ones, x bounds rounded outwards to whole
    // multiples of the x step (at least 1 in magnitude, else the x bounds are taken as
    // given); then setDefaultXYRange.
    void adjustXYRange(float minX, float maxX, float minY, float maxY, float xStep, float yStep);
    // Undoable ("Changes Of Axis Ranges"): sets the current ranges, clears the zoom
    // rectangle, posts "AxisPlotChanged" and redraws.
    void doChangeAxisRanges(float minX, float maxX, float minY, float maxY);
    void onMaximumAxisRanges();
    void onAxisRangesByDefault();
    float mCurrentMinX() const { return mCurMinX; }
    float mCurrentMaxX() const { return mCurMaxX; }
    float mCurrentMinY() const { return mCurMinY; }
    float mCurrentMaxY() const { return mCurMaxY; }
    void setMCurrentMinX(float v) { mCurMinX = v; }
    void setMCurrentMaxX(float v) { mCurMaxX = v; }
    void setMCurrentMinY(float v) { mCurMinY = v; }
    void setMCurrentMaxY(float v) { mCurMaxY = v; }

    // ----- Axes ---------------------------------------------------------------------------
    bool showLogX() const { return mShowLogX; }
    bool showLogY() const { return mShowLogY; }
    void setShowLogX(bool on) { mShowLogX = on; }
    void setShowLogY(bool on) { mShowLogY = on; }
    // Invert the flag, post "AxisPlotChanged", redraw.
    void onToggleShowLogX();
    void onToggleShowLogY();
    void setTicksNumber(int x, int y) {
        mNbXTicksValue = x;
        mNbYTicksValue = y;
    }
    void setTicksDigits(int x, int y) {
        mXTicksDigitsValue = x;
        mYTicksDigitsValue = y;
    }
    int mNbXTicks() const { return mNbXTicksValue; }
    int mNbYTicks() const { return mNbYTicksValue; }
    void setMNbXTicks(int n) { mNbXTicksValue = n; }
    void setMNbYTicks(int n) { mNbYTicksValue = n; }
    int mXTicksDigits() const { return mXTicksDigitsValue; }
    int mYTicksDigits() const { return mYTicksDigitsValue; }
    void setMXTicksDigits(int d) { mXTicksDigitsValue = d; }
    void setMYTicksDigits(int d) { mYTicksDigitsValue = d; }
    bool drawsGrid() const { return mDrawGrid; }
    void setDrawGrid(bool on) { mDrawGrid = on; }
    // Both titles, carrying the axis-title attributes.
    void setLabels(const std::string& x, const std::string& y);
    const AttributedString& mXLabel() const { return mXLabelText; }
    const AttributedString& mYLabel() const { return mYLabelText; }
    void setMXLabel(const AttributedString& s) { mXLabelText = s; }
    void setMYLabel(const AttributedString& s) { mYLabelText = s; }

    // ----- Transform (as left by the last drawing) -----------------------------------------
    // Bounds inset by the margins.
    Rect getPlotRect() const;
    float getXValue(float x) const;
    float getYValue(float y) const;
    float getXFromPixelValue(float v) const;
    // A data point in view coordinates, in double precision (finite for finite data even
    // far outside the current ranges).
    Point viewPoint(float x, float y) const {
        return Point{mXAxis.viewPosition(x), mYAxis.viewPosition(y)};
    }
    // Where objects draw: the plot rectangle with a margin for line widths and markers.
    Rect drawingRegion() const;
    float getYFromPixelValue(float v) const;
    // Recomputes the transform from the plot rectangle and the current ranges.
    void calculateCoefficients();
    float marginBottom() const { return mMarginBottom; }

    // ----- Text attributes ----------------------------------------------------------------
    const TextAttributes& getLegendsAttributes() const { return mLegendsAttributes; }
    const TextAttributes& labelsAttributes() const { return mLabelsAttributes; }
    const TextAttributes& ticksAttributes() const { return mTicksAttributes; }
    // Font `fontName` + "-Bold", "-BoldOblique" or "-Oblique" by the flags, at `size`.
    static TextAttributes setTextAttributes(const std::string& fontName, int size, bool bold,
                                            bool italic);

    // ----- Object list --------------------------------------------------------------------
    // Appends the object, which the view then owns, and binds it to the view; returns it.
    CGraphObject* addGraphObject(std::unique_ptr<CGraphObject> object);
    template <class T>
    T* add(std::unique_ptr<T> object) {
        T* raw = object.get();
        addGraphObject(std::move(object));
        return raw;
    }
    // A curve of the rows of a flat row-major array (`stride` values per row), from columns
    // xColumn and yColumn read as 32-bit floats; a trailing incomplete row is ignored. A bad
    // stride or column gives an empty curve and a log message.
    CGraphCurve* plotFromArray(const std::vector<double>& values, int stride, int xColumn,
                               int yColumn);
    // The same with x·xScale + xOffset and y·yScale + yOffset.
    CGraphCurve* plotFromArray(const std::vector<double>& values, int stride, int xColumn,
                               int yColumn, double xScale, double xOffset, double yScale,
                               double yOffset);
    CGraphPoint* plotPoint(double x, double y, int marker, const Color& color);

    const std::vector<std::unique_ptr<CGraphObject>>& graphObjects() const { return mObjects; }
    // Replaces the list by copies of the given objects (which may be this view's own).
    void setGraphObjects(const std::vector<std::unique_ptr<CGraphObject>>& objects);
    CGraphObject* getGraphObjectWithName(const std::string& name) const;
    bool containsGraphObject(const CGraphObject* object) const;
    // The object (by address and serial) if it is still in the list or is the legend.
    CGraphObject* liveObject(const CGraphObject* object, std::uint64_t serial) const;
    // Every removal leaves neither the legend nor the selection pointing at what it removed.
    void removeGraphObjectWithKindOfName(const std::string& prefix);
    void removeGraphObjectWithName(const std::string& name);
    void removeGraphObject(const CGraphObject* object);
    void purge();
    void purgeCurves();
    void purgePointCurves();
    void purgeReferenceObjects();

    // ----- Legend -------------------------------------------------------------------------
    CGraphLegend& mLegend() const { return *mLegendBox; }
    // A copy of the legend, listing those of its objects that belong to this view.
    void setMLegend(const CGraphLegend& legend);
    void includesIntoLegend(CGraphObject* object) { mLegendBox->addReferenceObject(object); }
    void removeFromLegend(const CGraphObject* object) { mLegendBox->removeReferenceObject(object); }
    // Shows the legend at the data position (x, y).
    void setLegendPosition(float x, float y);
    // Undoable ("Move Of Legend"): moves the legend to (x − dx, y − dy), redraws.
    void doChangeLegendPosition(float x, float y, float dx, float dy);

    // ----- Highlight and selection --------------------------------------------------------
    void hilite(CGraphObject* object);
    void hilite1(CGraphObject* object);
    float selectedPointX() const { return mSelectedPointX; }
    float selectedPointY() const { return mSelectedPointY; }
    void setSelectedPointX(float x) { mSelectedPointX = x; }
    void setSelectedPointY(float y) { mSelectedPointY = y; }
    void setSelectedPoint(float x, float y);
    void getSelectedPoint(float& x, float& y) const;
    void getSelection(float& x, float& y, CGraphObject*& object) const;
    void adjustSelectionPoint(const CGraphPoint& point);
    void showSelectionPoint(bool show);
    bool isSelectionPointVisible() const { return mIsSelectingPointVisible; }
    CGraphObject* selectedObject() const { return mSelectedObject; }
    // Whether the selection is an object a click selects for itself (a curve, a point, a
    // curve of points; not an area or a text, through which a click reaches the plane).
    bool selectionIsClickable() const;
    void setSelectedObject(CGraphObject* object) { mSelectedObject = object; }
    bool selectionKeyShift() const { return mSelectionKeyShift; }
    bool selectionKeyControl() const { return mSelectionKeyControl; }
    bool selectionKeyOption() const { return mSelectionKeyOption; }
    const std::string& plotName() const { return mPlotName; }
    void setPlotName(std::string name) { mPlotName = std::move(name); }
    // The name Save as PDF proposes: the quantities of the axes ("P against T"), or the
    // plot's name when its axes have no titles.
    std::string proposedFileName() const;

    // ----- Drawing ------------------------------------------------------------------------
    // Paints the whole view into a canvas of the bounds' size, recomputing the logarithmic
    // bounds, margins and transform on the way.
    virtual void drawRect(Canvas& canvas);
    void drawYLabel(Canvas& canvas, float a, float b);
    const Color& backColor() const { return mBackColor; }
    const Color& foreColor() const { return mForeColor; }
    bool isPrinting() const { return mIsPrinting; }
    // Draws the plot as every output off the screen shows it (files and the printer alike):
    // the grid in light grey and no selection mark.
    void drawForOutput(Canvas& canvas);
    // The axes as left by the last drawing (or by calculateCoefficients).
    const PlotAxis& xAxis() const { return mXAxis; }

    // ----- Mouse --------------------------------------------------------------------------
    // A left-button press; drags that follow are read from `followUp` until the release.
    // It runs the push form below with the events it pulls.
    void mouseDown(const MouseEvent& event, MouseEventSource& followUp);
    // The same handling for toolkits that push the events of a drag one by one: a press,
    // any number of drags, then a release. Drags and releases while nothing is tracked are
    // ignored; a press during a drag first ends that drag where the mouse last was.
    void mousePressed(const MouseEvent& event);
    void mouseDragged(const MouseEvent& event);
    void mouseReleased(const MouseEvent& event);
    // The drag ends where the mouse last was (the toolkit lost the pointer).
    void mouseTrackingCancelled();
    bool isTrackingMouse() const { return mTracking != Tracking::None; }
    // Hit test at the event's location: moves the selection point, selects the last object
    // hit (or the legend); false when nothing was hit.
    bool testClickedGraphObject(const MouseEvent& event);
    // Tracks a drag as zoom rectangle; true when the mouse moved beyond a click.
    bool delimitZoomingAreaIfNecessary(const MouseEvent& event, MouseEventSource& followUp);
    const Rect& trackingRect() const { return mTrackingRect; }
    void onZoomIn();
    void onZoomOut();
    void notifyObjectSelection();
    void updateColorPanel();
    void updateStatusMessage();

    // ----- Menus and object commands ------------------------------------------------------
    // The menu for a right click at the event's location (after the hit test, which selects
    // the object under the mouse but leaves the selection point and its mark alone): the plot
    // menu on empty space, the curve menu on a curve, the point menu on a point or point
    // curve, none on anything else.
    Menu* menuForEvent(const MouseEvent& event);
    Menu& plotMenu() { return *mPlotMenu; }
    Menu& curvesMenu() { return *mCurvesMenu; }
    Menu& pointsMenu() { return *mPointsMenu; }
    Menu& fontsMenu() { return *mFontsMenu; }
    bool validateMenuItem(MenuItem& item) const;
    void onShowAxisRangePanel();
    void onLabelFontSettings();
    void onGraduationFontSettings();
    void onGraphObjectFont();
    void openFontPanel();
    int editedFont() const { return mEditedFont; }
    // The font panel's choice: `convert` turns the edited font into the new one.
    void changeFont(const std::function<Font(const Font&)>& convert);
    // Undoable: the attributes `which` (EditedFont) take the font.
    void doChangeFont(const Font& font, int which);
    void onShowGrid();
    void onNormalThickness() { setThickness(1.0f); }
    void onDoubleThickness() { setThickness(2.0f); }
    void onTripleThickness() { setThickness(3.0f); }
    void doChangeToolSizeFactor(float factor, CGraphObject* object);
    void onIncreasePointSize();
    void onDecreasePointSize();
    void doIncreasePointSizeOf(CGraphObject* object);
    void doDecreasePointSizeOf(CGraphObject* object);
    void onGraphObjectColor();
    // The colour panel's choice, taken when an object is selected and the panel is visible.
    void changeColor(const Color& color, bool panelVisible);
    void onCurvesSettingsPanel();
    void onPointsSettingsPanel();
    // Export of the selected curve; false unless a file was written.
    bool onExportCurveData();
    bool onExportIgorData();

    // ----- Output, copy, formats ----------------------------------------------------------
    // Save panel proposing the plot's name ("plot" when it has none), then writePdf; false
    // unless a file was written; a failure is reported.
    bool onPrintPlot();
    // Renders the whole view into a file as printed (no selection mark, light grey grid);
    // the file appears whole or not at all.
    IoResult writePdf(const std::string& path);
    IoResult writeImage(FileFormat format, const std::string& path, double pixelScale = 1.0);
    void onOpenNewPlotWindow();
    // An independent plot with copies of the objects (the legend lists the copies), the
    // titles, ticks, logarithmic flags, this view's current ranges as its default ranges and
    // the same maximum ranges.
    std::unique_ptr<CPlotView> copy() const;
    void updatePlotFormat(CPlotFormat& format) const;
    void setFromPlotFormat(const CPlotFormat& format);

   protected:
    // The pieces of drawRect, for views that draw axes the same way.
    void measureAndPlaceAxes(Canvas& canvas, PlotAxis& xAxis, PlotAxis& yAxis);
    Size widestLabel(Canvas& canvas, const PlotAxis& axis) const;
    void drawFrameTicksAndGrid(Canvas& canvas, const PlotAxis& xAxis, const PlotAxis& yAxis);
    void drawTickLabels(Canvas& canvas, const PlotAxis& xAxis, const PlotAxis& yAxis);
    void drawSelectionMark(Canvas& canvas);

   private:
    // What a press goes on to track until the release.
    enum class Tracking { None, Legend, Zoom };
    void beginZoomTracking(Point start);
    // Highlights the object a click hit, shows its name and the point, and posts the selection.
    void selectClickedObject(CGraphObject* selected);
    void trackZoom(Point p);
    // Ends the zoom drag; true when the mouse moved beyond a click.
    bool endZoomTracking();
    void trackDrag(const MouseEvent& event);
    void postAxisPlotChanged();
    void registerUndo(const std::string& actionName, std::function<void()> action);
    // Takes every matching object out of the list, the legend and the selection.
    void removeObjectsWhere(const std::function<bool(const CGraphObject&)>& match);
    PlotAxis makeXAxis() const;
    PlotAxis makeYAxis() const;
    void buildMenus();
    void setThickness(float factor);
    void setStatus(const std::string& message);
    std::string selectionStatus(const std::string& objectName, int extraDigits) const;
    void reportFailure(const std::string& what, const IoResult& result);
    TextAttributes& attributesFor(int which);

    Rect mFrame;
    const UserDefaults* mDefaults;  // where the background colours come from; null: standard
    PlotHost* mHost = nullptr;
    UndoManager* mUndoManager = nullptr;
    NotificationCenter* mCenter;
    std::function<void()> mDisplayRequest;
    bool mNeedsDisplay = false;

    std::vector<std::unique_ptr<CGraphObject>> mObjects;
    float mMinX = 0, mMinY = 0, mMaxX = 1, mMaxY = 1;
    float mCurMinX = 0, mCurMaxX = 1, mCurMinY = 0, mCurMaxY = 1;
    float mMaxMinX = 0, mMaxMaxX = 1, mMaxMinY = 0, mMaxMaxY = 1;
    int mNbXTicksValue = 2, mNbYTicksValue = 2;
    AttributedString mXLabelText, mYLabelText;
    int mXTicksDigitsValue = 3, mYTicksDigitsValue = 3;
    Rect mPlotRect;
    float mMarginLeft = 80, mMarginTop = 15, mMarginRight = 30, mMarginBottom = 60;
    bool mDrawGrid = false;
    bool mShowLogX = false, mShowLogY = false;
    // The axes of the last drawing: logarithmic bounds and transform coefficients.
    PlotAxis mXAxis{0, 1, false, 2, 3};
    PlotAxis mYAxis{0, 1, false, 2, 3};
    bool mIsSelectingPointVisible = false;
    float mSelectedPointX = 0, mSelectedPointY = 0;
    CGraphObject* mSelectedObject = nullptr;
    bool mSelectionKeyShift = false, mSelectionKeyControl = false, mSelectionKeyOption = false;
    std::unique_ptr<CGraphLegend> mLegendBox;
    TextAttributes mLabelsAttributes, mTicksAttributes, mLegendsAttributes;
    int mEditedFont = kLabelsFont;
    std::unique_ptr<Menu> mPlotMenu, mCurvesMenu, mPointsMenu, mFontsMenu;
    Rect mTrackingRect;
    Tracking mTracking = Tracking::None;
    Point mTrackStart, mTrackLast;
    // Where the press grabbed the legend, relative to its position (view units).
    double mLegendOffsetX = 0, mLegendOffsetY = 0;
    // The selection point before the press and whether its mark showed, restored after a
    // press that selects no point: a zoom drag, a double click that opens a settings panel, a
    // press on the legend.
    float mPressSelectionX = 0, mPressSelectionY = 0;
    bool mPressSelectionVisible = false;
    void restorePressSelectionPoint();
    // The object a press hit, selected when the press ends without moving (a press that
    // moves draws a zoom rectangle instead), and the selection it would replace.
    CGraphObject* mPendingSelection = nullptr;
    CGraphObject* mPressPreviousObject = nullptr;
    bool mPressPreviousHilited = false;
    bool mZoomMoved = false;
    // Set while "PlotSelection" is delivered.
    bool mPostingSelection = false;
    // The object the status line names, if any.
    std::string mStatusObjectName;
    // The object the last single click selected, by name: a double click whose first click
    // made the document rebuild it finds it again under the same name.
    std::string mLastClickedName;
    Color mBackColor, mForeColor;
    std::string mPlotName;
    bool mIsPrinting = false;
};

}  // namespace vornex
