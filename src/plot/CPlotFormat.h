// Archivable records of plot settings kept apart from the plots: CTextFormat (font name, size,
// bold / italic style bits), CCurveFormat (line size and colour), CPointFormat (marker size,
// colour and type; both through CMarkFormat) and CPlotFormat (default and zoomed ranges, legend position in data
// coordinates and three text formats). Each archives itself under fixed keys; a key missing
// from an archive reads as 0 or as no object.
#pragma once

#include <memory>
#include <string>

#include "platform/Color.h"
#include "platform/KeyedArchiver.h"

namespace vornex {

class CTextFormat : public Archivable {
   public:
    static constexpr int kBold = 1;
    static constexpr int kItalic = 2;

    const std::string& fontName() const { return mFontName; }
    void setFontName(std::string name) { mFontName = std::move(name); }
    int size() const { return mSize; }
    void setSize(int size) { mSize = size; }
    int style() const { return mStyle; }
    void setStyle(int style) { mStyle = style; }
    bool isBold() const { return (mStyle & kBold) != 0; }
    void setBold(bool bold) { mStyle = bold ? (mStyle | kBold) : (mStyle & ~kBold); }
    bool isItalic() const { return (mStyle & kItalic) != 0; }
    void setItalic(bool italic) { mStyle = italic ? (mStyle | kItalic) : (mStyle & ~kItalic); }

    std::string archiveClassName() const override { return "CTextFormat"; }
    void encodeWithCoder(KeyedArchiver& coder) const override;
    void initWithCoder(KeyedUnarchiver& coder) override;

    friend bool operator==(const CTextFormat& a, const CTextFormat& b) {
        return a.mFontName == b.mFontName && a.mSize == b.mSize && a.mStyle == b.mStyle;
    }

   private:
    std::string mFontName = "Arial";
    int mSize = 10;
    int mStyle = 0;
};

// Size and colour of a drawn line or marker, archived under "size" and "color".
class CMarkFormat : public Archivable {
   public:
    int size() const { return mSize; }
    void setSize(int size) { mSize = size; }
    const Color& color() const { return mColor; }
    void setColor(const Color& color) { mColor = color; }

    void encodeWithCoder(KeyedArchiver& coder) const override;
    void initWithCoder(KeyedUnarchiver& coder) override;

   protected:
    explicit CMarkFormat(int size) : mSize(size) {}

   private:
    int mSize;
    Color mColor = Color::red();
};

class CCurveFormat : public CMarkFormat {
   public:
    CCurveFormat() : CMarkFormat(1) {}
    std::unique_ptr<CCurveFormat> copy() const { return std::make_unique<CCurveFormat>(*this); }

    std::string archiveClassName() const override { return "CCurveFormat"; }
};

class CPointFormat : public CMarkFormat {
   public:
    CPointFormat() : CMarkFormat(3) {}
    int selector() const { return mSelector; }
    void setSelector(int selector) { mSelector = selector; }
    std::unique_ptr<CPointFormat> copy() const { return std::make_unique<CPointFormat>(*this); }

    std::string archiveClassName() const override { return "CPointFormat"; }
    void encodeWithCoder(KeyedArchiver& coder) const override;
    void initWithCoder(KeyedUnarchiver& coder) override;

   private:
    int mSelector = 3;
};

class CPlotFormat : public Archivable {
   public:
    float minX() const { return mMinX; }
    void setMinX(float v) { mMinX = v; }
    float minY() const { return mMinY; }
    void setMinY(float v) { mMinY = v; }
    float maxX() const { return mMaxX; }
    void setMaxX(float v) { mMaxX = v; }
    float maxY() const { return mMaxY; }
    void setMaxY(float v) { mMaxY = v; }
    float currentMinX() const { return mCurrentMinX; }
    void setCurrentMinX(float v) { mCurrentMinX = v; }
    float currentMaxX() const { return mCurrentMaxX; }
    void setCurrentMaxX(float v) { mCurrentMaxX = v; }
    float currentMinY() const { return mCurrentMinY; }
    void setCurrentMinY(float v) { mCurrentMinY = v; }
    float currentMaxY() const { return mCurrentMaxY; }
    void setCurrentMaxY(float v) { mCurrentMaxY = v; }
    float legendX() const { return mLegendX; }
    void setLegendX(float v) { mLegendX = v; }
    float legendY() const { return mLegendY; }
    void setLegendY(float v) { mLegendY = v; }
    // The text formats are shared with whoever set them, not copied.
    const std::shared_ptr<CTextFormat>& legendFormat() const { return mLegendFormat; }
    void setLegendFormat(std::shared_ptr<CTextFormat> f) { mLegendFormat = std::move(f); }
    const std::shared_ptr<CTextFormat>& labelsFormat() const { return mLabelsFormat; }
    void setLabelsFormat(std::shared_ptr<CTextFormat> f) { mLabelsFormat = std::move(f); }
    const std::shared_ptr<CTextFormat>& ticksFormat() const { return mTicksFormat; }
    void setTicksFormat(std::shared_ptr<CTextFormat> f) { mTicksFormat = std::move(f); }

    std::string archiveClassName() const override { return "CPlotFormat"; }
    void encodeWithCoder(KeyedArchiver& coder) const override;
    // A text format missing from the archive reads as none.
    void initWithCoder(KeyedUnarchiver& coder) override;

   private:
    float mMinX = 0.0f, mMinY = 0.0f, mMaxX = 1.0f, mMaxY = 1.0f;
    float mCurrentMinX = 0.0f, mCurrentMaxX = 1.0f, mCurrentMinY = 0.0f, mCurrentMaxY = 1.0f;
    float mLegendX = 0.0f, mLegendY = 0.0f;
    std::shared_ptr<CTextFormat> mLegendFormat = std::make_shared<CTextFormat>();
    std::shared_ptr<CTextFormat> mLabelsFormat = std::make_shared<CTextFormat>();
    std::shared_ptr<CTextFormat> mTicksFormat = std::make_shared<CTextFormat>();
};

}  // namespace vornex
