#include "platform/window/spots.h"

#include <QEvent>
#include <algorithm>
#include <tuple>
#include <utility>

namespace platform {

namespace {

// More spots than any frame of the game changes: they are handed over at once instead of
// waiting any longer for a repaint.
constexpr std::size_t MostSpotsWaiting = 512;

}  // namespace

QRegion UnionOf(const std::vector<QRect>& rects) {
    // Horizontal bands between successive top and bottom edges; in each band, the spans of
    // the rectangles that cross it, merged. A band with the spans of the one above it
    // lengthens that one. The result is in the form QRegion keeps: bands top to bottom,
    // spans left to right, none touching another of its band, no two alike bands adjoining.
    std::vector<QRect> sorted;
    sorted.reserve(rects.size());
    std::vector<int> edges;
    edges.reserve(2 * rects.size());
    for (const QRect& rect : rects) {
        if (rect.isEmpty())
            continue;
        sorted.push_back(rect);
        edges.push_back(rect.top());
        edges.push_back(rect.bottom() + 1);
    }
    const auto by_top = [](const QRect& a, const QRect& b) {
        return std::make_tuple(a.top(), a.left(), a.bottom(), a.right()) <
               std::make_tuple(b.top(), b.left(), b.bottom(), b.right());
    };
    std::sort(sorted.begin(), sorted.end(), by_top);
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    std::vector<QRect> out;
    std::vector<QRect> crossing;                // the rectangles that cross the band
    std::vector<std::pair<int, int>> spans;     // [left, right) of the band being built
    std::vector<std::pair<int, int>> previous;  // those of the band just above
    std::size_t next = 0;
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        const int top = edges[i];
        const int bottom = edges[i + 1];  // one past the band's last row
        // Every top and bottom is an edge, so a rectangle crosses whole bands only.
        std::erase_if(crossing, [top](const QRect& rect) { return rect.bottom() < top; });
        while (next < sorted.size() && sorted[next].top() == top)
            crossing.push_back(sorted[next++]);
        spans.clear();
        for (const QRect& rect : crossing)
            spans.emplace_back(rect.left(), rect.right() + 1);
        std::sort(spans.begin(), spans.end());
        std::size_t merged = 0;
        for (const auto& span : spans) {
            if (merged > 0 && span.first <= spans[merged - 1].second)
                spans[merged - 1].second = std::max(spans[merged - 1].second, span.second);
            else
                spans[merged++] = span;
        }
        spans.resize(merged);
        if (!spans.empty() && spans == previous) {
            for (std::size_t k = out.size() - spans.size(); k < out.size(); ++k)
                out[k].setBottom(bottom - 1);
            continue;
        }
        for (const auto& [left, right] : spans)
            out.emplace_back(QPoint(left, top), QPoint(right - 1, bottom - 1));
        previous = spans;
    }
    QRegion region;
    if (!out.empty())
        region.setRects(out.data(), static_cast<int>(out.size()));
    return region;
}

void SpotsWindow::AddSpot(const QRect& spot) {
    // A hidden window is drawn whole when it shows; nothing waits for it.
    if (spot.isEmpty() || !isVisible())
        return;
    if (spots_.empty())
        update(spot);
    spots_.push_back(spot);
    if (spots_.size() >= MostSpotsWaiting)
        HandSpots();
}

bool SpotsWindow::event(QEvent* event) {
    // Qt repaints a window on this request, sent or posted, and on its exposure, which
    // repaints what the window system asks for: the request still follows. A window that
    // hides is drawn whole when it shows again; no spot is kept for it.
    if (event->type() == QEvent::UpdateRequest)
        HandSpots();
    else if (event->type() == QEvent::Hide)
        spots_.clear();
    return QWidget::event(event);
}

void SpotsWindow::HandSpots() {
    if (spots_.size() > 1)
        update(UnionOf(spots_));
    spots_.clear();
}

void RedrawSpot(QWidget& window, const QRect& spot) {
    if (auto* gathering = dynamic_cast<SpotsWindow*>(&window))
        gathering->AddSpot(spot);
    else
        window.update(spot);
}

}  // namespace platform
