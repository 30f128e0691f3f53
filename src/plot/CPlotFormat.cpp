#include "plot/CPlotFormat.h"

namespace vornex {

namespace {
int decodeInt32(const KeyedUnarchiver& coder, const char* key) {
    return static_cast<int>(coder.decodeInt(key));
}

std::shared_ptr<CTextFormat> decodeTextFormat(KeyedUnarchiver& coder, const char* key) {
    auto format = std::make_shared<CTextFormat>();
    return coder.decodeObject(key, *format) ? format : nullptr;
}
}  // namespace

void CTextFormat::encodeWithCoder(KeyedArchiver& coder) const {
    coder.encodeInt("size", mSize);
    coder.encodeString("fontName", mFontName);
    coder.encodeInt("style", mStyle);
}

void CTextFormat::initWithCoder(KeyedUnarchiver& coder) {
    mSize = decodeInt32(coder, "size");
    mFontName = coder.decodeString("fontName");
    mStyle = decodeInt32(coder, "style");
}

void CMarkFormat::encodeWithCoder(KeyedArchiver& coder) const {
    coder.encodeInt("size", mSize);
    coder.encodeColor("color", mColor);
}

void CMarkFormat::initWithCoder(KeyedUnarchiver& coder) {
    mSize = decodeInt32(coder, "size");
    mColor = coder.decodeColor("color");
}

void CPointFormat::encodeWithCoder(KeyedArchiver& coder) const {
    CMarkFormat::encodeWithCoder(coder);
    coder.encodeInt("selector", mSelector);
}

void CPointFormat::initWithCoder(KeyedUnarchiver& coder) {
    CMarkFormat::initWithCoder(coder);
    mSelector = decodeInt32(coder, "selector");
}

void CPlotFormat::encodeWithCoder(KeyedArchiver& coder) const {
    coder.encodeFloat("minX", mMinX);
    coder.encodeFloat("maxX", mMaxX);
    coder.encodeFloat("minY", mMinY);
    coder.encodeFloat("maxY", mMaxY);
    coder.encodeFloat("currentMinX", mCurrentMinX);
    coder.encodeFloat("currentMaxX", mCurrentMaxX);
    coder.encodeFloat("currentMinY", mCurrentMinY);
    coder.encodeFloat("currentMaxY", mCurrentMaxY);
    coder.encodeFloat("legendX", mLegendX);
    coder.encodeFloat("legendY", mLegendY);
    if (mLegendFormat) coder.encodeObject("legend", *mLegendFormat);
    if (mLabelsFormat) coder.encodeObject("labels", *mLabelsFormat);
    if (mTicksFormat) coder.encodeObject("ticks", *mTicksFormat);
}

void CPlotFormat::initWithCoder(KeyedUnarchiver& coder) {
    mMinX = coder.decodeFloat("minX");
    mMaxX = coder.decodeFloat("maxX");
    mMinY = coder.decodeFloat("minY");
    mMaxY = coder.decodeFloat("maxY");
    mCurrentMinX = coder.decodeFloat("currentMinX");
    mCurrentMaxX = coder.decodeFloat("currentMaxX");
    mCurrentMinY = coder.decodeFloat("currentMinY");
    mCurrentMaxY = coder.decodeFloat("currentMaxY");
    mLegendX = coder.decodeFloat("legendX");
    mLegendY = coder.decodeFloat("legendY");
    mLegendFormat = decodeTextFormat(coder, "legend");
    mLabelsFormat = decodeTextFormat(coder, "labels");
    mTicksFormat = decodeTextFormat(coder, "ticks");
}

}  // namespace vornex
