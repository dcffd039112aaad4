#include "widgets/SplitterLayout.h"

#include <algorithm>
#include <cmath>

namespace {

struct Span {
    int start = 0;
    int length = 0;
};

QRect ToRect(const SplitterGeometry& geometry, Span along, Span across)
{
    const int alongLength = std::max(0, along.length);
    const int acrossLength = std::max(0, across.length);
    if (geometry.vertical)
        return QRect(along.start, across.start, alongLength, acrossLength);
    return QRect(across.start, along.start, acrossLength, alongLength);
}

int AcrossSize(const SplitterGeometry& geometry)
{
    return geometry.vertical ? geometry.clientHeight : geometry.clientWidth;
}

int BarThickness(const SplitterGeometry& geometry)
{
    return geometry.barWidth + 2 * geometry.border;
}

SplitterRects LayOutWithoutBar(const SplitterGeometry& geometry)
{
    const int b = geometry.border;
    const QRect whole(b, b, std::max(0, geometry.clientWidth - 2 * b),
        std::max(0, geometry.clientHeight - 2 * b));
    SplitterRects rects;
    if (geometry.firstVisible)
        rects.first = whole;
    if (geometry.secondVisible)
        rects.second = whole;
    return rects;
}

} // namespace

int SplitterClientSize(const SplitterGeometry& geometry)
{
    return geometry.vertical ? geometry.clientWidth : geometry.clientHeight;
}

int SplitterBarStart(const SplitterGeometry& geometry)
{
    if (!geometry.fixedIsSecond)
        return geometry.position;
    return SplitterClientSize(geometry) - geometry.position - BarThickness(geometry);
}

int SplitterPosFromBarStart(const SplitterGeometry& geometry, int barStart)
{
    if (!geometry.fixedIsSecond)
        return barStart;
    return SplitterClientSize(geometry) - BarThickness(geometry) - barStart;
}

SplitterRects LayOutSplitter(const SplitterGeometry& geometry)
{
    if (!geometry.firstVisible || !geometry.secondVisible)
        return LayOutWithoutBar(geometry);
    const int b = geometry.border;
    const int p = geometry.position;
    const int size = SplitterClientSize(geometry);
    const int thickness = BarThickness(geometry);
    const Span fixed { geometry.fixedIsSecond ? size - b - p : b, p };
    const Span other { geometry.fixedIsSecond ? b : p + geometry.barWidth + b,
        size - (p + thickness) };
    const Span panesAcross { b, AcrossSize(geometry) - 2 * b };
    SplitterRects rects;
    rects.hasBar = true;
    rects.bar = ToRect(
        geometry, Span { SplitterBarStart(geometry), thickness }, Span { 0, AcrossSize(geometry) });
    rects.first = ToRect(geometry, geometry.fixedIsSecond ? other : fixed, panesAcross);
    rects.second = ToRect(geometry, geometry.fixedIsSecond ? fixed : other, panesAcross);
    return rects;
}

int ClampSplitterPos(int position, int clientSize, int fixedMinSize, int otherMinSize, int barWidth)
{
    if (position < fixedMinSize)
        position = fixedMinSize;
    if (clientSize - position < otherMinSize + barWidth)
        position = clientSize - (otherMinSize + barWidth);
    return std::max(0, position);
}

int ScaleSplitterPos(int position, int newSize, int oldSize)
{
    if (oldSize <= 0)
        return position;
    return static_cast<int>(std::lround(static_cast<double>(newSize) * position / oldSize));
}
